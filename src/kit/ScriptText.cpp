// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ScriptText.h"

#include "kit/KitScript.h"
#include "kit/SampleZone.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace padsmith {

void appendNumber(std::string& out, int value, int width) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const auto length = static_cast<int>(result.ptr - buffer);
    if (length < width) {
        out.append(static_cast<std::size_t>(width - length), ' ');
    }
    out.append(buffer, result.ptr);
}

void appendDecimal(std::string& out, double value, int decimals) {
    char buffer[400]; // room for the widest double in fixed notation
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.push_back(' ');
    out.append(buffer, result.ptr);
}

double roundToTenths(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    // A float times ten is exact in a double, so a half is seen as a half. Adding 0 turns a
    // negative zero into a plain one.
    return std::round(value * 10.0) / 10.0 + 0.0;
}

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

namespace {

void appendHeaderLine(std::string& out, const std::string& text) {
    out += fieldText(text, kTextMax, nullptr);
    out += ',';
    out += kLineEnd;
}

} // namespace

void appendKitHeader(std::string& out, const std::string& kitName, const std::string& sampleFolder,
                     const std::string& copyright) {
    appendHeaderLine(out, kFormatTag);
    appendHeaderLine(out, kitName);
    appendHeaderLine(out, sampleFolder);
    appendHeaderLine(out, copyright);
    out += kLineEnd;
}

void appendSectionEnd(std::string& out) {
    out += "-1";
    out += kLineEnd;
    out += kLineEnd;
}

void appendZoneFields(std::string& out, int padNumber, const std::string& padName,
                      const SampleZone& zone, GainDecimals decimals) {
    auto number = [&out](int value, int width) {
        appendNumber(out, value, width);
        out += ',';
    };
    auto gain = [&out, decimals](float value) {
        if (decimals == GainDecimals::One) {
            appendDecimal(out, roundToTenths(static_cast<double>(value)), 1);
        } else {
            appendDecimal(out, static_cast<double>(value), 2);
        }
        out += ',';
    };
    number(padNumber, 2);
    number(zone.reserved1, 3);
    number(zone.reserved2, 2);
    number(zone.key, 3);
    out += fieldText(padName, kPadNameMax, kUnnamedPad);
    out += ',';
    out += fieldText(zone.sampleName, kTextMax, kUnknownSource);
    out += ',';
    number(zone.velocityLow, 3);
    number(zone.velocityHigh, 3);
    number(zone.keyRangeLow, 3);
    number(zone.keyRangeHigh, 3);
    gain(zone.gainLeft);
    gain(zone.gainRight);
    number(zone.group, 3);
    number(zone.voices, 3);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool readZoneFields(TextScanner& in, SampleZone& zone, ZoneFieldStop* stop) {
    // The field read last, so that a missing comma can be told after which field.
    const char* last = "pad number";
    auto stopAt = [stop](const char* field, bool commaMissing) {
        if (stop != nullptr) {
            *stop = {field, commaMissing};
        }
        return false;
    };
    auto comma = [&] { return in.literal(',') || stopAt(last, true); };
    auto integer = [&](std::size_t width, std::int32_t& value, const char* field) {
        last = field;
        return in.integer(width, value) || stopAt(field, false);
    };
    auto real = [&](float& value, const char* field) {
        last = field;
        return in.real(value) || stopAt(field, false);
    };
    // A text runs to the next comma: it fails only when that comma is missing.
    auto text = [&](std::size_t limit, std::string& value, const char* field) {
        last = field;
        return in.textField(limit, value) || stopAt(field, true);
    };
    return comma() && integer(3, zone.reserved1, "first reserved field") && comma() &&
           integer(2, zone.reserved2, "second reserved field") && comma() &&
           integer(3, zone.key, "key") && comma() && text(kPadNameMax, zone.padName, "pad name") &&
           text(kTextMax, zone.sampleName, "sample name") &&
           integer(3, zone.velocityLow, "lowest velocity") && comma() &&
           integer(3, zone.velocityHigh, "highest velocity") && comma() &&
           integer(3, zone.keyRangeLow, "lowest key of the range") && comma() &&
           integer(3, zone.keyRangeHigh, "highest key of the range") && comma() &&
           real(zone.gainLeft, "left volume") && comma() && real(zone.gainRight, "right volume") &&
           comma() && integer(3, zone.group, "group") && comma() &&
           integer(3, zone.voices, "voices");
}

void TextScanner::skipBlanks() {
    while (pos_ < text_.size() && isBlank(text_[pos_])) {
        ++pos_;
    }
}

bool TextScanner::literal(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    return false;
}

bool TextScanner::integer(std::size_t width, std::int32_t& value) {
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

bool TextScanner::real(float& value) {
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

bool TextScanner::text(std::size_t limit, std::string& value) {
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

bool TextScanner::textField(std::size_t limit, std::string& value) {
    if (!text(limit, value) || !literal(',')) {
        return false;
    }
    skipBlanks();
    return true;
}

} // namespace padsmith
