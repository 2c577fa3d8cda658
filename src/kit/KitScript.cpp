// The kit script text as the writer makes it; the reader is in KitScriptReader.cpp.
#include "kit/KitScript.h"

#include <charconv>

namespace padsmith {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

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

} // namespace padsmith
