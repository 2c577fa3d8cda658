// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitChecks.h"

#include "kit/KitHost.h"

#include <algorithm>
#include <cstdint>
#include <map>
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

// Shows the zone `other` that the zone at row `position` of pad `ownPad` clashes with, says so,
// then selects the zone itself.
void reportClash(KitHost& report, int ownPad, int position, ZoneRef other) {
    report.selectPad(other.pad, other.position);
    report.showMessage(MessageIcon::Warning, kDoubleNoteMessage);
    if (ownPad >= 0 && ownPad < kPadCount) {
        report.selectPad(ownPad, position);
    }
    report.focusZoneList();
}

// The check for a zone that sits on pad `ownPad`, at row `position`.
bool checkZone(const KitDocument& kit, int ownPad, const SampleZone& zone, int position, int key,
               KitHost* report) {
    const std::optional<ZoneRef> other = findConflict(kit, ownPad, zone, key);
    if (other && report != nullptr) {
        reportClash(*report, ownPad, position, *other);
    }
    return other.has_value();
}

} // namespace

bool checkDoubleNote(const KitDocument& kit, const SampleZone& zone, int position, int key,
                     KitHost* report) {
    return checkZone(kit, zone.padNumber - 1, zone, position, key, report);
}

std::optional<ZoneRef> findDoubleNote(const KitDocument& kit, const SampleZone& zone, int key) {
    return findConflict(kit, zone.padNumber - 1, zone, key);
}

namespace {

// The zones of the kit by key and velocity window. A zone clashes with the zones of its key on
// later pads (those before it in kit order are paired with it already) whose windows overlap
// its own. The zones of a key are grouped by window first: a pad of many takes of one window
// costs one comparison of windows, not one per pair of takes, and a key no other pad plays
// costs none.
class KeyWindows {
public:
    explicit KeyWindows(const KitDocument& kit) {
        for (int p = 0; p < kPadCount; ++p) {
            const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
            for (std::size_t row = 0; row < pad.size(); ++row) {
                const SampleZone& zone = pad.at(row);
                Key& key = keys_[zone.key];
                const auto [it, added] = key.index.emplace(
                    std::pair{zone.velocityLow, zone.velocityHigh}, key.windows.size());
                if (added) {
                    key.windows.push_back({zone.velocityLow, zone.velocityHigh, {}, {}});
                }
                key.windows[it->second].zones.push_back({p, static_cast<int>(row)});
                if (key.lastPad != p) {
                    key.lastPad = p;
                    ++key.pads;
                }
            }
        }
        for (auto& [number, key] : keys_) {
            if (key.pads < 2) {
                continue;
            }
            for (Window& window : key.windows) {
                for (std::size_t i = 0; i < key.windows.size(); ++i) {
                    const Window& other = key.windows[i];
                    if (std::max(window.low, other.low) <= std::min(window.high, other.high)) {
                        window.others.push_back(i);
                    }
                }
            }
        }
    }

    // Calls `each` with every run of zones that clash with `zone` at (pad, row): the zones of
    // later pads in one overlapping window, in kit order.
    template <typename Each> void forEachClash(const SampleZone& zone, int pad, Each each) const {
        const Key& key = keys_.at(zone.key);
        if (key.pads < 2) {
            return;
        }
        const Window& window =
            key.windows[key.index.at(std::pair{zone.velocityLow, zone.velocityHigh})];
        for (const std::size_t i : window.others) {
            const std::vector<ZoneRef>& zones = key.windows[i].zones;
            const auto later = std::partition_point(zones.begin(), zones.end(),
                                                    [pad](ZoneRef z) { return z.pad <= pad; });
            if (later != zones.end()) {
                each(later, zones.end());
            }
        }
    }

private:
    struct Window {
        std::int32_t low = 0;
        std::int32_t high = 0;
        std::vector<ZoneRef> zones;      // in kit order
        std::vector<std::size_t> others; // the windows of the key that overlap this one
    };
    struct Key {
        std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> index;
        std::vector<Window> windows;
        int pads = 0; // how many pads play the key
        int lastPad = -1;
    };
    std::unordered_map<std::int32_t, Key> keys_;
};

bool before(ZoneRef a, ZoneRef b) {
    return a.pad != b.pad ? a.pad < b.pad : a.position < b.position;
}

} // namespace

std::optional<std::pair<ZoneRef, ZoneRef>> findFirstDoubleNote(const KitDocument& kit) {
    // No zone before the first clashing one clashes with anything, so what that zone clashes
    // with lies on later pads: the first of them is the first of all other pads too.
    const KeyWindows windows(kit);
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            std::optional<ZoneRef> first;
            windows.forEachClash(pad.at(row), p, [&first](auto run, auto) {
                if (!first || before(*run, *first)) {
                    first = *run;
                }
            });
            if (first) {
                return std::pair{ZoneRef{p, static_cast<int>(row)}, *first};
            }
        }
    }
    return std::nullopt;
}

bool checkKitNotes(const KitDocument& kit, KitHost* report) {
    // Zones are taken by the pad they sit in: a pasted pad's zones may carry an older
    // padNumber, and a stale number would make a zone clash with itself.
    const auto clash = findFirstDoubleNote(kit);
    if (clash && report != nullptr) {
        reportClash(*report, clash->first.pad, clash->first.position, clash->second);
    }
    return clash.has_value();
}

std::vector<std::pair<ZoneRef, ZoneRef>> findAllDoubleNotes(const KitDocument& kit) {
    const KeyWindows windows(kit);
    std::vector<std::pair<ZoneRef, ZoneRef>> pairs;
    std::vector<ZoneRef> clashing;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            clashing.clear();
            windows.forEachClash(pad.at(row), p, [&clashing](auto first, auto last) {
                clashing.insert(clashing.end(), first, last);
            });
            std::sort(clashing.begin(), clashing.end(), before);
            for (const ZoneRef other : clashing) {
                pairs.push_back({ZoneRef{p, static_cast<int>(row)}, other});
            }
        }
    }
    return pairs;
}

std::vector<DoubleNoteGroup> findDoubleNoteGroups(const KitDocument& kit, std::size_t shown) {
    const KeyWindows windows(kit);
    std::vector<DoubleNoteGroup> groups;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            DoubleNoteGroup group{{p, static_cast<int>(row)}, 0, {}};
            // Only the first `shown` of each window can be among the first `shown` of all.
            windows.forEachClash(pad.at(row), p, [&group, shown](auto first, auto last) {
                const auto size = static_cast<std::size_t>(last - first);
                group.count += size;
                group.first.insert(group.first.end(), first,
                                   first + static_cast<std::ptrdiff_t>(std::min(size, shown)));
            });
            if (group.count == 0) {
                continue;
            }
            std::sort(group.first.begin(), group.first.end(), before);
            group.first.resize(std::min(group.first.size(), shown));
            groups.push_back(std::move(group));
        }
    }
    return groups;
}

} // namespace padsmith
