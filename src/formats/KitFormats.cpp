// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/KitFormats.h"

namespace padsmith::formats {

namespace {

class LinkedFormats : public KitFormats {
public:
    std::optional<Conversion> importKit(const std::filesystem::path& path,
                                        const std::filesystem::path& cacheFolder, std::string& name,
                                        std::string& error,
                                        const ConvertProgress& progress) override {
        const std::optional<ForeignKit> foreign = readForeignKit(path, {}, cacheFolder, error);
        if (!foreign) {
            return std::nullopt;
        }
        if (!foreign->name.empty()) {
            name = foreign->name;
        }
        return convertToKit(*foreign, cacheFolder, true, progress);
    }

    ExportResult exportKit(const KitDocument& kit, const std::filesystem::path& path) override {
        if (outputKind(path) == KitKind::Sfz) {
            return writeSfz(kit, path);
        }
        // A drumkit is a folder: drumkit.xml goes into the one chosen, or into a folder of the
        // name typed.
        const std::filesystem::path folder =
            path.filename() == "drumkit.xml" ? path.parent_path() : path;
        return writeHydrogenDrumkit(kit, folder, kit.kitName);
    }
};

} // namespace

std::unique_ptr<KitFormats> linkedFormats() {
    return std::make_unique<LinkedFormats>();
}

} // namespace padsmith::formats
