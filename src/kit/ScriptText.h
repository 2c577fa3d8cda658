// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace padsmith {

struct SampleZone;

// The pieces that the kit script and the instrument file share: how numbers and texts are
// written into a line, and how a line is scanned back the way the plug-in reads it.

// Every line the program writes ends so, whatever the platform.
inline constexpr std::string_view kLineEnd = "\r\n";

// "%<width>d": right-aligned in `width` characters, wider when the number needs it.
void appendNumber(std::string& out, int value, int width);
// " %.<decimals>f": a blank, then the value with a point, whatever the user's locale says.
void appendDecimal(std::string& out, double value, int decimals);
// `value` rounded to one decimal, a half away from zero (0.25 gives 0.3, -0.25 gives -0.3).
double roundToTenths(double value);

// A text as it may stand in a field: commas and line breaks would split the line, so they
// become blanks; a zero byte ends the text; the field's width is kept. A text that would be
// empty (or blank, which reads as empty) is replaced by `placeholder` when one is given, since
// readers that need at least one character would stop at such a line and lose the rest.
std::string fieldText(const std::string& text, std::size_t limit, const char* placeholder);

bool isBlank(char c);

class TextScanner;
// Where readZoneFields stopped: the field that did not convert, or the field after which the
// comma is missing.
struct ZoneFieldStop {
    const char* field = "";
    bool commaMissing = false;
};
// Scans the fields after a zone line's pad number, up to the voices without their comma:
// ",%3d,%2d,%3d, %[^,], %[^,],%3d,%3d,%3d,%3d,%f,%f,%3d,%3d".
bool readZoneFields(TextScanner& in, SampleZone& zone, ZoneFieldStop* stop = nullptr);

// A kit script's header: "vst samples", the kit name, the sample folder and the copyright,
// each on a line with its comma, then an empty line.
void appendKitHeader(std::string& out, const std::string& kitName, const std::string& sampleFolder,
                     const std::string& copyright);
// The line "-1" that ends a section, and the empty line after it.
void appendSectionEnd(std::string& out);

enum class GainDecimals {
    Two, // kit scripts: " %.2f"
    One, // instrument files: " %.1f", a half rounded away from zero
};
// The fourteen fields of a zone line, each followed by its comma, without the line end:
// "%2d,%3d,%2d,%3d,%s,%s,%3d,%3d,%3d,%3d, %.2f, %.2f,%3d,%3d,". The pad number and pad name
// are given, since they come from the pad the zone sits in.
void appendZoneFields(std::string& out, int padNumber, const std::string& padName,
                      const SampleZone& zone, GainDecimals decimals);

// Reads the way the plug-in's scan patterns do: blanks in a pattern match any run of white
// space (or none), integers are read from at most their field width, texts run to the next
// comma. Never reads past the end of the text.
class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    void skipBlanks();
    bool literal(char c);
    // "%<width>d": white space, then at most `width` characters, the sign included.
    bool integer(std::size_t width, std::int32_t& value);
    // "%f": white space, then a whole decimal number. A number that is not finite (a damaged
    // file) reads as the neutral gain 1.
    bool real(float& value);
    // " %[^,]": white space, then everything up to the next comma on this line. The comma
    // stays unread. A zero byte ends the stored text; `limit` cuts it.
    bool text(std::size_t limit, std::string& value);
    // A text field with its comma and the white space after it: " %[^,], ".
    bool textField(std::size_t limit, std::string& value);

    std::size_t position() const { return pos_; }
    void setPosition(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace padsmith
