// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/InstrumentText.h"

#include "kit/KitScript.h"
#include "kit/ScriptText.h"

namespace padsmith {

namespace {

// Enough of a broken line to recognise it in a message.
constexpr std::size_t kStopTextMax = 80;

// The lines of a text, split at LF, each without its CR.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        pos_ = end + 1;
        ++number_;
        return true;
    }
    int number() const { return number_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

bool isBlankLine(std::string_view line) {
    for (const char c : line) {
        if (!isBlank(c)) {
            return false;
        }
    }
    return true;
}

enum class LineResult { Zone, End, Broken };

// Source paths are read whole, so that one too long for a kit script is refused by name at the
// import rather than cut into the path of another file.
constexpr std::size_t kLongPathMax = 32768;

// "%2d,%3d,%2d,%3d, %[^,], %[^,],%3d,%3d,%3d,%3d,%f,%f,%3d,%3d, %[^,]," within one line.
LineResult readZoneLine(std::string_view line, SampleZone& zone) {
    TextScanner in(line);
    if (!in.integer(2, zone.padNumber)) {
        return LineResult::Broken;
    }
    if (zone.padNumber < 0) {
        return LineResult::End;
    }
    const bool ok = readZoneFields(in, zone) && in.literal(',') &&
                    in.text(kLongPathMax, zone.sourcePath) && in.literal(',');
    return ok ? LineResult::Zone : LineResult::Broken;
}

} // namespace

std::string formatInstrument(const Pad& pad, int padIndex) {
    std::string out;
    out += kInstrumentHeader;
    out += ',';
    out += kLineEnd;
    for (const SampleZone& zone : pad) {
        appendZoneFields(out, padIndex + 1, pad.label, zone, GainDecimals::One);
        out += fieldText(zone.sourcePath, kTextMax, kUnknownSource);
        out += ',';
        out += kLineEnd;
    }
    appendSectionEnd(out);
    out += kScriptSignature;
    return out;
}

InstrumentContent parseInstrument(std::string_view text) {
    InstrumentContent content;
    LineSplitter lines(text);
    std::string_view line;
    if (lines.next(line)) {
        // The header: whatever it says, the zone lines follow it.
        while (lines.next(line)) {
            if (isBlankLine(line)) {
                continue;
            }
            SampleZone zone; // every line sets every field: nothing carries over
            const LineResult result = readZoneLine(line, zone);
            if (result == LineResult::End) {
                content.complete = true;
                break;
            }
            if (result == LineResult::Broken) {
                content.stopLine = lines.number();
                const std::string_view shown = line.substr(0, line.find('\0'));
                content.stopText = shown.substr(0, kStopTextMax);
                break;
            }
            content.zones.push_back(std::move(zone));
        }
    }
    content.linesRead = lines.number();
    return content;
}

std::string describeIncompleteRead(const InstrumentContent& content, const std::string& fileName) {
    if (content.complete) {
        return {};
    }
    if (content.stopLine > 0) {
        return fileName + " was read only in part: line " + std::to_string(content.stopLine) +
               " could not be read:\n" + content.stopText;
    }
    if (content.linesRead == 0) {
        return fileName + " is empty.";
    }
    return fileName + " was read only in part: it ends after line " +
           std::to_string(content.linesRead) + " without its end line.";
}

std::string formatPadKitScript(const KitDocument& kit, int padIndex) {
    std::string out;
    appendKitHeader(out, kit.kitName, kit.sampleFolder, kit.copyright);
    const Pad& pad = kit.pads.at(static_cast<std::size_t>(padIndex));
    for (const SampleZone& zone : pad) {
        appendZoneFields(out, padIndex + 1, pad.label, zone, GainDecimals::Two);
        out += kLineEnd;
    }
    appendSectionEnd(out);
    out += kScriptSignature;
    return out;
}

} // namespace padsmith
