// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/NoteNames.h"

#include <array>
#include <cctype>

namespace padsmith {

namespace {

constexpr int kKeyCount = 128;

const std::array<std::string, kKeyCount>& noteNameTable() {
    static const std::array<std::string, kKeyCount> table = [] {
        static constexpr std::array<const char*, 12> pitches = {"C",  "c#", "D",  "d#", "E",  "F",
                                                                "f#", "G",  "g#", "A",  "a#", "B"};
        std::array<std::string, kKeyCount> names;
        for (int key = 0; key < kKeyCount; ++key) {
            names[static_cast<std::size_t>(key)] =
                std::string(pitches[static_cast<std::size_t>(key % 12)]) +
                std::to_string(key / 12 - 2);
        }
        return names;
    }();
    return table;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

const std::string& noteName(int key) {
    return noteNameTable()[static_cast<std::size_t>(key & (kKeyCount - 1))];
}

int noteIndex(std::string_view text) {
    // The text ends at a zero byte, as typed text always does.
    text = text.substr(0, text.find('\0'));
    // No name is longer than four characters, and no rule below shortens a text by more
    // than two: anything longer spells nothing.
    if (text.empty() || text.size() > 7) {
        return -1;
    }

    std::string word(text);
    const std::string_view prefix = text.substr(0, 2);
    if (equalsIgnoringCase(prefix, "E#")) {
        word = "F" + std::string(text.substr(2));
    } else if (equalsIgnoringCase(prefix, "H#")) {
        word = "C" + std::string(text.substr(2));
    }

    // Alternative spellings. Only the one or two characters the rule names take part; a
    // character that is missing ends the word there.
    if (!word.empty() && word[0] == '#') {
        std::string sharp;
        if (word.size() > 1) {
            sharp = {word[1], '#'};
            if (word.size() > 2) {
                sharp.push_back(word[2]);
            }
        }
        word = sharp;
    } else if (word.size() > 1 && word[1] == '_') {
        std::string joined(1, word[0]);
        if (word.size() > 2) {
            joined.push_back(word[2]);
        }
        word = joined;
    } else if (!word.empty() && (word[0] == ' ' || word[0] == '-')) {
        word.erase(0, 1);
    }

    const auto& table = noteNameTable();
    for (int key = 0; key < kKeyCount; ++key) {
        if (equalsIgnoringCase(word, table[static_cast<std::size_t>(key)])) {
            return key;
        }
    }
    return -1;
}

} // namespace padsmith
