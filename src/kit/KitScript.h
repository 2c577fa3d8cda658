// SPDX-License-Identifier: GPL-3.0-or-later
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

// How far a kit script could be read. It was read in part when a section that was begun (the
// header, the zone lines, the path lines) ends before its end (the fourth header line, the
// "-1" line), or when a line that does not convert stands before that end. A file without
// path section or without signature is complete.
struct ScriptReadReport {
    enum class Section { None, Header, Zones, Paths };
    Section section = Section::None; // where reading stopped early; None: read whole
    int zoneLines = 0;               // zone lines read
    int zoneLinesInFile = 0;         // up to the "-1" line, or to the end of the file
    int pathLines = 0;
    int pathLinesInFile = 0;
    // The first line that does not convert, counted from 1, and why. When the file ends too
    // early, the number of the line after the last one and an empty text.
    int lineNumber = 0;
    std::string lineText;
    std::string reason;

    bool readInPart() const { return section != Section::None; }
};

// "Only 1 of 3 zone lines could be read: line 7 \"...\": no comma after the key."
std::string readInPartText(const ScriptReadReport& report);

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
    ScriptReadReport report;
};

// The whole file text of a kit, exactly as the plug-in reads it (CR LF line ends). Each zone
// line carries its pad's label as pad name and its pad's number. Texts are cut to their
// fields; commas and line breaks in them become blanks, and an empty pad name, sample name or
// source path is written as "XXX", "???" and "???", so no text can break the file.
std::string formatKitScript(const KitDocument& kit);
// The zone lines and the path lines of pad `padIndex`, as formatKitScript writes them.
void appendZoneLines(std::string& out, const Pad& pad, int padIndex);
void appendPathLines(std::string& out, const Pad& pad, int padIndex);

// A kit script changed only where an edit changed it: from the bytes `original` the file holds,
// the header, the lines of every pad not in `pads`, the section ends and the signature are kept
// byte for byte; the zone lines of each pad in `pads` become its lines in `kit` (where the pad's
// first line stood, or before the lines of the next pad when it had none), and so do its path
// lines when the script has any (a script without path lines gets none). The new lines are in
// `page` and end in CR LF. Empty when the text is not laid out as the plug-in writes it, or was
// not read in `page` (a UTF-8 file): the whole script is to be written then.
std::optional<std::string> patchKitScript(std::string_view original, const KitDocument& kit,
                                          const std::vector<int>& pads, const CodePage& page);

// Parses a kit script text (CR LF or LF), one line per record. Empty when the first field is
// not "vst samples". Never reads past the end. A line that does not convert ends its section
// (the report says which and why); the path section after a broken zone section is still
// read, so the zones that were read keep their paths. Lines for pads outside 1 to 18 are
// skipped; texts are cut to their fields; an empty text field reads as empty.
std::optional<KitScriptContent> parseKitScript(std::string_view text);

// Replaces `kit` with the kit in `path`, searching samples that moved through `finder`.
// False (kit unchanged, message shown) when the file cannot be read or is not a kit script.
// A kit read only in part is kept as far as it was read, and the host is told which line
// stopped the reading; `report` (when given) says how far the reading got.
bool readKitScript(KitDocument& kit, const std::filesystem::path& path, const KitLocation& location,
                   KitHost& host, SampleFinder& finder, ScriptReadReport* report = nullptr);

// Saving a kit: saveKit and its steps in kit/KitSave.h.

} // namespace padsmith
