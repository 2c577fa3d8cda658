// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/KitFormats.h"

#include "platform/Files.h"

namespace padsmith::formats {

namespace {

class LinkedFormats : public KitFormats {
public:
    std::optional<Conversion> importKit(const std::filesystem::path& path,
                                        const std::filesystem::path& cacheFolder, std::string& name,
                                        std::string& error,
                                        const ConvertProgress& progress) override {
        const std::filesystem::path work = conversionFolder(cacheFolder);
        const std::optional<ForeignKit> foreign = readForeignKit(path, {}, work, error);
        if (!foreign) {
            return std::nullopt;
        }
        if (!foreign->name.empty()) {
            name = foreign->name;
        }
        std::optional<Conversion> conversion = convertToKit(*foreign, work, true, progress);
        // What the kit plays from the folder stays until it is saved; the rest goes now.
        if (conversion) {
            keepOnly(conversion->kit, work);
        } else {
            deletePath(work);
        }
        return conversion;
    }

    ExportResult exportKit(const KitDocument& kit, const std::filesystem::path& path,
                           const std::filesystem::path& cacheFolder,
                           const ConvertProgress& progress) override {
        if (outputKind(path) == KitKind::Sfz) {
            return writeSfz(kit, path, false, progress);
        }
        if (outputKind(path) == KitKind::HydrogenArchive) {
            const std::filesystem::path work = conversionFolder(cacheFolder);
            ExportResult result =
                writeHydrogenArchive(kit, path, kit.kitName, work, false, progress);
            deletePath(work);
            return result;
        }
        // A drumkit is a folder: drumkit.xml goes into the one chosen, or into a folder of the
        // name typed.
        const std::filesystem::path folder =
            path.filename() == "drumkit.xml" ? path.parent_path() : path;
        return writeHydrogenDrumkit(kit, folder, kit.kitName, false, progress);
    }

    std::vector<PlayableSource> decodeSamples(const std::vector<std::filesystem::path>& files,
                                              const std::filesystem::path& cacheFolder,
                                              const ConvertProgress& progress) override {
        std::vector<PlayableSource> decoded;
        const std::filesystem::path folder = droppedSamplesFolder(cacheFolder);
        for (const std::filesystem::path& file : files) {
            if (progress &&
                !progress(static_cast<int>(decoded.size()), static_cast<int>(files.size()))) {
                break;
            }
            decoded.push_back(decodeAddedSample(file, folder));
        }
        return decoded;
    }
};

} // namespace

std::unique_ptr<KitFormats> linkedFormats() {
    return std::make_unique<LinkedFormats>();
}

} // namespace padsmith::formats
