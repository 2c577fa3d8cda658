// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitChecks.h"
#include "kit/KitDocument.h"
#include "kit/KitEdit.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace padsmith {

// A note-on as it reaches the editor: channel 0 to 15, note and velocity 1 to 127.
struct NoteOn {
    int channel = 0;
    int note = 0;
    int velocity = 0;
};

// The note-on in a packed short MIDI message (status in bits 0 to 7, note in bits 8 to 15,
// velocity in bits 16 to 23), on any channel. A note-on with velocity 0 is how most keyboards
// send a key's release: it is a note-off and gives nothing, like every other message.
std::optional<NoteOn> noteOnIn(std::uint32_t packedMessage);
// Packs status and data bytes as noteOnIn reads them.
std::uint32_t packMidiMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

// The zone a note-on plays, as the plug-in picks it: pads 1 to 18 in order and each pad's zones
// in list order, the first whose key is the note and whose velocity window holds the velocity.
// A zone whose upper velocity bound is 0 answers its key at every velocity.
std::optional<ZoneRef> triggeredZone(const KitDocument& kit, int note, int velocity);
// The same within one pad: the row of its first zone that answers the note, -1 when none does.
int triggeredRow(const Pad& pad, int note, int velocity);

// A note played into the zone list: the key it gives the selected zones.
struct KeyEntry {
    // The zones that took the note, as one step to undo ("Edit Key").
    KitEdit edit;
    // The row whose zone would have made a double-defined note with another pad's zone; it
    // and the rows after it keep their keys.
    std::optional<int> refusedRow;
};
// Gives `note` to the zones at `rows` of pad `pad`, in list order, stopping at the first one
// that the double-note check refuses.
KeyEntry enterKey(const KitDocument& kit, int pad, std::vector<int> rows, int note);

} // namespace padsmith
