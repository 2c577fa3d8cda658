// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneCells.h"

#include "kit/NoteNames.h"
#include "platform/Files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

namespace padsmith {

namespace {

constexpr int kHighestKey = 127;
constexpr int kHighestGroup = 63;

// Typed text ends at a zero byte and never holds more than the editor takes.
std::string_view typedText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return text.substr(0, kCellTextMax);
}

bool isBlank(char c) {
    return c == ' ';
}

bool isPairColumn(ZoneColumn column) {
    return column == ZoneColumn::Velocity || column == ZoneColumn::KeyRange ||
           column == ZoneColumn::Volume;
}

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < text.size()) {
        if (isBlank(text[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < text.size() && !isBlank(text[end])) {
            ++end;
        }
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

// A whole decimal number with an optional sign ("+6", "-12", "0127").
bool isWholeNumber(std::string_view word) {
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
        word.remove_prefix(1);
    }
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isValueWord(ZoneColumn column, std::string_view word) {
    const bool namesKeys = column == ZoneColumn::Key || column == ZoneColumn::KeyRange;
    return isWholeNumber(word) || (namesKeys && noteIndex(word) >= 0);
}

// The name an edit of the column carries in "Undo %1".
const char* editName(ZoneColumn column) {
    static constexpr std::array<const char*, kZoneColumnCount> names = {
        "Edit Sample", "Edit Key",       "Edit Velocity", "Edit Voices",
        "Edit Group",  "Edit Key Range", "Edit Volume",   "Edit Source Folder"};
    return names[static_cast<std::size_t>(column)];
}

// The key a Key cell's text names: a note name, else a number clamped to the keys.
int typedKey(std::string_view text) {
    const int key = noteIndex(text);
    return key >= 0 ? key : std::clamp(leadingInteger(text), 0, kHighestKey);
}

void commitKeyRange(SampleZone& zone, std::string_view text) {
    const auto [first, last] = splitPair(text);
    const int k1 = noteIndex(first);
    int k2 = noteIndex(last);
    const NumberPair numbers = parseNumberPair(text);
    if (k2 < 0) {
        k2 = k1;
    }
    zone.keyRangeLow = k1 >= 0 ? std::min(k1, k2) : numbers.low;
    zone.keyRangeHigh = k2 >= 0 ? std::max(k1, k2) : numbers.high;
}

} // namespace

std::string cellTextExpected(ZoneColumn column) {
    switch (column) {
    case ZoneColumn::Key:
        return "a note name such as C3, or a number 0 to 127";
    case ZoneColumn::Velocity:
        return "a number 1 to 127, or two such as 1  127";
    case ZoneColumn::Voices:
        return "a number 0 to 127";
    case ZoneColumn::Group:
        return "a number 0 to 63";
    case ZoneColumn::KeyRange:
        return "a note name such as C3 or a number 0 to 127, or two such as C1  C3";
    case ZoneColumn::Volume:
        return "a volume in dB from -12 to 24, or two (left and right) such as 0  6";
    default:
        return "a name";
    }
}

std::string cellTextRefusal(ZoneColumn column, std::string_view rawText) {
    if (column == ZoneColumn::Sample || column == ZoneColumn::SourceFolder) {
        return {};
    }
    const std::string_view text = trimmedBlanks(typedText(rawText));
    std::vector<std::string_view> words = wordsOf(text);
    // A pair as the list shows it: "1 - 127", "C-2 - G8".
    if (isPairColumn(column) && words.size() == 3 && words[1] == "-") {
        words.erase(words.begin() + 1);
    }
    const std::size_t most = isPairColumn(column) ? 2 : 1;
    const bool spells = words.size() <= most &&
                        std::all_of(words.begin(), words.end(), [column](std::string_view word) {
                            return isValueWord(column, word);
                        });
    if (spells) {
        return {};
    }
    std::string message = "\"";
    message += text;
    message += "\" is no value for ";
    message += column == ZoneColumn::Volume ? "the volume"
                                            : zoneColumns()[static_cast<std::size_t>(column)].title;
    message += ": type ";
    message += cellTextExpected(column);
    message += '.';
    return message;
}

std::pair<std::string, std::string> splitPair(std::string_view text) {
    std::string last;
    const std::size_t blank = text.rfind(' ');
    if (blank != std::string_view::npos && blank > 0) {
        last = text.substr(blank + 1);
    }
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end])) {
        ++end;
    }
    return {std::string(text.substr(start, end - start)), last};
}

int leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL + INT_MAX);
    }
    if (negative) {
        value = -value;
    }
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

NumberPair parseNumberPair(std::string_view text) {
    const auto [first, last] = splitPair(text);
    const int a = leadingInteger(first);
    const int b = leadingInteger(last);
    return {std::clamp(std::min(a, b), 0, kHighestKey), std::clamp(std::max(a, b), 0, kHighestKey)};
}

std::optional<ZoneColumn> zoneColumnNamed(std::string_view name) {
    const std::string wanted = lowerCaseAscii(name);
    if (wanted == "vol" || wanted == "volume") {
        return ZoneColumn::Volume;
    }
    for (int c = 0; c < kZoneColumnCount; ++c) {
        if (wanted == lowerCaseAscii(zoneColumns()[static_cast<std::size_t>(c)].title)) {
            return static_cast<ZoneColumn>(c);
        }
    }
    return std::nullopt;
}

std::string editStartText(const SampleZone& zone, ZoneColumn column, int pad) {
    switch (column) {
    case ZoneColumn::Velocity:
    case ZoneColumn::KeyRange: {
        const auto [first, last] = splitPair(zoneCellText(zone, column));
        return first + "  " + last;
    }
    case ZoneColumn::Volume:
        return std::to_string(gainToDecibels(zone.gainLeft)) + "  " +
               std::to_string(gainToDecibels(zone.gainRight));
    case ZoneColumn::Group: {
        // An ungrouped zone proposes its own pad as its group.
        std::string text = zoneCellText(zone, column);
        return text == "0" ? std::to_string(pad + 1) : text;
    }
    default:
        return zoneCellText(zone, column);
    }
}

CellCommit commitCell(const KitDocument& kit, int pad, std::vector<int> rows, ZoneColumn column,
                      std::string_view rawText, KitHost* report) {
    CellCommit result;
    result.edit.name = editName(column);
    const std::string_view text = trimmedBlanks(typedText(rawText));
    result.refusal = cellTextRefusal(column, text);
    if (!result.refusal.empty()) {
        return result;
    }
    if (pad < 0 || pad >= kPadCount || text.empty() || column == ZoneColumn::Sample ||
        column == ZoneColumn::SourceFolder) {
        return result;
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    Pad after = before;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    const int value = std::clamp(leadingInteger(text), 0, kHighestKey);
    for (const int row : rows) {
        if (row < 0 || static_cast<std::size_t>(row) >= after.size()) {
            continue;
        }
        SampleZone& zone = after.at(static_cast<std::size_t>(row));
        switch (column) {
        case ZoneColumn::Key: {
            const int key = typedKey(text);
            // The check takes the zone by the pad it sits in.
            SampleZone placed = before.at(static_cast<std::size_t>(row));
            placed.padNumber = pad + 1;
            if (checkDoubleNote(kit, placed, row, key, report)) {
                result.refusedRow = row;
                result.conflict = findDoubleNote(kit, placed, key);
                break;
            }
            zone.key = key;
            break;
        }
        case ZoneColumn::Velocity: {
            const NumberPair window = parseNumberPair(text);
            zone.velocityLow = std::max(window.low, 1);
            zone.velocityHigh = std::max(window.high, 1);
            break;
        }
        case ZoneColumn::Voices:
            zone.voices = value;
            break;
        case ZoneColumn::Group:
            zone.group = std::min(value, kHighestGroup);
            break;
        case ZoneColumn::KeyRange:
            commitKeyRange(zone, text);
            break;
        case ZoneColumn::Volume: {
            // One number is the volume of both channels.
            const auto [left, right] = splitPair(text);
            zone.gainLeft = decibelsToGain(leadingInteger(left));
            zone.gainRight = decibelsToGain(leadingInteger(right.empty() ? left : right));
            break;
        }
        default:
            break;
        }
        if (result.refusedRow) {
            break;
        }
    }
    if (!(after == before)) {
        result.edit.changes.push_back(PadChange{pad, before, std::move(after)});
    }
    return result;
}

std::pair<int, int> spreadWindow(int index, int count) {
    if (count <= 1) {
        return {1, 127};
    }
    const bool first = index <= 0;
    const bool last = index >= count - 1;
    if (count > 108) {
        // Too many zones for a step of a whole velocity above 20: share 1..127 evenly. Beyond
        // 127 zones, neighbours share a velocity.
        const auto edge = [count](long long j) {
            return static_cast<int>(j * kHighestKey / count);
        };
        const int low = first ? 1 : 1 + edge(index);
        const int high = last ? kHighestKey : std::max(low, edge(index + 1LL));
        return {low, high};
    }
    // Up to 11 zones the steps are one wider than needed, so the last window is the smallest;
    // from 12 zones on that would push the last windows above 127, so the step is the exact
    // share of 20..127 instead.
    const int step = count <= 11 ? 108 / count + 1 : 108 / count;
    const int base = 20 + index * step;
    return {first ? 1 : base, last ? kHighestKey : base + step - 1};
}

KitEdit spreadVelocities(const KitDocument& kit, int pad) {
    KitEdit edit;
    edit.name = "Set dynamic velocity";
    if (pad < 0 || pad >= kPadCount) {
        return edit;
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    if (before.size() < 2) {
        return edit;
    }
    Pad after = before;
    std::vector<SampleZone>& zones = after.zones();
    std::stable_sort(zones.begin(), zones.end(),
                     [](const SampleZone& a, const SampleZone& b) { return a.key < b.key; });
    for (std::size_t start = 0; start < zones.size();) {
        std::size_t end = start;
        while (end < zones.size() && zones[end].key == zones[start].key) {
            ++end;
        }
        const int count = static_cast<int>(end - start);
        for (int j = 0; j < count; ++j) {
            const auto [low, high] = spreadWindow(j, count);
            zones[start + static_cast<std::size_t>(j)].velocityLow = low;
            zones[start + static_cast<std::size_t>(j)].velocityHigh = high;
        }
        start = end;
    }
    if (!(after == before)) {
        edit.changes.push_back(PadChange{pad, before, std::move(after)});
    }
    return edit;
}

void settleZones(Pad& pad, int padIndex) {
    for (SampleZone& zone : pad) {
        zone.padNumber = padIndex + 1;
        zone.reserved1 = 0;
        zone.reserved2 = 0;
    }
}

} // namespace padsmith
