// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

// Inside the program every text is UTF-8. Kit scripts and instrument files hold their texts in
// the 8-bit code page that the plug-in reads them in; this is where the two meet.

inline constexpr std::string_view kDefaultCodePage = "Windows-1252";
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct CodePageTable;

// One of the 8-bit code pages the kit files can be written in. Every byte reads as one
// character; a byte the code page leaves undefined reads as the character of the same number,
// so that a file read and written again keeps every byte.
class CodePage {
public:
    // Windows-1252, the code page of the plug-in in western Europe, taken because none was named.
    CodePage();

    // "Windows-1252", "windows1252", "cp1252", "ISO-8859-15", ...: letter case, "-" and "_" do
    // not count. Empty for a code page that is not offered. The page found is a named one.
    static std::optional<CodePage> byName(std::string_view name);
    // Every code page offered, the default first.
    static std::vector<CodePage> all();

    std::string_view name() const;
    // The user named this code page (an option, a setting): files are read in it, even when
    // their bytes happen to be valid UTF-8.
    bool isNamed() const { return named_; }

    // 8-bit text to UTF-8. Never fails.
    std::string decode(std::string_view bytes) const;

    struct Encoded {
        std::string bytes;  // the whole text in the code page, when it could be held
        std::string unheld; // else the first character that cannot (or the byte that is no UTF-8)
        bool ok() const { return unheld.empty(); }
    };
    Encoded encode(std::string_view utf8) const;
    // Every code page holds ASCII as it is: most texts are answered without encoding them.
    bool canHold(std::string_view utf8) const;

    // The bytes `utf8` takes in this code page: one per character.
    std::size_t byteLength(std::string_view utf8) const;

    bool operator==(const CodePage& other) const { return table_ == other.table_; }

private:
    CodePage(const CodePageTable* table, bool named) : table_(table), named_(named) {}
    const CodePageTable* table_;
    bool named_ = false;
};

bool isValidUtf8(std::string_view text);
// Valid UTF-8 that holds at least one character beyond ASCII: a text that only UTF-8 explains.
bool isUtf8WithNonAscii(std::string_view text);
std::string_view withoutUtf8Bom(std::string_view bytes);

// The text of a kit script or instrument file as the program works with it: a leading UTF-8
// byte-order mark dropped (the file is UTF-8 then); read in `page` when the user named it;
// else valid UTF-8 with a character beyond ASCII taken as UTF-8 (a kit made by a Linux tool)
// and anything else read in `page`.
std::string decodeFileText(std::string_view bytes, const CodePage& page);

// The text with every byte that is not part of valid UTF-8 replaced by U+FFFD, for messages and
// output that must be UTF-8.
std::string toValidUtf8(std::string_view text);

// Characters of UTF-8 text; a byte that is not part of valid UTF-8 counts as one.
std::size_t characterCount(std::string_view utf8);
// The first `limit` characters, never cutting one in half.
std::string cutCharacters(std::string_view utf8, std::size_t limit);

// Lower case for comparing names without regard to letter case: every letter of the offered
// code pages ("É" and "é", "Ł" and "ł", "Ж" and "ж") besides A to Z. Other text stays.
std::string foldCase(std::string_view utf8);

// "\"Ł\" (U+0141)" for a character, "the byte 0xE9" for a byte that is no UTF-8.
std::string describeCharacter(std::string_view character);

// Empty when `page` can hold all of `utf8`; else the message that names the first character
// it cannot hold, for the user who typed or chose that text.
std::optional<std::string> codePageRefusal(const CodePage& page, std::string_view utf8);

} // namespace padsmith
