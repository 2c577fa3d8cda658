// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitChecks.h"
#include "kit/KitDocument.h"
#include "kit/KitEdit.h"

#include <optional>
#include <string>
#include <vector>

namespace padsmith {

// One zone of a pad as the velocity map shows it: a block on the lane of its key.
struct MapBlock {
    int row = 0;  // the zone's place in the pad's list
    int lane = 0; // index into PadMap::lanes
    int tier = 0; // blocks whose windows overlap stand one above the other: 0 is the top
    // The window drawn: the velocities the zone answers, or for a window that answers none the
    // velocities between its two bounds.
    VelocitySpan window;
    // The parts of the window a note-on really plays with this zone: pads 1 to 18 and each
    // pad's zones in list order, the first zone that answers takes the note.
    std::vector<VelocitySpan> plays;
    // The zone that takes the first velocity of the window that this one does not play.
    std::optional<ZoneRef> takenBy;
    std::string label; // the sample name

    bool neverPlays() const { return plays.empty(); }
};

// One key that the pad's zones use, velocity 1 to 127 across.
struct MapLane {
    int key = 0;
    int tiers = 1; // rows of blocks the lane needs so that none hides another
    // Velocities of this key that no zone of the kit plays.
    std::vector<VelocitySpan> gaps;
    // Velocities of this key that a zone of another pad plays.
    std::vector<VelocitySpan> elsewhere;
};

// The velocity map of one pad: a lane per key (ascending), a block per zone (in list order).
struct PadMap {
    std::vector<MapLane> lanes;
    std::vector<MapBlock> blocks;

    // The lane of `key`, -1 when the pad does not use it.
    int laneOf(int key) const;
};

PadMap padMap(const KitDocument& kit, int pad);

enum class VelocityEdge { Low, High };

// Moves one edge of a zone's velocity window to `velocity`, as one step to undo ("Edit
// Velocity"). The zone keeps at least one velocity. Zones of the same pad and key whose window
// touched the moved edge (ended just below it, or began just above it) follow it, and the edge
// stops where such a neighbour would lose its last velocity. A window that answered every
// velocity (upper bound 0) is first taken as 1..127. Empty when nothing changes.
KitEdit dragVelocityEdge(const KitDocument& kit, int pad, int row, VelocityEdge edge, int velocity);

} // namespace padsmith
