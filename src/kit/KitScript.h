#pragma once

#include "kit/CodePage.h"
#include "kit/KitDocument.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

class KitHost;
class SampleFinder;

// Where a kit's samples go: the plug-in folder and the "Share samples" option; and the code
// page in which the plug-in reads kit scripts.
struct KitLocation {
    std::filesystem::path pluginFolder;
    bool shareSamples = false;
    CodePage codePage;
};

// The source path of a zone whose path line has not been read (yet), and the sample name
// written for a zone that has none.
inline constexpr const char* kUnknownSource = "???";
// The last text of every kit script; no line end follows it.
inline constexpr const char* kScriptSignature = "Padsmith by Mervane";

// What a kit script holds, as read, before it is applied to a KitDocument.
struct KitScriptContent {
    std::string formatTag;
    std::string kitName;
    std::string sampleFolder;
    std::string copyright;
    std::vector<SampleZone> zones; // file order; only pads 1 to 18; sourcePath "???"
    // Sample names of the zone lines skipped for naming a pad outside 1 to 18. The editor drops
    // such lines, but the plug-in may still play their samples.
    std::vector<std::string> otherPadSamples;
    struct PathLine {
        int padNumber = 0;
        std::string path;
        // The zone of pad padNumber the path belongs to: counts from 0, and starts again at
        // 0 whenever the pad number differs from the line before. May exceed the pad's zones.
        int zoneIndex = 0;
    };
    // File order; only pads 1 to 18. Empty when the file has no path line at all: the
    // samples are then taken to lie in the kit's sample folder already.
    std::vector<PathLine> paths;
};

// The whole file text of a kit, exactly as the plug-in reads it (CR LF line ends). Each zone
// line carries its pad's label as pad name and its pad's number. Texts are cut to their
// fields; commas and line breaks in them become blanks, and an empty pad name, sample name or
// source path is written as "XXX", "???" and "???", so no text can break the file.
std::string formatKitScript(const KitDocument& kit);

// Parses a kit script text (CR LF or LF). Empty when the first field is not "vst samples".
// Never reads past the end: a truncated section simply ends there. A zone line that does not
// convert ends the reading (zones so far, no paths); lines for pads outside 1 to 18 are
// skipped; texts are cut to their fields; an empty text field reads as empty.
std::optional<KitScriptContent> parseKitScript(std::string_view text);

// The kit name taken from a script's path: the file name cut at its last ".".
std::string kitNameFromPath(const std::filesystem::path& path);

// Replaces `kit` with the kit in `path`, searching samples that moved through `finder`.
// False (kit unchanged, message shown) when the file cannot be read or is not a kit script.
bool readKitScript(KitDocument& kit, const std::filesystem::path& path, const KitLocation& location,
                   KitHost& host, SampleFinder& finder);

// Saves `kit` to `path` and installs it into the plug-in folder: samples into the kit's
// sample folder (emptied first when `freshSampleFolder`), the script beside Zarvo.dll.
// False when nothing was written (double-defined note, or the file could not be written;
// the old file is then untouched).
bool writeKitScript(KitDocument& kit, const std::filesystem::path& path,
                    const KitLocation& location, KitHost& host, bool freshSampleFolder);

} // namespace padsmith
