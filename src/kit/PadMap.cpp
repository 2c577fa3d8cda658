// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/PadMap.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <map>

namespace padsmith {

namespace {

// For each velocity of one key, the zone that a note-on of it plays (none: pad -1).
using VelocityOwners = std::array<ZoneRef, kHighestVelocity + 1>;

constexpr ZoneRef kNobody{-1, -1};

bool isNobody(const ZoneRef& zone) {
    return zone.pad < 0;
}

// Runs of velocities 1..127 for which `wanted` holds.
template <typename Predicate> std::vector<VelocitySpan> spansWhere(Predicate wanted) {
    std::vector<VelocitySpan> spans;
    for (int velocity = kLowestVelocity; velocity <= kHighestVelocity; ++velocity) {
        if (!wanted(velocity)) {
            continue;
        }
        if (!spans.empty() && spans.back().high == velocity - 1) {
            spans.back().high = velocity;
        } else {
            spans.push_back({velocity, velocity});
        }
    }
    return spans;
}

VelocitySpan drawnWindow(const SampleZone& zone) {
    if (const std::optional<VelocitySpan> answered = answeredVelocities(zone)) {
        return *answered;
    }
    const int low = std::clamp(std::min(zone.velocityLow, zone.velocityHigh), kLowestVelocity,
                               kHighestVelocity);
    const int high = std::clamp(std::max(zone.velocityLow, zone.velocityHigh), kLowestVelocity,
                                kHighestVelocity);
    return {low, high};
}

// Who plays each velocity of the given keys, in the kit's trigger order.
std::map<int, VelocityOwners> ownersOf(const KitDocument& kit, const std::vector<int>& keys) {
    std::map<int, VelocityOwners> owners;
    for (const int key : keys) {
        owners[key].fill(kNobody);
    }
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            const SampleZone& zone = pad.at(row);
            const auto lane = owners.find(zone.key);
            const std::optional<VelocitySpan> answered = answeredVelocities(zone);
            if (lane == owners.end() || !answered) {
                continue;
            }
            for (int velocity = answered->low; velocity <= answered->high; ++velocity) {
                ZoneRef& owner = lane->second[static_cast<std::size_t>(velocity)];
                if (isNobody(owner)) {
                    owner = ZoneRef{p, static_cast<int>(row)};
                }
            }
        }
    }
    return owners;
}

} // namespace

int PadMap::laneOf(int key) const {
    const auto found = std::find_if(lanes.begin(), lanes.end(),
                                    [key](const MapLane& lane) { return lane.key == key; });
    return found == lanes.end() ? -1 : static_cast<int>(found - lanes.begin());
}

PadMap padMap(const KitDocument& kit, int pad) {
    PadMap map;
    if (pad < 0 || pad >= kPadCount) {
        return map;
    }
    const Pad& zones = kit.pads[static_cast<std::size_t>(pad)];
    std::vector<int> keys;
    for (const SampleZone& zone : zones) {
        keys.push_back(zone.key);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    const std::map<int, VelocityOwners> owners = ownersOf(kit, keys);

    for (const int key : keys) {
        const VelocityOwners& owner = owners.at(key);
        MapLane lane;
        lane.key = key;
        lane.gaps = spansWhere([&](int v) { return isNobody(owner[static_cast<std::size_t>(v)]); });
        lane.elsewhere = spansWhere([&](int v) {
            const ZoneRef& who = owner[static_cast<std::size_t>(v)];
            return !isNobody(who) && who.pad != pad;
        });
        map.lanes.push_back(std::move(lane));
    }

    // The velocities taken on each tier of each lane, to stack overlapping blocks.
    using Taken = std::bitset<kHighestVelocity + 1>;
    std::vector<std::vector<Taken>> tierUse(map.lanes.size());
    for (std::size_t row = 0; row < zones.size(); ++row) {
        const SampleZone& zone = zones.at(row);
        MapBlock block;
        block.row = static_cast<int>(row);
        block.lane = map.laneOf(zone.key);
        block.window = drawnWindow(zone);
        block.label = zone.sampleName;
        const VelocityOwners& owner = owners.at(zone.key);
        const ZoneRef self{pad, block.row};
        const bool answers = answeredVelocities(zone).has_value();
        block.plays = spansWhere([&](int v) {
            const ZoneRef& who = owner[static_cast<std::size_t>(v)];
            return answers && block.window.contains(v) && who.pad == self.pad &&
                   who.position == self.position;
        });
        for (int v = block.window.low; v <= block.window.high && answers; ++v) {
            const ZoneRef& who = owner[static_cast<std::size_t>(v)];
            if (who.pad != self.pad || who.position != self.position) {
                block.takenBy = who;
                break;
            }
        }

        Taken window;
        for (int v = block.window.low; v <= block.window.high; ++v) {
            window.set(static_cast<std::size_t>(v));
        }
        std::vector<Taken>& tiers = tierUse[static_cast<std::size_t>(block.lane)];
        const auto free = std::find_if(tiers.begin(), tiers.end(),
                                       [&](const Taken& taken) { return (taken & window).none(); });
        block.tier = static_cast<int>(free - tiers.begin());
        if (free == tiers.end()) {
            tiers.push_back(window);
        } else {
            *free |= window;
        }
        map.blocks.push_back(std::move(block));
    }
    for (std::size_t lane = 0; lane < map.lanes.size(); ++lane) {
        map.lanes[lane].tiers = std::max<int>(1, static_cast<int>(tierUse[lane].size()));
    }
    return map;
}

KitEdit dragVelocityEdge(const KitDocument& kit, int pad, int row, VelocityEdge edge,
                         int velocity) {
    KitEdit edit;
    edit.name = "Edit Velocity";
    if (pad < 0 || pad >= kPadCount) {
        return edit;
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    if (row < 0 || static_cast<std::size_t>(row) >= before.size()) {
        return edit;
    }
    Pad after = before;
    SampleZone& dragged = after.at(static_cast<std::size_t>(row));
    const VelocitySpan window = drawnWindow(dragged);

    // The neighbours that touch the edge, and how far the edge may go.
    std::vector<std::size_t> neighbours;
    int lowest = kLowestVelocity;
    int highest = kHighestVelocity;
    if (edge == VelocityEdge::High) {
        lowest = window.low;
    } else {
        highest = window.high;
    }
    for (std::size_t other = 0; other < after.size(); ++other) {
        const SampleZone& zone = after.at(other);
        const std::optional<VelocitySpan> answered = answeredVelocities(zone);
        if (other == static_cast<std::size_t>(row) || zone.key != dragged.key || !answered) {
            continue;
        }
        if (edge == VelocityEdge::High && answered->low == window.high + 1) {
            neighbours.push_back(other);
            highest = std::min(highest, answered->high - 1);
        } else if (edge == VelocityEdge::Low && answered->high == window.low - 1) {
            neighbours.push_back(other);
            lowest = std::max(lowest, answered->low + 1);
        }
    }
    const int moved = std::clamp(velocity, lowest, std::max(lowest, highest));

    // The other bound stays as it was written, unless the window as written answered every
    // velocity or none: then the window drawn is what the user moved.
    if (dragged.velocityHigh == 0 || !answeredVelocities(dragged)) {
        dragged.velocityLow = window.low;
        dragged.velocityHigh = window.high;
    }
    (edge == VelocityEdge::Low ? dragged.velocityLow : dragged.velocityHigh) = moved;
    for (const std::size_t other : neighbours) {
        SampleZone& zone = after.at(other);
        if (edge == VelocityEdge::High) {
            zone.velocityLow = moved + 1;
        } else {
            zone.velocityHigh = moved - 1;
        }
    }
    edit.changes.push_back(PadChange{pad, before, after});
    return edit;
}

} // namespace padsmith
