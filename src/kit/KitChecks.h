#pragma once

#include "kit/KitDocument.h"

namespace padsmith {

class KitHost;

// The double-defined-note rule: a zone conflicts with a zone of another pad that has the same
// key and an overlapping velocity window. With `report`, the other zone is shown and the user
// told "Double defined NOTE in your drum set!".
bool checkDoubleNote(const KitDocument& kit, const SampleZone& zone, int position, int key,
                     KitHost* report);
// True at the first zone of the kit (pad order) that has a double-defined note.
bool checkKitNotes(const KitDocument& kit, KitHost* report);

} // namespace padsmith
