// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/DrumWords.h"

#include <algorithm>
#include <array>
#include <map>

namespace padsmith {

namespace {

constexpr std::string_view kHatWords = "hat hh hihat";
constexpr std::string_view kTomWords = "tom tomtom";

bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return isLower(c) || isUpper(c) || static_cast<unsigned char>(c) >= 0x80;
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (isUpper(c)) {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// The words to look up, each with the number of the name's words it spans: each word and its
// singular when it ends in "s" or "es" (1), and each pair of neighbouring words written as
// one (2).
using LookupWords = std::map<std::string, int, std::less<>>;

LookupWords lookupWords(const std::vector<std::string>& words) {
    LookupWords all;
    auto add = [&all](std::string word, int span) {
        int& known = all[std::move(word)];
        known = std::max(known, span);
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        add(word, 1);
        if (word.size() > 3 && word.back() == 's') {
            add(word.substr(0, word.size() - 1), 1);
            if (word[word.size() - 2] == 'e') {
                add(word.substr(0, word.size() - 2), 1);
            }
        }
        if (i + 1 < words.size()) {
            add(word + words[i + 1], 2);
        }
    }
    return all;
}

// How many of the name's words the longest word of `list` found among them spans; 0 for none.
int longestMatch(std::string_view list, const LookupWords& words) {
    int longest = 0;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(' ', start);
        if (end == std::string_view::npos) {
            end = list.size();
        }
        if (end > start) {
            if (const auto found = words.find(list.substr(start, end - start));
                found != words.end()) {
                longest = std::max(longest, found->second);
            }
        }
        start = end + 1;
    }
    return longest;
}

std::string_view fileStem(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

const std::vector<DrumWordRow>& drumWordTable() {
    static const std::vector<DrumWordRow> table = {
        {Drum::Cowbell, "cowbell cb", ""},
        {Drum::Tambourine, "tambourine tamb tambo", ""},
        {Drum::Shaker, "shaker egg", ""},
        {Drum::China, "china", ""},
        {Drum::Splash, "splash", ""},
        {Drum::PedalHat, "phh", ""},
        {Drum::PedalHat, "pedal foot", kHatWords},
        {Drum::OpenHat, "ohh", ""},
        {Drum::OpenHat, "open oh opened", kHatWords},
        {Drum::ClosedHat, "chh hat hh hihat", ""},
        {Drum::Rim, "sidestick crossstick xstick rimclick stick", ""},
        {Drum::RimShot, "rim rimshot rs", ""},
        {Drum::Clap, "clap handclap cp", ""},
        {Drum::Kick, "kick kik bd kd bassdrum kck", ""},
        {Drum::Snare, "snare sn sd snr", ""},
        {Drum::FloorTom, "floortom", ""},
        {Drum::FloorTom, "floor ft", kTomWords},
        {Drum::LowTom, "lt", ""},
        {Drum::LowTom, "low lo", kTomWords},
        {Drum::MidTom, "mt", ""},
        {Drum::MidTom, "mid middle", kTomWords},
        {Drum::HighTom, "ht", ""},
        {Drum::HighTom, "high hi", kTomWords},
        {Drum::Tom, kTomWords, ""},
        {Drum::Bell, "bell", ""},
        {Drum::Ride, "ride rd", ""},
        {Drum::Crash, "crash cymbal cym cy", ""},
        {Drum::Vibraslap, "vibraslap", ""},
        {Drum::Bongo, "bongo", ""},
        {Drum::Conga, "conga tumba", ""},
        {Drum::Timbale, "timbale timbal", ""},
        {Drum::Agogo, "agogo", ""},
        {Drum::Cabasa, "cabasa", ""},
        {Drum::Maracas, "maracas maraca", ""},
        {Drum::Whistle, "whistle", ""},
        {Drum::Guiro, "guiro", ""},
        {Drum::Claves, "claves clave", ""},
        {Drum::WoodBlock, "woodblock block", ""},
        {Drum::Cuica, "cuica", ""},
        {Drum::Triangle, "triangle", ""},
        {Drum::Snap, "snap fingersnap", ""},
        {Drum::Perc, "perc percussion", ""},
    };
    return table;
}

const DrumInfo& drumInfo(Drum drum) {
    // In the order of the Drum values.
    static const std::array<DrumInfo, 36> infos = {{
        {"Kick", {36, 35}},
        {"Side Stick", {37}},
        {"Rim Shot", {40}},
        {"Snare", {38, 40}},
        {"Clap", {39}},
        {"Closed Hat", {42}},
        {"Pedal Hat", {44}},
        {"Open Hat", {46}},
        {"Floor Tom", {41, 43}},
        {"Low Tom", {45, 43}},
        {"Mid Tom", {47, 48}},
        {"High Tom", {50, 48}},
        {"Tom", {50, 47, 45, 41, 48, 43}},
        {"Crash", {49, 57}},
        {"Ride", {51, 59}},
        {"China", {52}},
        {"Bell", {53}},
        {"Tambourine", {54}},
        {"Splash", {55}},
        {"Cowbell", {56}},
        {"Vibraslap", {58}},
        {"Bongo", {60, 61}},
        {"Conga", {63, 62, 64}},
        {"Timbale", {65, 66}},
        {"Agogo", {67, 68}},
        {"Cabasa", {69}},
        {"Maracas", {70}},
        {"Whistle", {71, 72}},
        {"Guiro", {73, 74}},
        {"Claves", {75}},
        {"Wood Block", {76, 77}},
        {"Cuica", {78, 79}},
        {"Triangle", {81, 80}},
        {"Shaker", {82}},
        {"Snap", {}},
        {"Perc", {}},
    }};
    return infos.at(static_cast<std::size_t>(drum));
}

std::vector<std::string> nameWords(std::string_view name) {
    std::vector<std::string> words;
    std::string word;
    auto finish = [&] {
        if (!word.empty()) {
            words.push_back(lowerCase(word));
            word.clear();
        }
    };
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (isDigit(c)) {
            if (!word.empty() && !isDigit(word.back())) {
                finish();
            }
            word += c;
            continue;
        }
        if (!isLetter(c)) {
            finish();
            continue;
        }
        if (!word.empty()) {
            const char before = word.back();
            const bool next = i + 1 < name.size() && isLower(name[i + 1]);
            // "snareV" splits before the V; "HHClosed" before the C, which starts a word.
            if (isDigit(before) || (isLower(before) && isUpper(c)) ||
                (isUpper(before) && isUpper(c) && next)) {
                finish();
            }
        }
        word += c;
    }
    finish();
    return words;
}

std::optional<Drum> drumOfWords(const std::vector<std::string>& words) {
    const LookupWords lookup = lookupWords(words);
    std::optional<Drum> best;
    int bestSpan = 0;
    for (const DrumWordRow& row : drumWordTable()) {
        const int named = longestMatch(row.words, lookup);
        const int along = row.alongWith.empty() ? 0 : longestMatch(row.alongWith, lookup);
        if (named == 0 || (!row.alongWith.empty() && along == 0)) {
            continue;
        }
        // The phrase that spans more of the name wins; the earlier row among equals.
        if (named + along > bestSpan) {
            best = row.drum;
            bestSpan = named + along;
        }
    }
    return best;
}

std::vector<std::string_view> pathParts(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

std::optional<Drum> drumOfPath(std::string_view path) {
    const std::vector<std::string_view> parts = pathParts(path);
    if (parts.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> words = nameWords(fileStem(parts.back()));
    for (std::size_t i = parts.size() - 1;; --i) {
        if (i < parts.size() - 1) {
            // A folder's words go first, so "Hi Hat/Open" reads as "hi hat open".
            std::vector<std::string> folder = nameWords(parts[i]);
            words.insert(words.begin(), folder.begin(), folder.end());
        }
        if (const auto drum = drumOfWords(words)) {
            return drum;
        }
        if (i == 0) {
            break;
        }
    }
    return std::nullopt;
}

} // namespace padsmith
