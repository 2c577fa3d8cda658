// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pieces of the health check shared by its source files; not for use elsewhere.
#include "kit/KitChecks.h"
#include "kit/KitHealth.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace padsmith {

inline constexpr int kKeys = 128;

bool validKey(int key);
const SampleZone& zoneAt(const KitDocument& kit, ZoneRef ref);
// "81–127", or "81" for a window of one velocity.
std::string windowText(VelocitySpan window);
// "row 2" for a zone of `pad`, "pad 3 row 1" for one of another pad.
std::string placeText(ZoneRef ref, int pad);
// "a, b and c".
std::string joinedList(const std::vector<std::string>& items);

// How many zones of the kit play each key and window.
using WindowGroups = std::map<std::tuple<int, int, int>, std::size_t>;
WindowGroups groupByWindow(const KitDocument& kit);

// Gives each of the `takes` zones that share `window` on `key` one run of it, lowest first in
// trigger order; none when there are fewer velocities than takes.
std::optional<HealthFix> interleaveFix(std::size_t takes, int key, VelocitySpan window);

// The pad as `edit` leaves it, taken from the kit on first use: fixes are built without copying
// the whole kit.
Pad& touchPad(KitEdit& edit, const KitDocument& kit, int pad);

// Zones of two pads on one note with overlapping velocities, in kit order.
std::vector<HealthFinding> doubleNoteFindings(const KitDocument& kit);

// Findings about the zones' sample files, the folders and the texts. `silent` holds the zones
// (pad, row) that never play: their sound does not count among the layers.
std::vector<HealthFinding> sampleFindings(const KitDocument& kit, const HealthInputs& inputs,
                                          const std::set<std::pair<int, int>>& silent);

} // namespace padsmith
