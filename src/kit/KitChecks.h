// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitDocument.h"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace padsmith {

class KitHost;

// A zone by its place in the kit.
struct ZoneRef {
    int pad = 0;
    int position = 0;
};

// The double-defined-note rule: a zone conflicts with a zone of another pad that has the same
// key and an overlapping velocity window. With `report`, the other zone is shown and the user
// told "Double defined NOTE in your drum set!".
bool checkDoubleNote(const KitDocument& kit, const SampleZone& zone, int position, int key,
                     KitHost* report);
// The first zone of another pad (pad order, then list order) that has `key` and a velocity
// window overlapping `zone`'s; empty when there is none.
std::optional<ZoneRef> findDoubleNote(const KitDocument& kit, const SampleZone& zone, int key);
// True at the first zone of the kit (pad order) that has a double-defined note; with `report`,
// that zone and the one it clashes with are shown as checkDoubleNote shows them.
bool checkKitNotes(const KitDocument& kit, KitHost* report);
// The first zone of the kit (pad order, then list order) that makes a double-defined note, and
// the first zone of another pad it clashes with: the pair checkKitNotes shows. Zones are taken
// by the pad they sit in. Its cost grows with the zones, not with the pairs.
std::optional<std::pair<ZoneRef, ZoneRef>> findFirstDoubleNote(const KitDocument& kit);
// Every pair of zones on different pads that makes a double-defined note, each pair once: the
// zone of the lower pad first, pairs in pad and list order of that zone. Zones are taken by the
// pad they sit in.
std::vector<std::pair<ZoneRef, ZoneRef>> findAllDoubleNotes(const KitDocument& kit);

// The pairs of findAllDoubleNotes gathered by their first zone: how many zones of later pads
// clash with it, and the first `shown` of them in kit order. Its cost grows with the zones,
// not with the pairs.
struct DoubleNoteGroup {
    ZoneRef zone;
    std::size_t count = 0;
    std::vector<ZoneRef> first;
};
std::vector<DoubleNoteGroup> findDoubleNoteGroups(const KitDocument& kit, std::size_t shown);

} // namespace padsmith
