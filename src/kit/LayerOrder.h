// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitDocument.h"
#include "kit/KitEdit.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace padsmith {

// Velocity layers from sample names: which of several samples of one sound is the softest and
// which the hardest, and the velocity windows they share.

// Case-insensitive name order in which runs of digits compare as numbers: "v2" before "v10".
bool naturalLess(std::string_view a, std::string_view b);

// What a sample's name says about its place among layers. Missing parts are 0; a name without
// a dynamic word counts as between "mp" and "mf".
struct LayerRank {
    int dynamic = 0; // ghost 5, ppp 10, softest 15, pp 20, soft/p 30, mp 40, none/med 45, mf 50,
                     // f 60, hard/loud/ff 70, fff/hardest/loudest 80
    int layer = 0;   // "v3", "vel 3", "layer 3", "velocity 3"
    int take = 0;    // the last other number: "Kick_Hard_03", "rr2"
};
LayerRank layerRank(std::string_view name);

// The indices of `names`, softest first: by dynamic word, then layer number, then take number,
// then natural name order. Equal names keep their order.
std::vector<std::size_t> layerOrder(const std::vector<std::string>& names);

// The velocity windows of `count` layers of one key, softest first, as "Set dinamic velocity"
// shares them: 1-74 and 75-127 for two, 1-56, 57-93 and 94-127 for three.
std::vector<std::pair<int, int>> layerWindows(std::size_t count);

// The name of the sound a sample holds, without the words that tell its layer or take: lower
// case words joined by blanks. "Kick_Hard_03.wav" and "kick soft 1.wav" both give "kick". A
// number directly after "tom" stays, since it tells one tom from another ("Tom 2 Hard" gives
// "tom 2"). With `keepNumbers` every number stays but those of layer and take words: for a
// folder's name, where "Kick 2" is another kick than "Kick 1".
std::string soundName(std::string_view fileName, bool keepNumbers = false);

// The zones of `pad` on `key`, ordered softest to hardest by their sample names and given the
// windows of layerWindows. They take the rows those zones held; the other zones stay as they
// are.
Pad layeredPad(Pad pad, int key);

// An import that appended zones to pad `pad`, turned into velocity layers: the zones on the key
// of the pad's last zone (the key the appended zones took) are layered as by layeredPad, all in
// the one edit, which keeps the import's name.
KitEdit asLayers(KitEdit importEdit, int pad);

// layeredPad as an edit of pad `pad` of the kit ("Velocity Layers"). Empty when nothing changes.
KitEdit layerZones(const KitDocument& kit, int pad, int key);

} // namespace padsmith
