// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneCommands.h"

#include "kit/FolderKit.h"
#include "platform/Files.h"

#include <algorithm>

namespace padsmith {

namespace {

bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

bool isVowel(char c) {
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U';
}

bool isPadIndex(int pad) {
    return pad >= 0 && pad < kPadCount;
}

// Rows in ascending order, each once.
std::vector<int> sortedRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

KitEdit padEdit(const KitDocument& kit, int pad, Pad after, std::string name) {
    KitEdit edit;
    edit.name = std::move(name);
    edit.changes.push_back({pad, kit.pads.at(static_cast<std::size_t>(pad)), std::move(after)});
    return edit;
}

} // namespace

std::string shortPadName(std::string_view name, std::size_t length) {
    std::string text(name);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (text.size() > 1) {
        if (const std::size_t dot = text.rfind('.'); dot != std::string::npos) {
            text.erase(dot);
        }
    }
    std::string letters;
    std::copy_if(text.begin(), text.end(), std::back_inserter(letters), isUpperLetter);
    if (letters.empty()) {
        return {};
    }
    if (letters.size() <= length) {
        return letters;
    }
    // Too many letters: the first character, then the consonants. A name that starts with a
    // consonant thus has it twice ("SSNRH" for "snare hard"), as kits have always been named.
    std::string result(1, text.front());
    std::copy_if(letters.begin(), letters.end(), std::back_inserter(result),
                 [](char c) { return !isVowel(c); });
    return cutText(result, length);
}

void ImportKeyRange::takeFromLastZoneOf(const KitDocument& kit) {
    for (auto pad = kit.pads.rbegin(); pad != kit.pads.rend(); ++pad) {
        if (!pad->empty()) {
            takeFrom(pad->zones().back());
            return;
        }
    }
}

KitEdit importZones(const KitDocument& kit, int pad, int currentRow,
                    const std::vector<ImportedSample>& samples, ImportKeyRange& keyRange) {
    if (!isPadIndex(pad) || samples.empty()) {
        return {};
    }
    Pad after = kit.pads[static_cast<std::size_t>(pad)];
    // An empty pad takes the name and key the folder import gives its first sample's drum.
    const std::optional<NewPadChoice> newPad =
        after.empty() ? std::optional(newPadChoice(kit, pad, samples.front().namedBy()))
                      : std::nullopt;
    std::size_t position = currentRow < 0
                               ? after.size()
                               : std::min(static_cast<std::size_t>(currentRow), after.size());
    for (const ImportedSample& sample : samples) {
        SampleZone zone;
        if (position < after.size()) {
            zone = after.at(position);
            keyRange.takeFrom(zone);
        } else {
            zone.key = position > 0 ? after.at(position - 1).key : newPad ? newPad->key : 60;
            zone.keyRangeLow = keyRange.low;
            zone.keyRangeHigh = keyRange.high;
        }
        // The zone belongs to this pad, whatever the last zone read or replaced belonged to.
        zone.padNumber = pad + 1;
        zone.sampleName = sample.sampleName;
        zone.sourcePath = sample.sourcePath;
        if (zone.padName == kUnnamedPad && newPad && !newPad->name.empty()) {
            zone.padName = newPad->name;
        } else if (zone.padName == kUnnamedPad) {
            // A sample name without letters leaves the zone unnamed rather than nameless.
            if (std::string name = shortPadName(zone.sampleName, 5); !name.empty()) {
                zone.padName = std::move(name);
            }
        }
        if (position < after.size()) {
            after.at(position) = zone;
        } else {
            after.append(zone);
        }
        ++position;
    }
    if (after.label == kUnnamedPad) {
        after.label = after.at(0).padName;
    }
    return padEdit(kit, pad, std::move(after), "Import Samples");
}

RememberedRows rememberRows(const KitDocument& kit, int pad, std::vector<int> rows) {
    RememberedRows remembered;
    if (!isPadIndex(pad)) {
        return remembered;
    }
    remembered.pad = pad;
    remembered.zoneCount = kit.pads[static_cast<std::size_t>(pad)].size();
    remembered.rows = sortedRows(std::move(rows));
    return remembered;
}

std::optional<ZoneMove> moveRememberedRows(const KitDocument& kit, const RememberedRows& rows,
                                           int target) {
    if (rows.rows.empty() || target < 0 || kit.currentPad != rows.pad || !isPadIndex(rows.pad)) {
        return std::nullopt;
    }
    const Pad& pad = kit.pads[static_cast<std::size_t>(rows.pad)];
    const auto count = static_cast<int>(pad.size());
    if (pad.size() != rows.zoneCount || rows.rows.front() < 0 || rows.rows.back() >= count) {
        return std::nullopt;
    }
    const int first = rows.rows.front();
    const int delta = target - first;
    // The highest row moves furthest down: when it would pass the end, nothing moves.
    if (rows.rows.back() + delta >= count) {
        return std::nullopt;
    }

    // Each row is taken out and put back at its new place, the row moving furthest first, so
    // no row moves over one that is still to be moved.
    std::vector<SampleZone> zones = pad.zones();
    auto moveOne = [&zones](int from, int to) {
        const SampleZone zone = zones[static_cast<std::size_t>(from)];
        zones.erase(zones.begin() + from);
        zones.insert(zones.begin() + to, zone);
    };
    ZoneMove move;
    if (delta > 0) {
        for (auto row = rows.rows.rbegin(); row != rows.rows.rend(); ++row) {
            moveOne(*row, *row + delta);
        }
    } else {
        for (const int row : rows.rows) {
            moveOne(row, row + delta);
        }
    }
    for (const int row : rows.rows) {
        move.selectedRows.push_back(row + delta);
    }
    Pad after = pad;
    after.zones() = std::move(zones);
    move.edit = padEdit(kit, rows.pad, std::move(after), "Move Zones");
    return move;
}

ZoneDeletion deleteZones(const KitDocument& kit, int pad, std::vector<int> rows) {
    ZoneDeletion deletion;
    if (!isPadIndex(pad)) {
        return deletion;
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    rows = sortedRows(std::move(rows));
    std::erase_if(rows, [&](int row) { return row < 0 || row >= static_cast<int>(before.size()); });
    if (rows.empty()) {
        return deletion;
    }
    Pad after = before;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        after.erase(static_cast<std::size_t>(*row));
    }
    for (const int row : rows) {
        deletion.removed.push_back(before.at(static_cast<std::size_t>(row)));
    }
    // Every row above the lowest deleted one stays, so the row that takes its place, or the
    // new last row, is never above it.
    deletion.currentRow = std::min(rows.front(), static_cast<int>(after.size()) - 1);
    deletion.edit = padEdit(kit, pad, std::move(after), "Delete Zones");
    return deletion;
}

} // namespace padsmith
