// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/PadEdits.h"

#include "kit/KitHost.h"
#include "platform/Files.h"

#include <algorithm>

namespace padsmith {

namespace {

bool validPad(int pad) {
    return pad >= 0 && pad < kPadCount;
}

// The zones of `from` as they sit on pad `pad`.
std::vector<SampleZone> zonesFor(const Pad& from, int pad) {
    std::vector<SampleZone> zones = from.zones();
    for (SampleZone& zone : zones) {
        zone.padNumber = pad + 1;
    }
    return zones;
}

// A pad with zones shows the name its first zone carries.
void nameFromZones(Pad& pad) {
    if (!pad.empty()) {
        pad.label = pad.at(0).padName;
    }
}

void empty(Pad& pad) {
    pad.clear();
    pad.label = kUnnamedPad;
}

} // namespace

void PadClipboard::copy(int pad) {
    source_ = validPad(pad) ? pad : -1;
    cut_ = false;
}

void PadClipboard::cut(int pad) {
    source_ = validPad(pad) ? pad : -1;
    cut_ = source_ >= 0;
}

void PadClipboard::clear() {
    source_ = -1;
    cut_ = false;
}

KitEdit PadClipboard::paste(const KitDocument& kit, int target) {
    if (!canPaste(target) || !validPad(target)) {
        return {};
    }
    const int from = source_;
    const bool move = cut_;
    clear();

    const Pad& source = kit.pads[static_cast<std::size_t>(from)];
    const Pad& current = kit.pads[static_cast<std::size_t>(target)];
    Pad newSource = source;
    Pad newTarget = current;
    newTarget.zones() = zonesFor(source, target);
    if (!current.empty()) {
        newSource.zones() = zonesFor(current, from);
    }
    if (move) {
        // The target's former zones (after a swap) leave the kit with the source pad.
        empty(newSource);
    }
    nameFromZones(newSource);
    nameFromZones(newTarget);

    KitEdit edit;
    edit.name = move ? "Move Pad" : current.empty() ? "Paste Pad" : "Swap Pads";
    edit.changes.push_back(PadChange{from, source, newSource});
    edit.changes.push_back(PadChange{target, current, newTarget});
    return edit;
}

KitEdit deletePad(const KitDocument& kit, int pad) {
    if (!validPad(pad)) {
        return {};
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    Pad after = before;
    empty(after);
    return KitEdit{"Delete Pad", {PadChange{pad, before, after}}};
}

KitEdit renamePad(const KitDocument& kit, int pad, const std::string& name) {
    if (!validPad(pad) || name.empty()) {
        return {};
    }
    const std::string cut = cutText(name, kPadNameMax);
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    Pad after = before;
    after.label = cut;
    for (SampleZone& zone : after) {
        zone.padName = cut;
    }
    return KitEdit{"Rename Pad", {PadChange{pad, before, after}}};
}

} // namespace padsmith
