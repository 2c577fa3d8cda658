// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pieces of the health check shared by its source files; not for use elsewhere.
#include "kit/KitHealth.h"

#include <set>
#include <utility>
#include <vector>

namespace padsmith {

// The pad as `edit` leaves it, taken from the kit on first use: fixes are built without copying
// the whole kit.
Pad& touchPad(KitEdit& edit, const KitDocument& kit, int pad);

// Findings about the zones' sample files, the folders and the texts. `silent` holds the zones
// (pad, row) that never play: their sound does not count among the layers.
std::vector<HealthFinding> sampleFindings(const KitDocument& kit, const HealthInputs& inputs,
                                          const std::set<std::pair<int, int>>& silent);

} // namespace padsmith
