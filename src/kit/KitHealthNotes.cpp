// SPDX-License-Identifier: GPL-3.0-or-later
// Double notes in the kit's health check: zones of two pads on one note whose velocities
// overlap, which a save refuses, with the fixes that part them.
#include "kit/KitHealthParts.h"
#include "kit/NoteNames.h"

#include <array>

namespace padsmith {

namespace {

// A fix for two zones of different pads that share velocities of a note: takes with the same
// window share it out; an overlap at one end of the later zone's window is cut from it.
std::optional<HealthFix> doubleNoteFix(const KitDocument& kit, ZoneRef first, ZoneRef second,
                                       const WindowGroups& groups) {
    const SampleZone& early = zoneAt(kit, first);
    const SampleZone& late = zoneAt(kit, second);
    if (early.velocityLow == late.velocityLow && early.velocityHigh == late.velocityHigh) {
        const VelocitySpan window = playedVelocities(early);
        return interleaveFix(groups.at({early.key, window.low, window.high}), early.key, window);
    }
    const bool cutLow =
        early.velocityLow <= late.velocityLow && early.velocityHigh < late.velocityHigh;
    const bool cutHigh =
        early.velocityHigh >= late.velocityHigh && early.velocityLow > late.velocityLow;
    if (!cutLow && !cutHigh) {
        return std::nullopt;
    }
    return HealthFix{
        "Trim Velocities", [first, second, cutLow](const KitDocument& on) {
            KitEdit edit{"Trim Velocities", {}};
            const SampleZone& kept = zoneAt(on, first);
            SampleZone& cut =
                touchPad(edit, on, second.pad).at(static_cast<std::size_t>(second.position));
            if (cutLow) {
                cut.velocityLow = kept.velocityHigh + 1;
            } else {
                cut.velocityHigh = kept.velocityLow - 1;
            }
            return edit;
        }};
}

// The keys some zone of the kit plays.
using PlayedKeys = std::array<bool, kKeys>;
PlayedKeys playedKeys(const KitDocument& kit) {
    PlayedKeys played{};
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (validKey(zone.key)) {
                played[static_cast<std::size_t>(zone.key)] = true;
            }
        }
    }
    return played;
}

// The nearest key above `key` that no pad plays, else the nearest below; -1 when every key is
// played.
int freeKeyNear(const PlayedKeys& played, int key) {
    for (int candidate = key + 1; candidate < kKeys; ++candidate) {
        if (!played[static_cast<std::size_t>(candidate)]) {
            return candidate;
        }
    }
    for (int candidate = key - 1; candidate >= 0; --candidate) {
        if (!played[static_cast<std::size_t>(candidate)]) {
            return candidate;
        }
    }
    return -1;
}

// A fix for two pads on one note: the later pad's zones on that note move to the nearest key
// above it that no pad plays (below, when none is left above), found when it is applied.
std::optional<HealthFix> moveToFreeKeyFix(const KitDocument& kit, ZoneRef second,
                                          const PlayedKeys& played) {
    const int key = zoneAt(kit, second).key;
    if (freeKeyNear(played, key) < 0) {
        return std::nullopt;
    }
    const int pad = second.pad;
    return HealthFix{"Move to a free key", [pad, key](const KitDocument& on) {
                         KitEdit edit{"Move to a free key", {}};
                         const int free = freeKeyNear(playedKeys(on), key);
                         if (free < 0) {
                             return edit;
                         }
                         Pad& moved = touchPad(edit, on, pad);
                         for (SampleZone& zone : moved.zones()) {
                             if (zone.key == key) {
                                 zone.key = free;
                             }
                         }
                         return edit;
                     }};
}

// How many of the zones a zone clashes with its double-note finding names.
constexpr std::size_t kNamedClashes = 3;

std::string doubleNoteMessage(const KitDocument& kit, const DoubleNoteGroup& group) {
    const ZoneRef first = group.zone;
    const SampleZone& zone = zoneAt(kit, first);
    const std::string note = noteName(zone.key) + " at " + windowText(playedVelocities(zone)) +
                             ": a save refuses a note defined twice";
    const std::string row = "Row " + std::to_string(first.position + 1);
    if (group.count == 1) {
        return row + " and " + placeText(group.first.front(), first.pad) + " both define " + note;
    }
    std::vector<std::string> places;
    for (const ZoneRef other : group.first) {
        places.push_back(placeText(other, first.pad));
    }
    std::string named = joinedList(places);
    if (group.count > places.size()) {
        named.clear();
        for (const std::string& place : places) {
            named += place + ", ";
        }
        named += "…";
    }
    return row + " and " + std::to_string(group.count) + " zones of other pads (" + named +
           ") define " + note;
}

// A double note per zone, with the zones of later pads it clashes with: a zone that clashes
// with many is one finding, not one per pair. Its fixes are those of its first pair.
} // namespace

std::vector<HealthFinding> doubleNoteFindings(const KitDocument& kit) {
    std::vector<HealthFinding> findings;
    const std::vector<DoubleNoteGroup> groups = findDoubleNoteGroups(kit, kNamedClashes);
    if (groups.empty()) {
        return findings;
    }
    const WindowGroups windows = groupByWindow(kit);
    const PlayedKeys played = playedKeys(kit);
    for (const DoubleNoteGroup& group : groups) {
        const ZoneRef first = group.zone;
        const ZoneRef second = group.first.front();
        HealthFinding finding;
        finding.kind = HealthKind::DoubleNote;
        finding.pad = first.pad;
        finding.rows = {first.position};
        finding.message = doubleNoteMessage(kit, group);
        if (auto fix = doubleNoteFix(kit, first, second, windows)) {
            finding.fixes.push_back(std::move(*fix));
        }
        // Two drums dropped on one key want keys of their own rather than half the velocities.
        if (auto move = moveToFreeKeyFix(kit, second, played)) {
            finding.fixes.push_back(std::move(*move));
        }
        findings.push_back(std::move(finding));
    }
    return findings;
}

} // namespace padsmith
