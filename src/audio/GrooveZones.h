// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/Groove.h"
#include "kit/KitChecks.h"
#include "kit/KitDocument.h"

#include <optional>
#include <string>
#include <vector>

namespace padsmith {

// The zone a groove's note plays, with what it takes to sound it.
struct ZonePlay {
    ZoneRef zone;
    std::string path;
    float gainLeft = 1.0F;
    float gainRight = 1.0F;
};

// The zone that `note` at `velocity` plays, found as a live note finds it (the kit's trigger
// order). With `pad`, only that pad's zones answer: a velocity sweep plays the one pad even
// where another pad shares its key.
std::optional<ZonePlay> zonePlayed(const KitDocument& kit, int note, int velocity,
                                   std::optional<int> pad = std::nullopt);

// The key a sweep of `pad` plays: that of the zone a click on the pad auditions; -1 for an
// empty pad.
int sweepNote(const KitDocument& kit, int pad);

// A note of the groove that no zone answers, with how often and how hard it is played.
struct UnplayedNote {
    int note = 0;
    int hits = 0;
    int lowestVelocity = 127;
    int highestVelocity = 1;
};
// The notes of `groove` that play nothing, by note.
std::vector<UnplayedNote> unplayedNotes(const KitDocument& kit, const Groove& groove,
                                        std::optional<int> pad = std::nullopt);
// "note 49 (c#1): 4 hits, velocities 90 to 110".
std::string describeUnplayed(const UnplayedNote& note);

} // namespace padsmith
