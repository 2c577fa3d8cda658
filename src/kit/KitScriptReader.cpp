// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the kit script text: one record per line, each line converted the way the plug-in's
// scan patterns read it, with a report of how far the reading got.
#include "kit/KitScript.h"
#include "kit/ScriptText.h"

#include <cstdint>
#include <string>

namespace padsmith {

namespace {

// The lines of the file, ended by LF or CR LF and numbered from 1. Lines of white space only
// stand between records and are passed over, as the plug-in's patterns skip them.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    // The next line that holds more than white space, without its line end.
    bool next(std::string_view& line) {
        while (pos_ < text_.size()) {
            std::size_t end = text_.find('\n', pos_);
            if (end == std::string_view::npos) {
                end = text_.size();
            }
            std::string_view found = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
            ++number_;
            if (!found.empty() && found.back() == '\r') {
                found.remove_suffix(1);
            }
            for (char c : found) {
                if (!isBlank(c)) {
                    line = found;
                    return true;
                }
            }
        }
        return false;
    }
    // The number of the line last returned.
    int number() const { return number_; }
    // The number a line after the last one would have.
    int endNumber() const {
        const bool open = !text_.empty() && text_.back() != '\n';
        return open ? number_ + 1 : countLines() + 1;
    }

private:
    int countLines() const {
        int count = 0;
        for (char c : text_) {
            count += c == '\n' ? 1 : 0;
        }
        return count;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

// Why a line stopped converting where `in` stands: a number longer than its field goes on with
// digits where its comma should be.
std::string missingComma(const TextScanner& in, std::string_view line, const char* field,
                         std::size_t width) {
    const std::size_t at = in.position();
    if (width > 0 && at < line.size() && line[at] >= '0' && line[at] <= '9') {
        return std::string("the ") + field + " is longer than " + std::to_string(width) +
               " characters";
    }
    return std::string("no comma after the ") + field;
}

// After the last field: its comma may be left out; nothing else may follow.
bool atLineEnd(TextScanner& in) {
    in.literal(',');
    in.skipBlanks();
    return in.atEnd();
}

enum class LineResult { Record, End, Broken };

// The first field of a record line, "%2d". A negative number ends the section ("-1").
LineResult readPadNumber(TextScanner& in, std::int32_t& padNumber, std::string& reason) {
    if (!in.integer(2, padNumber)) {
        reason = "the pad number is not a number";
        return LineResult::Broken;
    }
    return padNumber < 0 ? LineResult::End : LineResult::Record;
}

bool isEndLine(std::string_view line) {
    TextScanner in(line);
    std::int32_t number = 0;
    std::string reason;
    return readPadNumber(in, number, reason) == LineResult::End;
}

// " %[^,], \n"
LineResult readHeaderLine(std::string_view line, std::string& value, const char* field,
                          std::string& reason) {
    TextScanner in(line);
    if (!in.textField(kTextMax, value)) {
        reason = std::string("no comma after the ") + field;
        return LineResult::Broken;
    }
    if (!atLineEnd(in)) {
        reason = std::string("more text after the ") + field;
        return LineResult::Broken;
    }
    return LineResult::Record;
}

// The widths of the zone line's integer fields, for the reason a field did not convert.
std::size_t fieldWidth(std::string_view field) {
    if (field == "pad number" || field == "second reserved field") {
        return 2;
    }
    if (field == "pad name" || field == "sample name" || field == "left volume" ||
        field == "right volume") {
        return 0;
    }
    return 3;
}

// "%2d,%3d,%2d,%3d, %[^,], %[^,],\t\t%3d,%3d,%3d,%3d,%f,%f,%3d,%3d, \n"
LineResult readZoneLine(std::string_view line, SampleZone& zone, std::string& reason) {
    TextScanner in(line);
    const LineResult first = readPadNumber(in, zone.padNumber, reason);
    if (first != LineResult::Record) {
        return first;
    }
    ZoneFieldStop stop;
    if (!readZoneFields(in, zone, &stop)) {
        reason = stop.commaMissing ? missingComma(in, line, stop.field, fieldWidth(stop.field))
                                   : std::string("the ") + stop.field + " is not a number";
        return LineResult::Broken;
    }
    if (const std::string longer = missingComma(in, line, "voices", 3);
        !longer.starts_with("no comma")) {
        reason = longer;
        return LineResult::Broken;
    }
    if (!atLineEnd(in)) {
        reason = "more text after the last field";
        return LineResult::Broken;
    }
    return LineResult::Record;
}

// "%2d, %[^,], \n"
LineResult readPathLine(std::string_view line, int& padNumber, std::string& path,
                        std::string& reason) {
    TextScanner in(line);
    std::int32_t number = 0;
    const LineResult first = readPadNumber(in, number, reason);
    padNumber = number;
    if (first != LineResult::Record) {
        return first;
    }
    if (!in.literal(',')) {
        reason = missingComma(in, line, "pad number", 2);
        return LineResult::Broken;
    }
    if (!in.textField(kTextMax, path)) {
        reason = "no comma after the path";
        return LineResult::Broken;
    }
    if (!atLineEnd(in)) {
        reason = "more text after the path";
        return LineResult::Broken;
    }
    return LineResult::Record;
}

bool onPad(int padNumber) {
    return padNumber >= 1 && padNumber <= kPadCount;
}

bool isSignature(std::string_view line) {
    while (!line.empty() && isBlank(line.back())) {
        line.remove_suffix(1);
    }
    while (!line.empty() && isBlank(line.front())) {
        line.remove_prefix(1);
    }
    return line == kScriptSignature;
}

// Notes the first place where reading stopped early.
void stopAt(ScriptReadReport& report, ScriptReadReport::Section section, int lineNumber,
            std::string_view lineText, std::string reason) {
    if (report.readInPart()) {
        return;
    }
    report.section = section;
    report.lineNumber = lineNumber;
    report.lineText = std::string(lineText);
    report.reason = std::move(reason);
}

// Passes over the rest of a section after a line that did not convert, up to and with its
// "-1" line; returns how many lines stood there. False at the end of the file.
bool skipToEndLine(Lines& lines, int& skipped) {
    std::string_view line;
    while (lines.next(line)) {
        if (isEndLine(line)) {
            return true;
        }
        ++skipped;
    }
    return false;
}

// The header after the format tag. False when the file ends inside it.
bool readHeader(Lines& lines, KitScriptContent& content) {
    struct Field {
        std::string* value;
        const char* name;
    };
    const Field fields[] = {{&content.kitName, "kit name"},
                            {&content.sampleFolder, "sample folder"},
                            {&content.copyright, "copyright"}};
    for (const Field& field : fields) {
        std::string_view line;
        if (!lines.next(line)) {
            stopAt(content.report, ScriptReadReport::Section::Header, lines.endNumber(), {},
                   "the file ends in the header");
            return false;
        }
        std::string reason;
        if (readHeaderLine(line, *field.value, field.name, reason) != LineResult::Record) {
            // The zone lines are still read after the header's fourth line.
            field.value->clear();
            stopAt(content.report, ScriptReadReport::Section::Header, lines.number(), line, reason);
        }
    }
    return true;
}

// The zone lines up to their "-1" line. False when the file ends before a path section.
bool readZones(Lines& lines, KitScriptContent& content) {
    ScriptReadReport& report = content.report;
    // The scratch zone carries the pad number and key range from line to line, as the
    // plug-in's reader does.
    SampleZone scratch;
    std::string_view line;
    while (lines.next(line)) {
        resetZone(scratch);
        std::string reason;
        switch (readZoneLine(line, scratch, reason)) {
        case LineResult::End:
            report.zoneLinesInFile = report.zoneLines;
            return true;
        case LineResult::Broken: {
            stopAt(report, ScriptReadReport::Section::Zones, lines.number(), line, reason);
            int skipped = 0;
            const bool ended = skipToEndLine(lines, skipped);
            report.zoneLinesInFile = report.zoneLines + 1 + skipped;
            return ended;
        }
        case LineResult::Record:
            break;
        }
        ++report.zoneLines;
        scratch.sourcePath = kUnknownSource;
        if (onPad(scratch.padNumber)) {
            content.zones.push_back(scratch);
        } else {
            content.otherPadSamples.push_back(scratch.sampleName);
        }
    }
    report.zoneLinesInFile = report.zoneLines;
    if (report.zoneLines > 0) {
        stopAt(report, ScriptReadReport::Section::Zones, lines.endNumber(), {},
               "the file ends before the \"-1\" line of the zone lines");
    }
    return false;
}

void readPaths(Lines& lines, KitScriptContent& content) {
    ScriptReadReport& report = content.report;
    int previousPad = -1;
    int zoneIndex = 0;
    bool begun = false;
    std::string_view line;
    while (lines.next(line)) {
        // A file without path section may go on with the signature at once.
        if (!begun && isSignature(line)) {
            return;
        }
        begun = true;
        int padNumber = 0;
        std::string path;
        std::string reason;
        switch (readPathLine(line, padNumber, path, reason)) {
        case LineResult::End:
            report.pathLinesInFile = report.pathLines;
            return;
        case LineResult::Broken: {
            stopAt(report, ScriptReadReport::Section::Paths, lines.number(), line, reason);
            int skipped = 0;
            skipToEndLine(lines, skipped);
            report.pathLinesInFile = report.pathLines + 1 + skipped;
            return;
        }
        case LineResult::Record:
            break;
        }
        ++report.pathLines;
        if (!onPad(padNumber)) {
            continue;
        }
        if (padNumber != previousPad) {
            zoneIndex = 0;
            previousPad = padNumber;
        }
        content.paths.push_back({padNumber, std::move(path), zoneIndex});
        ++zoneIndex;
    }
    report.pathLinesInFile = report.pathLines;
    if (begun) {
        stopAt(report, ScriptReadReport::Section::Paths, lines.endNumber(), {},
               "the file ends before the \"-1\" line of the path lines");
    }
}

// A line as a message shows it: cut when long.
std::string shownLine(const std::string& text) {
    constexpr std::size_t kShown = 60;
    return text.size() > kShown ? text.substr(0, kShown) + "..." : text;
}

std::string lines(int count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? " line" : " lines");
}

} // namespace

std::optional<KitScriptContent> parseKitScript(std::string_view text) {
    Lines lines(text);
    KitScriptContent content;
    std::string_view line;
    std::string reason;
    if (!lines.next(line)) {
        return std::nullopt;
    }
    TextScanner first(line);
    if (!first.textField(kTextMax, content.formatTag) || content.formatTag != kFormatTag) {
        return std::nullopt;
    }
    if (!atLineEnd(first)) {
        stopAt(content.report, ScriptReadReport::Section::Header, lines.number(), line,
               "more text after the format tag");
    }
    if (readHeader(lines, content) && readZones(lines, content)) {
        readPaths(lines, content);
    }
    return content;
}

std::string readInPartText(const ScriptReadReport& report) {
    using Section = ScriptReadReport::Section;
    std::string where;
    if (report.lineText.empty()) {
        where = report.reason + " (line " + std::to_string(report.lineNumber) + ")";
    } else {
        where = "line " + std::to_string(report.lineNumber) + " \"" + shownLine(report.lineText) +
                "\": " + report.reason;
    }
    switch (report.section) {
    case Section::None:
        return {};
    case Section::Header:
        return "The header could be read only in part: " + where + ".";
    case Section::Zones:
        return "Only " + std::to_string(report.zoneLines) + " of " +
               lines(report.zoneLinesInFile, "zone") + " could be read: " + where + ".";
    case Section::Paths:
        return "Only " + std::to_string(report.pathLines) + " of " +
               lines(report.pathLinesInFile, "path") + " could be read: " + where + ".";
    }
    return {};
}

} // namespace padsmith
