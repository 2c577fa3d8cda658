// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/Convert.h"
#include "formats/KitExport.h"
#include "formats/SampleDecode.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::formats {

// Import and export of other samplers' kits as the editor uses them. The editor loads it as a
// module on first use (its readers need libarchive, pugixml and libsndfile, which the start of
// the program can do without); tests link it in (linkedFormats).
class KitFormats {
public:
    virtual ~KitFormats() = default;

    // Reads the drumkit or SFZ file at `path` and converts it into a kit, decoding samples the
    // plug-in cannot read (and unpacking an archive) into a folder of this import alone in
    // `cacheFolder` (conversionFolder). `name` becomes the kit's own name where it has
    // one; `progress` is called between samples. Nothing, and `error`, when it cannot be read.
    virtual std::optional<Conversion> importKit(const std::filesystem::path& path,
                                                const std::filesystem::path& cacheFolder,
                                                std::string& name, std::string& error,
                                                const ConvertProgress& progress) = 0;
    // Writes `kit` as an SFZ file, a Hydrogen drumkit or a .h2drumkit, by the name of `path`
    // (an archive is made in a folder of its own in `cacheFolder`, removed after); `progress`
    // is called between samples.
    virtual ExportResult exportKit(const KitDocument& kit, const std::filesystem::path& path,
                                   const std::filesystem::path& cacheFolder,
                                   const ConvertProgress& progress) = 0;
    // Decodes samples dropped on the window that the plug-in cannot play as they are (FLAC,
    // Ogg) into WAV files as importKit decodes a kit's, in droppedSamplesFolder(`cacheFolder`):
    // one result per file, in order (decodeAddedSample); fewer when `progress` stopped it.
    virtual std::vector<PlayableSource>
    decodeSamples(const std::vector<std::filesystem::path>& files,
                  const std::filesystem::path& cacheFolder, const ConvertProgress& progress) = 0;
};

std::unique_ptr<KitFormats> linkedFormats();

// The module that holds them: its file name without the suffix, and its entry function.
inline constexpr char kFormatsModuleName[] = "padsmith-formats";
inline constexpr char kFormatsModuleEntry[] = "padsmithCreateFormats";
constexpr int kFormatsInterfaceVersion = 3;
using FormatsModuleEntry = KitFormats* (*)(int interfaceVersion);

} // namespace padsmith::formats
