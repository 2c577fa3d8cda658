#pragma once

#include "kit/KitDocument.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

class KitHost;
class SampleFinder;

// Where a kit's samples go: the plug-in folder and the "Share samples" option.
struct KitLocation {
    std::filesystem::path pluginFolder;
    bool shareSamples = false;
};

// What a kit script holds, as read, before it is applied to a KitDocument.
struct KitScriptContent {
    std::string formatTag;
    std::string kitName;
    std::string sampleFolder;
    std::string copyright;
    std::vector<SampleZone> zones; // file order; only pads 1 to 18
    struct PathLine {
        int padNumber = 0;
        std::string path;
    };
    std::vector<PathLine> paths; // file order; only pads 1 to 18
};

// The whole file text of a kit, exactly as the plug-in reads it (CR LF line ends).
std::string formatKitScript(const KitDocument& kit);

// Parses a kit script text. Empty when the first field is not "vst samples".
// Never reads past the end: a truncated section simply ends there.
std::optional<KitScriptContent> parseKitScript(std::string_view text);

// The kit name taken from a script's path: the file name cut at its last ".".
std::string kitNameFromPath(const std::filesystem::path& path);

// Replaces `kit` with the kit in `path`, searching samples that moved through `finder`.
// False (kit unchanged, message shown) when the file cannot be read or is not a kit script.
bool readKitScript(KitDocument& kit, const std::filesystem::path& path,
                   const KitLocation& location, KitHost& host, SampleFinder& finder);

// Saves `kit` to `path` and installs it into the plug-in folder: samples into the kit's
// sample folder (emptied first when `freshSampleFolder`), the script beside Zarvo.dll.
// False when nothing was written (double-defined note, or the file could not be written;
// the old file is then untouched).
bool writeKitScript(KitDocument& kit, const std::filesystem::path& path,
                    const KitLocation& location, KitHost& host, bool freshSampleFolder);

} // namespace padsmith
