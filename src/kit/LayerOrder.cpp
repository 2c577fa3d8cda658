// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/LayerOrder.h"

#include "kit/DrumWords.h"
#include "kit/ZoneCells.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>

namespace padsmith {

namespace {

struct DynamicWord {
    std::string_view word;
    int level;
};
constexpr std::array<DynamicWord, 17> kDynamicWords = {{
    {"ghost", 5},
    {"ppp", 10},
    {"softest", 15},
    {"pp", 20},
    {"p", 30},
    {"soft", 30},
    {"mp", 40},
    {"med", 45},
    {"medium", 45},
    {"mf", 50},
    {"f", 60},
    {"ff", 70},
    {"hard", 70},
    {"loud", 70},
    {"fff", 80},
    {"hardest", 80},
    {"loudest", 80},
}};
constexpr int kNoDynamic = 45;

// Words that put a layer number after them: "v3", "vel 3", "layer 3".
bool isLayerWord(std::string_view word) {
    return word == "v" || word == "vel" || word == "velocity" || word == "layer" || word == "lyr";
}
// Words that put a take number after them: "rr2".
bool isTakeWord(std::string_view word) {
    return word == "rr" || word == "take" || word == "tk";
}
bool isNumber(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}
int numberOf(std::string_view word) {
    int value = 0;
    for (const char c : word.substr(0, 9)) {
        value = value * 10 + (c - '0');
    }
    return value;
}
const DynamicWord* dynamicWord(std::string_view word) {
    for (const DynamicWord& dynamic : kDynamicWords) {
        if (dynamic.word == word) {
            return &dynamic;
        }
    }
    return nullptr;
}

// The file name without its folders and extension.
std::string_view stemOf(std::string_view name) {
    if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos) {
        name.remove_prefix(slash + 1);
    }
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return name;
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && digit(a[i])) {
                ++i;
            }
            while (j < b.size() && digit(b[j])) {
                ++j;
            }
            std::string_view numberA = a.substr(startA, i - startA);
            std::string_view numberB = b.substr(startB, j - startB);
            // Without leading zeros, the longer number is the larger.
            numberA.remove_prefix(std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.remove_prefix(std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size()) {
                return numberA.size() < numberB.size();
            }
            if (numberA != numberB) {
                return numberA < numberB;
            }
            continue;
        }
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[j]));
        if (ca != cb) {
            return ca < cb;
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) {
        return a.size() - i < b.size() - j;
    }
    // Equal but for letter case or leading zeros: a fixed order all the same.
    return a < b;
}

LayerRank layerRank(std::string_view name) {
    const std::vector<std::string> words = nameWords(stemOf(name));
    LayerRank rank;
    rank.dynamic = kNoDynamic;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool numberFollows = i + 1 < words.size() && isNumber(words[i + 1]);
        if (const DynamicWord* dynamic = dynamicWord(word)) {
            rank.dynamic = dynamic->level;
        } else if (numberFollows && isLayerWord(word)) {
            rank.layer = numberOf(words[++i]);
        } else if (numberFollows && isTakeWord(word)) {
            rank.take = numberOf(words[++i]);
        } else if (isNumber(word)) {
            rank.take = numberOf(word);
        }
    }
    return rank;
}

std::vector<std::size_t> layerOrder(const std::vector<std::string>& names) {
    std::vector<LayerRank> ranks;
    ranks.reserve(names.size());
    for (const std::string& name : names) {
        ranks.push_back(layerRank(name));
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        const LayerRank& a = ranks[x];
        const LayerRank& b = ranks[y];
        if (a.dynamic != b.dynamic) {
            return a.dynamic < b.dynamic;
        }
        if (a.layer != b.layer) {
            return a.layer < b.layer;
        }
        if (a.take != b.take) {
            return a.take < b.take;
        }
        return naturalLess(names[x], names[y]);
    });
    return order;
}

std::vector<std::pair<int, int>> layerWindows(std::size_t count) {
    std::vector<std::pair<int, int>> windows;
    windows.reserve(count);
    for (std::size_t j = 0; j < count; ++j) {
        windows.push_back(spreadWindow(static_cast<int>(j), static_cast<int>(count)));
    }
    return windows;
}

std::string soundName(std::string_view fileName, bool keepNumbers) {
    const std::vector<std::string> words = nameWords(stemOf(fileName));
    std::string sound;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool numberFollows = i + 1 < words.size() && isNumber(words[i + 1]);
        if (dynamicWord(word) != nullptr) {
            continue;
        }
        if (numberFollows && (isLayerWord(word) || isTakeWord(word))) {
            ++i;
            continue;
        }
        if (isNumber(word) && !keepNumbers) {
            continue;
        }
        std::string keep = word;
        if (numberFollows && word == "tom") {
            keep += ' ';
            keep += std::to_string(numberOf(words[++i]));
        }
        if (!sound.empty()) {
            sound += ' ';
        }
        sound += keep;
    }
    return sound;
}

Pad layeredPad(Pad pad, int key) {
    std::vector<std::size_t> rows;
    std::vector<std::string> names;
    for (std::size_t row = 0; row < pad.size(); ++row) {
        if (pad.at(row).key == key) {
            rows.push_back(row);
            names.push_back(pad.at(row).sampleName);
        }
    }
    const std::vector<std::size_t> order = layerOrder(names);
    const std::vector<std::pair<int, int>> windows = layerWindows(rows.size());
    std::vector<SampleZone> layers;
    layers.reserve(rows.size());
    for (std::size_t j = 0; j < order.size(); ++j) {
        SampleZone zone = pad.at(rows[order[j]]);
        zone.velocityLow = windows[j].first;
        zone.velocityHigh = windows[j].second;
        layers.push_back(std::move(zone));
    }
    for (std::size_t j = 0; j < rows.size(); ++j) {
        pad.at(rows[j]) = std::move(layers[j]);
    }
    return pad;
}

KitEdit asLayers(KitEdit importEdit, int pad) {
    for (PadChange& change : importEdit.changes) {
        if (change.pad == pad && !change.after.empty()) {
            const int key = change.after.zones().back().key;
            change.after = layeredPad(std::move(change.after), key);
        }
    }
    return importEdit;
}

KitEdit layerZones(const KitDocument& kit, int pad, int key) {
    KitEdit edit;
    edit.name = "Velocity Layers";
    if (pad < 0 || pad >= kPadCount) {
        return edit;
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    Pad after = layeredPad(before, key);
    if (!(after == before)) {
        edit.changes.push_back(PadChange{pad, before, std::move(after)});
    }
    return edit;
}

} // namespace padsmith
