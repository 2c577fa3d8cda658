// Reading the kit script text: one record per line, each line converted the way the plug-in's
// scan patterns read it, with a report of how far the reading got.
#include "kit/KitScript.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace padsmith {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

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

// The fields of one line, read from the left: white space before a number or a text is
// skipped, an integer is read from at most its field width (sign included), a text runs to
// the next comma and keeps its trailing blanks, and a comma after a number must follow it at
// once. A field that does not convert leaves the reason.
class LineFields {
public:
    explicit LineFields(std::string_view line) : line_(line) {}

    // "%<width>d" and the comma after it.
    bool number(std::size_t width, std::int32_t& value, const char* name, bool comma = true) {
        skipBlanks();
        std::size_t end = pos_;
        const std::size_t limit = std::min(line_.size(), pos_ + width);
        bool negative = false;
        if (end < limit && (line_[end] == '-' || line_[end] == '+')) {
            negative = line_[end] == '-';
            ++end;
        }
        const std::size_t digits = end;
        std::int32_t read = 0;
        while (end < limit && isDigit(line_[end])) {
            read = read * 10 + (line_[end] - '0');
            ++end;
        }
        if (end == digits) {
            return fail(std::string("the ") + name + " is not a number");
        }
        value = negative ? -read : read;
        pos_ = end;
        if (!comma) {
            return true;
        }
        if (pos_ < line_.size() && isDigit(line_[pos_])) {
            return fail(std::string("the ") + name + " is longer than " + std::to_string(width) +
                        " characters");
        }
        return literalComma(name);
    }

    // "%f" and the comma after it. Gains that are not finite numbers (damaged files) would
    // spoil playback and display: they read as the neutral gain.
    bool gain(float& value, const char* name) {
        skipBlanks();
        std::size_t start = pos_;
        bool negative = false;
        if (start < line_.size() && (line_[start] == '-' || line_[start] == '+')) {
            negative = line_[start] == '-';
            ++start;
        }
        float read = 0.0F;
        const char* first = line_.data() + start;
        const char* last = line_.data() + line_.size();
        const auto result = std::from_chars(first, last, read, std::chars_format::general);
        if (result.ptr == first || (first != last && (*first == '-' || *first == '+'))) {
            return fail(std::string("the ") + name + " is not a number");
        }
        if (result.ec != std::errc{} || !std::isfinite(read)) {
            read = 1.0F;
            negative = false;
        }
        value = negative ? -read : read;
        pos_ = static_cast<std::size_t>(result.ptr - line_.data());
        return literalComma(name);
    }

    // " %[^,]," : the text up to the next comma, cut to `limit`, and that comma. A zero byte
    // ends the stored text.
    bool text(std::size_t limit, std::string& value, const char* name) {
        skipBlanks();
        const std::size_t comma = line_.find(',', pos_);
        if (comma == std::string_view::npos) {
            return fail(std::string("no comma after the ") + name);
        }
        std::string_view field = line_.substr(pos_, comma - pos_);
        field = field.substr(0, field.find('\0'));
        value.assign(field.substr(0, std::min(field.size(), limit)));
        pos_ = comma + 1;
        return true;
    }

    // After the last field: its comma may be left out; nothing else may follow.
    bool end() {
        if (pos_ < line_.size() && line_[pos_] == ',') {
            ++pos_;
        }
        skipBlanks();
        return pos_ >= line_.size() || fail("more text after the last field");
    }

    const std::string& reason() const { return reason_; }

private:
    void skipBlanks() {
        while (pos_ < line_.size() && isBlank(line_[pos_])) {
            ++pos_;
        }
    }
    bool literalComma(const char* name) {
        if (pos_ < line_.size() && line_[pos_] == ',') {
            ++pos_;
            return true;
        }
        return fail(std::string("no comma after the ") + name);
    }
    bool fail(std::string reason) {
        reason_ = std::move(reason);
        return false;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
    std::string reason_;
};

enum class LineResult { Record, End, Broken };

// A line whose first field is a negative number ends its section ("-1").
bool isEndLine(std::string_view line) {
    LineFields fields(line);
    std::int32_t number = 0;
    return fields.number(2, number, "pad number", false) && number < 0;
}

// " %[^,], \n"
LineResult readHeaderLine(std::string_view line, std::string& value, const char* name,
                          std::string& reason) {
    LineFields fields(line);
    if (!fields.text(kTextMax, value, name) || !fields.end()) {
        reason = fields.reason();
        return LineResult::Broken;
    }
    return LineResult::Record;
}

// "%2d,%3d,%2d,%3d, %[^,], %[^,],\t\t%3d,%3d,%3d,%3d,%f,%f,%3d,%3d, \n"
LineResult readZoneLine(std::string_view line, SampleZone& zone, std::string& reason) {
    LineFields in(line);
    if (!in.number(2, zone.padNumber, "pad number", false)) {
        reason = in.reason();
        return LineResult::Broken;
    }
    if (zone.padNumber < 0) {
        return LineResult::End;
    }
    in = LineFields(line);
    const bool ok =
        in.number(2, zone.padNumber, "pad number") &&
        in.number(3, zone.reserved1, "first reserved field") &&
        in.number(2, zone.reserved2, "second reserved field") && in.number(3, zone.key, "key") &&
        in.text(kPadNameMax, zone.padName, "pad name") &&
        in.text(kTextMax, zone.sampleName, "sample name") &&
        in.number(3, zone.velocityLow, "lowest velocity") &&
        in.number(3, zone.velocityHigh, "highest velocity") &&
        in.number(3, zone.keyRangeLow, "lowest key of the range") &&
        in.number(3, zone.keyRangeHigh, "highest key of the range") &&
        in.gain(zone.gainLeft, "left volume") && in.gain(zone.gainRight, "right volume") &&
        in.number(3, zone.group, "group") && in.number(3, zone.voices, "voices", false) && in.end();
    if (!ok) {
        reason = in.reason();
        return LineResult::Broken;
    }
    return LineResult::Record;
}

// "%2d, %[^,], \n"
LineResult readPathLine(std::string_view line, int& padNumber, std::string& path,
                        std::string& reason) {
    LineFields in(line);
    std::int32_t number = 0;
    if (!in.number(2, number, "pad number", false)) {
        reason = in.reason();
        return LineResult::Broken;
    }
    padNumber = number;
    if (number < 0) {
        return LineResult::End;
    }
    in = LineFields(line);
    if (!in.number(2, number, "pad number") || !in.text(kTextMax, path, "path") || !in.end()) {
        reason = in.reason();
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
    LineFields first(line);
    if (!first.text(kTextMax, content.formatTag, "format tag") || content.formatTag != kFormatTag) {
        return std::nullopt;
    }
    if (!first.end()) {
        stopAt(content.report, ScriptReadReport::Section::Header, lines.number(), line,
               first.reason());
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
