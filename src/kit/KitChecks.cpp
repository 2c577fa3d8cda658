// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitChecks.h"

#include "kit/KitHost.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace padsmith {

namespace {

constexpr const char* kDoubleNoteMessage = "Double defined NOTE in your drum set!";

// `other` plays `key` in a velocity window that overlaps `zone`'s. Windows that share a single
// velocity overlap.
bool clashes(const SampleZone& zone, const SampleZone& other, int key) {
    return other.key == key && std::max(zone.velocityLow, other.velocityLow) <=
                                   std::min(zone.velocityHigh, other.velocityHigh);
}

std::optional<ZoneRef> findConflict(const KitDocument& kit, int ownPad, const SampleZone& zone,
                                    int key) {
    for (int p = 0; p < kPadCount; ++p) {
        if (p == ownPad) {
            continue;
        }
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            if (clashes(zone, pad.at(row), key)) {
                return ZoneRef{p, static_cast<int>(row)};
            }
        }
    }
    return std::nullopt;
}

// The check for a zone that sits on pad `ownPad`, at row `position`.
bool checkZone(const KitDocument& kit, int ownPad, const SampleZone& zone, int position, int key,
               KitHost* report) {
    const std::optional<ZoneRef> other = findConflict(kit, ownPad, zone, key);
    if (!other) {
        return false;
    }
    if (report != nullptr) {
        report->selectPad(other->pad, other->position);
        report->showMessage(MessageIcon::Warning, kDoubleNoteMessage);
        if (ownPad >= 0 && ownPad < kPadCount) {
            report->selectPad(ownPad, position);
        }
        report->focusZoneList();
    }
    return true;
}

} // namespace

bool checkDoubleNote(const KitDocument& kit, const SampleZone& zone, int position, int key,
                     KitHost* report) {
    return checkZone(kit, zone.padNumber - 1, zone, position, key, report);
}

std::optional<ZoneRef> findDoubleNote(const KitDocument& kit, const SampleZone& zone, int key) {
    return findConflict(kit, zone.padNumber - 1, zone, key);
}

bool checkKitNotes(const KitDocument& kit, KitHost* report) {
    // The pad a zone sits in is known here; its padNumber may not have been refreshed yet
    // (a pasted pad), and a stale number would make a zone conflict with itself.
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            const SampleZone& zone = pad.at(row);
            if (checkZone(kit, p, zone, static_cast<int>(row), zone.key, report)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::pair<ZoneRef, ZoneRef>> findAllDoubleNotes(const KitDocument& kit) {
    // Only zones of one key can clash: each zone is compared with the later zones of its key,
    // which keeps a big kit from costing the square of its zones.
    std::unordered_map<std::int32_t, std::vector<ZoneRef>> byKey;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            byKey[pad.at(row).key].push_back({p, static_cast<int>(row)});
        }
    }
    std::unordered_map<std::int32_t, std::size_t> seen; // of each key's zones, in kit order
    std::vector<std::pair<ZoneRef, ZoneRef>> pairs;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            const SampleZone& zone = pad.at(row);
            const std::vector<ZoneRef>& same = byKey[zone.key];
            for (std::size_t i = ++seen[zone.key]; i < same.size(); ++i) {
                const ZoneRef other = same[i];
                if (other.pad != p && clashes(zone,
                                              kit.pads[static_cast<std::size_t>(other.pad)].at(
                                                  static_cast<std::size_t>(other.position)),
                                              zone.key)) {
                    pairs.push_back({ZoneRef{p, static_cast<int>(row)}, other});
                }
            }
        }
    }
    return pairs;
}

} // namespace padsmith
