// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitDocument.h"

#include <map>
#include <string>
#include <vector>

namespace padsmith {

// One pad's state before and after a change, addressed by its index 0..17.
struct PadChange {
    int pad = 0;
    Pad before;
    Pad after;
};

// One user action on the kit: every pad it touches, old and new. Applying its inverse undoes it.
struct KitEdit {
    std::string name; // what the user did, for "Undo %1": "Paste Pad", "Edit Key", ...
    std::vector<PadChange> changes;

    // No change, or every change leaves its pad as it was.
    bool empty() const;
};

// pads[c.pad] = c.after for each change, in order. Changes that name no pad 0..17 are skipped.
void applyEdit(KitDocument& kit, const KitEdit& edit);
// The edit that undoes `edit`: before and after swapped, the changes in reverse order.
KitEdit inverseOf(const KitEdit& edit);

// A save moved the content of some sources (the kit's own copies, renamed or passed on): each
// zone of the edit, before and after, whose source is a key of `moved` takes the new path, so
// that an undo after the save plays what it played before.
void followMovedSources(KitEdit& edit, const std::map<std::string, std::string>& moved);

// Where the user is shown what an applied edit did: a pad it changed (`preferred` when that
// is one of them, else the first), and the rows of that pad that differ from before.
struct EditPlace {
    int pad = -1; // -1: the edit changed nothing
    std::vector<int> rows;
};
EditPlace placeOf(const KitEdit& edit, int preferred);

// Builds an edit by changing the kit in place: take a snapshot of each pad before the first
// change to it, change kit.pads freely, then finish() to get the edit (the kit keeps the new
// state, so a pushed edit's first apply changes nothing further).
class KitEditRecorder {
public:
    KitEditRecorder(KitDocument& kit, std::string name);

    // Remembers the pad as it is now, unless it was already touched; returns it for changing.
    Pad& touch(int pad);
    KitEdit finish() const;

private:
    KitDocument& kit_;
    KitEdit edit_;
};

} // namespace padsmith
