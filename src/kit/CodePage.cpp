// SPDX-License-Identifier: GPL-3.0-or-later
// The code pages kit files are written in, and the UTF-8 the program works in.
#include "kit/CodePage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace padsmith {

// Bytes 0x80 to 0xFF of one code page as Unicode characters; bytes below are ASCII everywhere.
// Bytes a code page leaves undefined hold their own number.
struct CodePageTable {
    std::string_view name;
    std::array<char16_t, 128> high;
};

namespace {

// clang-format off
constexpr CodePageTable kTables[] = {
    // western European
    {"Windows-1252",
     {
     0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
     0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
     0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
     0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
     0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
     0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
     0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
     0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
     0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
     0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
     0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
     0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
     0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
     }},
    // central European
    {"Windows-1250",
     {
     0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
     0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
     0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
     0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
     0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
     0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
     0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
     0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
     0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
     0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
     0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
     0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
     0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
     0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
     }},
    // Cyrillic
    {"Windows-1251",
     {
     0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
     0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
     0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
     0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
     0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
     0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
     0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
     0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
     0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
     0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
     0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
     0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
     0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
     0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
     0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
     }},
    // Baltic
    {"Windows-1257",
     {
     0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
     0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x00A8, 0x02C7, 0x00B8,
     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x00AF, 0x02DB, 0x009F,
     0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
     0x00D8, 0x00A9, 0x0156, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00C6,
     0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
     0x00F8, 0x00B9, 0x0157, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00E6,
     0x0104, 0x012E, 0x0100, 0x0106, 0x00C4, 0x00C5, 0x0118, 0x0112,
     0x010C, 0x00C9, 0x0179, 0x0116, 0x0122, 0x0136, 0x012A, 0x013B,
     0x0160, 0x0143, 0x0145, 0x00D3, 0x014C, 0x00D5, 0x00D6, 0x00D7,
     0x0172, 0x0141, 0x015A, 0x016A, 0x00DC, 0x017B, 0x017D, 0x00DF,
     0x0105, 0x012F, 0x0101, 0x0107, 0x00E4, 0x00E5, 0x0119, 0x0113,
     0x010D, 0x00E9, 0x017A, 0x0117, 0x0123, 0x0137, 0x012B, 0x013C,
     0x0161, 0x0144, 0x0146, 0x00F3, 0x014D, 0x00F5, 0x00F6, 0x00F7,
     0x0173, 0x0142, 0x015B, 0x016B, 0x00FC, 0x017C, 0x017E, 0x02D9,
     }},
    // Latin-1
    {"ISO-8859-1",
     {
     0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085, 0x0086, 0x0087,
     0x0088, 0x0089, 0x008A, 0x008B, 0x008C, 0x008D, 0x008E, 0x008F,
     0x0090, 0x0091, 0x0092, 0x0093, 0x0094, 0x0095, 0x0096, 0x0097,
     0x0098, 0x0099, 0x009A, 0x009B, 0x009C, 0x009D, 0x009E, 0x009F,
     0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
     0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
     0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
     0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
     0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
     0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
     0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
     0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
     0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
     0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
     0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
     0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
     }},
    // Latin-9, with the euro sign
    {"ISO-8859-15",
     {
     0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085, 0x0086, 0x0087,
     0x0088, 0x0089, 0x008A, 0x008B, 0x008C, 0x008D, 0x008E, 0x008F,
     0x0090, 0x0091, 0x0092, 0x0093, 0x0094, 0x0095, 0x0096, 0x0097,
     0x0098, 0x0099, 0x009A, 0x009B, 0x009C, 0x009D, 0x009E, 0x009F,
     0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x20AC, 0x00A5, 0x0160, 0x00A7,
     0x0161, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
     0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x017D, 0x00B5, 0x00B6, 0x00B7,
     0x017E, 0x00B9, 0x00BA, 0x00BB, 0x0152, 0x0153, 0x0178, 0x00BF,
     0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
     0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
     0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
     0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
     0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
     0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
     0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
     0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
     }},
};
// clang-format on

constexpr char32_t kInvalid = 0xFFFFFFFF;

// The character at `pos`: its code point and its length in bytes. A byte that does not start
// valid UTF-8 (overlong forms, surrogates and code points beyond U+10FFFF included) gives
// kInvalid and length 1.
struct Utf8Char {
    char32_t code;
    std::size_t length;
};

Utf8Char utf8At(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1FU;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0FU;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07U;
        minimum = 0x10000;
    } else {
        return {kInvalid, 1};
    }
    if (pos + length > text.size()) {
        return {kInvalid, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0U) != 0x80U) {
            return {kInvalid, 1};
        }
        code = (code << 6U) | (byte(i) & 0x3FU);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {kInvalid, 1};
    }
    return {code, length};
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0U | (code >> 6U)));
        out.push_back(static_cast<char>(0x80U | (code & 0x3FU)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0U | (code >> 12U)));
        out.push_back(static_cast<char>(0x80U | ((code >> 6U) & 0x3FU)));
        out.push_back(static_cast<char>(0x80U | (code & 0x3FU)));
    } else {
        out.push_back(static_cast<char>(0xF0U | (code >> 18U)));
        out.push_back(static_cast<char>(0x80U | ((code >> 12U) & 0x3FU)));
        out.push_back(static_cast<char>(0x80U | ((code >> 6U) & 0x3FU)));
        out.push_back(static_cast<char>(0x80U | (code & 0x3FU)));
    }
}

// "Windows-1252" and "cp1252" alike: without letter case, "-" and "_".
std::string nameKey(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c == '-' || c == '_' || c == ' ') {
            continue;
        }
        key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    if (key.starts_with("cp")) {
        key = "windows" + key.substr(2);
    }
    return key;
}

// The lower-case letter of `code` for the scripts the offered code pages cover (Latin,
// Cyrillic, Greek); the character itself when it has none.
char32_t lowerCase(char32_t code) {
    const auto inRange = [code](char32_t first, char32_t last) {
        return code >= first && code <= last;
    };
    const bool even = (code % 2) == 0;
    if (inRange('A', 'Z') || (inRange(0xC0, 0xDE) && code != 0xD7)) {
        return code + 0x20;
    }
    if ((inRange(0x100, 0x12F) || inRange(0x132, 0x137) || inRange(0x14A, 0x177)) && even) {
        return code + 1;
    }
    if ((inRange(0x139, 0x148) || inRange(0x179, 0x17E)) && !even) {
        return code + 1;
    }
    switch (code) {
    case 0x130: // İ
        return 'i';
    case 0x178: // Ÿ
        return 0xFF;
    case 0x386:
        return 0x3AC;
    case 0x38C:
        return 0x3CC;
    default:
        break;
    }
    if (inRange(0x388, 0x38A)) {
        return code + 0x25;
    }
    if (inRange(0x38E, 0x38F)) {
        return code + 0x3F;
    }
    if (inRange(0x391, 0x3AB) && code != 0x3A2) {
        return code + 0x20;
    }
    if (inRange(0x400, 0x40F)) {
        return code + 0x50;
    }
    if (inRange(0x410, 0x42F)) {
        return code + 0x20;
    }
    if ((inRange(0x460, 0x481) || inRange(0x48A, 0x4BF)) && even) {
        return code + 1;
    }
    return code;
}

} // namespace

CodePage::CodePage() : table_(&kTables[0]) {}

std::optional<CodePage> CodePage::byName(std::string_view name) {
    const std::string key = nameKey(name);
    for (const CodePageTable& table : kTables) {
        if (nameKey(table.name) == key) {
            return CodePage(&table, true);
        }
    }
    return std::nullopt;
}

std::vector<CodePage> CodePage::all() {
    std::vector<CodePage> pages;
    for (const CodePageTable& table : kTables) {
        pages.push_back(CodePage(&table, false));
    }
    return pages;
}

std::string_view CodePage::name() const {
    return table_->name;
}

std::string CodePage::decode(std::string_view bytes) const {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            appendUtf8(out, table_->high[byte - 0x80U]);
        }
    }
    return out;
}

CodePage::Encoded CodePage::encode(std::string_view utf8) const {
    Encoded result;
    result.bytes.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Utf8Char c = utf8At(utf8, pos);
        if (c.code < 0x80) {
            result.bytes.push_back(static_cast<char>(c.code));
        } else {
            const auto* found = c.code == kInvalid
                                    ? table_->high.end()
                                    : std::find(table_->high.begin(), table_->high.end(), c.code);
            if (found == table_->high.end()) {
                result.bytes.clear();
                result.unheld = std::string(utf8.substr(pos, c.length));
                return result;
            }
            result.bytes.push_back(static_cast<char>(0x80 + (found - table_->high.begin())));
        }
        pos += c.length;
    }
    return result;
}

bool CodePage::canHold(std::string_view utf8) const {
    const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii || encode(utf8).ok();
}

std::size_t CodePage::byteLength(std::string_view utf8) const {
    return characterCount(utf8);
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = utf8At(text, pos);
        if (c.code == kInvalid) {
            return false;
        }
        pos += c.length;
    }
    return true;
}

bool isUtf8WithNonAscii(std::string_view text) {
    const bool nonAscii = std::any_of(text.begin(), text.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return nonAscii && isValidUtf8(text);
}

std::string_view withoutUtf8Bom(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
    }
    return bytes;
}

std::string decodeFileText(std::string_view bytes, const CodePage& page) {
    const std::string_view text = withoutUtf8Bom(bytes);
    // A byte-order mark says UTF-8 even when the rest is plain ASCII; without one, a code page
    // the user named is taken at its word.
    const bool marked = text.size() < bytes.size();
    if ((marked && isValidUtf8(text)) || (!marked && !page.isNamed() && isUtf8WithNonAscii(text))) {
        return std::string(text);
    }
    return page.decode(text);
}

std::string toValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = utf8At(text, pos);
        if (c.code == kInvalid) {
            out += "\uFFFD";
        } else {
            out.append(text.substr(pos, c.length));
        }
        pos += c.length;
    }
    return out;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); pos += utf8At(utf8, pos).length) {
        ++count;
    }
    return count;
}

std::string cutCharacters(std::string_view utf8, std::size_t limit) {
    std::size_t pos = 0;
    for (std::size_t count = 0; count < limit && pos < utf8.size(); ++count) {
        pos += utf8At(utf8, pos).length;
    }
    return std::string(utf8.substr(0, pos));
}

std::string foldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        // Letters of ASCII without decoding: most names have no other.
        if (const char byte = utf8[pos]; static_cast<unsigned char>(byte) < 0x80) {
            out.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 0x20) : byte);
            ++pos;
            continue;
        }
        const Utf8Char c = utf8At(utf8, pos);
        if (c.code == kInvalid) {
            out.push_back(utf8[pos]);
        } else {
            appendUtf8(out, lowerCase(c.code));
        }
        pos += c.length;
    }
    return out;
}

std::string describeCharacter(std::string_view character) {
    char code[32];
    const Utf8Char c = character.empty() ? Utf8Char{kInvalid, 0} : utf8At(character, 0);
    if (c.code == kInvalid) {
        const unsigned byte = character.empty() ? 0U : static_cast<unsigned char>(character[0]);
        std::snprintf(code, sizeof code, "the byte 0x%02X", byte);
        return code;
    }
    std::snprintf(code, sizeof code, "\" (U+%04X)", static_cast<unsigned>(c.code));
    std::string text(1, '"');
    text.append(character.substr(0, c.length));
    text.append(code);
    return text;
}

std::optional<std::string> codePageRefusal(const CodePage& page, std::string_view utf8) {
    const CodePage::Encoded encoded = page.encode(utf8);
    if (encoded.ok()) {
        return std::nullopt;
    }
    return describeCharacter(encoded.unheld) + " can't be written in the code page " +
           std::string(page.name()) + " that the plug-in reads.";
}

} // namespace padsmith
