#include "kit/KitScript.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace padsmith {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// --- Writing ---------------------------------------------------------------------------------

void putInt(std::string& out, int value, int width) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const auto length = static_cast<int>(result.ptr - buffer);
    if (length < width) {
        out.append(static_cast<std::size_t>(width - length), ' ');
    }
    out.append(buffer, result.ptr);
}

// Two decimals, always with a point whatever the user's locale says.
void putGain(std::string& out, float gain) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(gain),
                                      std::chars_format::fixed, 2);
    out.push_back(' ');
    out.append(buffer, result.ptr);
}

// A text as it may stand in a field: commas and line breaks would split the line, so they
// become blanks; a zero byte ends the text; the field's width is kept. A zone text that would
// be empty (or blank, which reads as empty) is replaced by `placeholder`, since readers that
// need at least one character would stop at such a line and lose the rest of the kit.
std::string fieldText(const std::string& text, std::size_t limit, const char* placeholder) {
    std::string out = cutText(text.substr(0, text.find('\0')), limit);
    bool blank = true;
    for (char& c : out) {
        if (c == ',' || c == '\r' || c == '\n') {
            c = ' ';
        }
        if (c != ' ' && c != '\t' && c != '\v' && c != '\f') {
            blank = false;
        }
    }
    if (blank && placeholder != nullptr) {
        return placeholder;
    }
    return out;
}

void putHeaderLine(std::string& out, const std::string& text) {
    out += fieldText(text, kTextMax, nullptr);
    out += ',';
    out += kLineEnd;
}

// --- Reading ---------------------------------------------------------------------------------

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the way the plug-in's scan patterns do: blanks in a pattern match any run of white
// space (or none), integers are read from at most their field width, texts run to the next
// comma. Never reads past the end of the text.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            ++pos_;
        }
    }

    bool literal(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // "%<width>d": white space, then at most `width` characters, the sign included.
    bool integer(std::size_t width, std::int32_t& value) {
        skipBlanks();
        std::size_t end = pos_;
        const std::size_t limit = std::min(text_.size(), pos_ + width);
        bool negative = false;
        if (end < limit && (text_[end] == '-' || text_[end] == '+')) {
            negative = text_[end] == '-';
            ++end;
        }
        const std::size_t digitsStart = end;
        std::int32_t number = 0;
        while (end < limit && text_[end] >= '0' && text_[end] <= '9') {
            number = number * 10 + (text_[end] - '0');
            ++end;
        }
        if (end == digitsStart) {
            return false;
        }
        value = negative ? -number : number;
        pos_ = end;
        return true;
    }

    // "%f": white space, then a whole decimal number.
    bool real(float& value) {
        skipBlanks();
        std::size_t start = pos_;
        bool negative = false;
        if (start < text_.size() && (text_[start] == '-' || text_[start] == '+')) {
            negative = text_[start] == '-';
            ++start;
        }
        // A second sign is not a number.
        if (start < text_.size() && (text_[start] == '-' || text_[start] == '+')) {
            return false;
        }
        float number = 0.0F;
        const char* first = text_.data() + start;
        const auto result =
            std::from_chars(first, text_.data() + text_.size(), number, std::chars_format::general);
        if (result.ptr == first) {
            return false;
        }
        // Gains that are not finite numbers (damaged files) would spoil playback and display:
        // they read as the neutral gain.
        if (result.ec != std::errc{} || !std::isfinite(number)) {
            number = 1.0F;
            negative = false;
        }
        value = negative ? -number : number;
        pos_ = static_cast<std::size_t>(result.ptr - text_.data());
        return true;
    }

    // " %[^,]": white space, then everything up to the next comma on this line. The comma
    // stays unread. A zero byte ends the stored text; the field's width cuts it.
    bool text(std::size_t limit, std::string& value) {
        skipBlanks();
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != ',' && text_[end] != '\n') {
            ++end;
        }
        if (end >= text_.size() || text_[end] != ',') {
            return false;
        }
        std::string_view field = text_.substr(pos_, end - pos_);
        field = field.substr(0, field.find('\0'));
        value = cutText(std::string(field), limit);
        pos_ = end;
        return true;
    }

    // A text field with its comma and the white space after it: " %[^,], ".
    bool textField(std::size_t limit, std::string& value) {
        if (!text(limit, value) || !literal(',')) {
            return false;
        }
        skipBlanks();
        return true;
    }

    std::size_t position() const { return pos_; }
    void setPosition(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

enum class LineResult { Zone, End, Broken };

// "%2d,%3d,%2d,%3d, %[^,], %[^,],\t\t%3d,%3d,%3d,%3d,%f,%f,%3d,%3d, \n"
LineResult readZoneLine(Scanner& in, SampleZone& zone) {
    if (!in.integer(2, zone.padNumber)) {
        return LineResult::Broken;
    }
    if (zone.padNumber < 0) {
        return LineResult::End;
    }
    const bool ok = in.literal(',') && in.integer(3, zone.reserved1) && in.literal(',') &&
                    in.integer(2, zone.reserved2) && in.literal(',') && in.integer(3, zone.key) &&
                    in.literal(',') && in.textField(kPadNameMax, zone.padName) &&
                    in.textField(kTextMax, zone.sampleName) && in.integer(3, zone.velocityLow) &&
                    in.literal(',') && in.integer(3, zone.velocityHigh) && in.literal(',') &&
                    in.integer(3, zone.keyRangeLow) && in.literal(',') &&
                    in.integer(3, zone.keyRangeHigh) && in.literal(',') && in.real(zone.gainLeft) &&
                    in.literal(',') && in.real(zone.gainRight) && in.literal(',') &&
                    in.integer(3, zone.group) && in.literal(',') && in.integer(3, zone.voices);
    if (!ok) {
        return LineResult::Broken;
    }
    if (in.literal(',')) {
        in.skipBlanks();
    }
    return LineResult::Zone;
}

// "%2d, %[^,], \n"
LineResult readPathLine(Scanner& in, int& padNumber, std::string& path) {
    std::int32_t number = 0;
    if (!in.integer(2, number)) {
        return LineResult::Broken;
    }
    padNumber = number;
    if (number < 0) {
        return LineResult::End;
    }
    if (!in.literal(',') || !in.textField(kTextMax, path)) {
        return LineResult::Broken;
    }
    return LineResult::Zone;
}

bool onPad(int padNumber) {
    return padNumber >= 1 && padNumber <= kPadCount;
}

} // namespace

std::string formatKitScript(const KitDocument& kit) {
    std::string out;
    out.reserve(4096);
    putHeaderLine(out, kFormatTag);
    putHeaderLine(out, kit.kitName);
    putHeaderLine(out, kit.sampleFolder);
    putHeaderLine(out, kit.copyright);
    out += kLineEnd;

    // Pad numbers come from the pad a zone sits in, so a zone whose number was not yet
    // refreshed (moved between pads) is still read back into the right pad.
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (const SampleZone& zone : pad) {
            putInt(out, p + 1, 2);
            out += ',';
            putInt(out, zone.reserved1, 3);
            out += ',';
            putInt(out, zone.reserved2, 2);
            out += ',';
            putInt(out, zone.key, 3);
            out += ',';
            out += fieldText(pad.label, kPadNameMax, kUnnamedPad);
            out += ',';
            out += fieldText(zone.sampleName, kTextMax, kUnknownSource);
            out += ',';
            putInt(out, zone.velocityLow, 3);
            out += ',';
            putInt(out, zone.velocityHigh, 3);
            out += ',';
            putInt(out, zone.keyRangeLow, 3);
            out += ',';
            putInt(out, zone.keyRangeHigh, 3);
            out += ',';
            putGain(out, zone.gainLeft);
            out += ',';
            putGain(out, zone.gainRight);
            out += ',';
            putInt(out, zone.group, 3);
            out += ',';
            putInt(out, zone.voices, 3);
            out += ',';
            out += kLineEnd;
        }
    }
    out += "-1";
    out += kLineEnd;
    out += kLineEnd;

    for (int p = 0; p < kPadCount; ++p) {
        for (const SampleZone& zone : kit.pads[static_cast<std::size_t>(p)]) {
            putInt(out, p + 1, 2);
            out += ',';
            out += fieldText(zone.sourcePath, kTextMax, kUnknownSource);
            out += ',';
            out += kLineEnd;
        }
    }
    out += "-1";
    out += kLineEnd;
    out += kLineEnd;
    out += kScriptSignature;
    return out;
}

std::optional<KitScriptContent> parseKitScript(std::string_view text) {
    Scanner in(text);
    KitScriptContent content;
    if (!in.textField(kTextMax, content.formatTag) || content.formatTag != kFormatTag) {
        return std::nullopt;
    }
    // A header that breaks off leaves an empty kit.
    if (!in.textField(kTextMax, content.kitName) || !in.textField(kTextMax, content.sampleFolder) ||
        !in.textField(kTextMax, content.copyright)) {
        return content;
    }

    // The scratch zone carries the pad number and key range from line to line, as the
    // plug-in's reader does.
    SampleZone scratch;
    for (;;) {
        resetZone(scratch);
        const LineResult line = readZoneLine(in, scratch);
        if (line == LineResult::End) {
            break;
        }
        if (line == LineResult::Broken) {
            // Without its end mark the zone section cannot be told from the path section:
            // keep the zones read so far and no paths.
            return content;
        }
        scratch.sourcePath = kUnknownSource;
        if (onPad(scratch.padNumber)) {
            content.zones.push_back(scratch);
        } else {
            content.otherPadSamples.push_back(scratch.sampleName);
        }
    }

    int previousPad = -1;
    int zoneIndex = 0;
    for (;;) {
        int padNumber = 0;
        std::string path;
        if (readPathLine(in, padNumber, path) != LineResult::Zone) {
            break;
        }
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
    return content;
}

std::string kitNameFromPath(const std::filesystem::path& path) {
    std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    // A name that is only an extension (".txt") keeps it: an empty kit name would make the
    // plug-in folder itself the kit's sample folder.
    if (dot != std::string::npos && dot > 0 && name.size() > 1) {
        name.resize(dot);
    }
    return name;
}

} // namespace padsmith
