// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MidiRouter.h"

#include "app/AnimationControl.h"
#include "app/Audition.h"
#include "app/EditPath.h"
#include "app/Operation.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "kit/KitChecks.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

namespace padsmith {

MidiRouter::MidiRouter(Services services, QObject* parent)
    : QObject(parent), s_(std::move(services)) {}

void MidiRouter::publishDirectNotes() {
    const bool direct = s_.window.isActiveWindow() &&
                        QApplication::activeModalWidget() == nullptr && !operationRunning() &&
                        s_.pads.renameBox() == nullptr && !s_.zones.ownsFocus();
    s_.audition.sound().setNotesDirect(direct);
}

void MidiRouter::handleMessage(quint32 packed) {
    const std::optional<NoteOn> note = noteOnIn(packed);
    if (!note) {
        return;
    }
    // Selecting a pad lets waiting events run, and with them the next notes: those wait
    // their turn, so each note is handled whole and in order.
    waiting_.emplace_back(*note, (packed & kMidiNoteSounded) != 0);
    if (handling_) {
        return;
    }
    handling_ = true;
    while (!waiting_.empty()) {
        const auto [next, sounded] = waiting_.front();
        waiting_.pop_front();
        noteOn(next, sounded);
    }
    handling_ = false;
    publishDirectNotes();
}

void MidiRouter::noteOn(const NoteOn& note, bool sounded) {
    // A command or long operation (reading, saving, cleaning) lets events run between its
    // steps: notes then would change the kit under its feet.
    if (operationRunning()) {
        return;
    }
    s_.animation.play();
    // Another program in front, or a dialog of this one: only the flash.
    if (s_.window.isActiveWindow() && QApplication::activeModalWidget() == nullptr) {
        // Where the focus was decides what the note does; an open edit is first committed (a
        // refused text keeps its editor, and the note does nothing more).
        const InPlaceEdit* renameBox = s_.pads.renameBox();
        const bool renaming = renameBox != nullptr && renameBox->hasFocus();
        const bool listFocused = s_.zones.hasFocus();
        if (s_.endOpenEdits() && !renaming) {
            // The zone list's cell editor does not hold the trigger back; the list itself does.
            if (listFocused) {
                enterKey(note);
            } else {
                trigger(note, sounded);
            }
        }
    }
    emit noteHandled(note.note, note.velocity);
}

bool MidiRouter::trigger(const NoteOn& note, bool sounded) {
    const std::optional<ZoneRef> zone = triggeredZone(s_.kit, note.note, note.velocity);
    if (zone) {
        const SampleZone& played = s_.kit.pads[static_cast<std::size_t>(zone->pad)].at(
            static_cast<std::size_t>(zone->position));
        // Notes sound together, as on the instrument. A note that sounds already was played
        // on its way in.
        if (!sounded) {
            s_.audition.playZone(played);
        }
        s_.pads.selectPad(zone->pad, zone->position);
        s_.commandsChanged();
    }
    return true;
}

bool MidiRouter::enterKey(const NoteOn& note) {
    ZoneListPanel& zones = s_.zones;
    KitDocument& kit = s_.kit;
    if (kit.current().empty() || zones.currentRow() < 0) {
        return false;
    }
    const QList<int> selected = zones.selectedRows();
    const KeyEntry entry =
        padsmith::enterKey(kit, kit.currentPad, {selected.begin(), selected.end()}, note.note);
    s_.edits.apply(entry.edit);
    if (entry.refusedRow) {
        // The check again, now to show the user the other zone and the message.
        SampleZone refused = kit.current().at(static_cast<std::size_t>(*entry.refusedRow));
        refused.padNumber = kit.currentPad + 1;
        checkDoubleNote(kit, refused, *entry.refusedRow, note.note, &s_.host);
        return true;
    }
    zones.playZone();
    return true;
}

std::vector<KitZone> kitZonesOf(const KitDocument& kit) {
    std::vector<KitZone> zones;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            zones.push_back({zone.sourcePath, zone.key, zone.velocityLow, zone.velocityHigh,
                             zone.gainLeft, zone.gainRight});
        }
    }
    return zones;
}

} // namespace padsmith
