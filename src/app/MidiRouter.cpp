// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MidiRouter.h"

#include "app/AnimationControl.h"
#include "app/EditPath.h"
#include "app/MainWindow.h"
#include "app/Operation.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "kit/KitChecks.h"

#include <QApplication>
#include <QMenu>

namespace padsmith {

MidiRouter::MidiRouter(MainWindow& window, QObject* parent) : QObject(parent), window_(window) {}

void MidiRouter::publishDirectNotes() {
    const InPlaceEdit* renameBox = window_.padPanel().renameBox();
    const bool direct = window_.isActiveWindow() && QApplication::activeModalWidget() == nullptr &&
                        !operationRunning() && renameBox == nullptr &&
                        !window_.zonePanel().ownsFocus();
    window_.sound().setNotesDirect(direct);
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
    window_.animation()->play();
    // Another program in front, or a dialog of this one: only the flash.
    if (window_.isActiveWindow() && QApplication::activeModalWidget() == nullptr) {
        // Where the focus was decides what the note does; an open edit is first committed (a
        // refused text keeps its editor, and the note does nothing more).
        ZoneListPanel& zones = window_.zonePanel();
        const InPlaceEdit* renameBox = window_.padPanel().renameBox();
        const bool renaming = renameBox != nullptr && renameBox->hasFocus();
        const bool listFocused = zones.hasFocus();
        if (window_.endOpenEdits() && !renaming) {
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
    const std::optional<ZoneRef> zone = triggeredZone(window_.kit(), note.note, note.velocity);
    if (zone) {
        const SampleZone& played = window_.kit().pads[static_cast<std::size_t>(zone->pad)].at(
            static_cast<std::size_t>(zone->position));
        // Notes sound together, as on the instrument. A note that sounds already was played
        // on its way in.
        if (!sounded) {
            window_.sound().playNote(played.sourcePath, window_.outputDevice());
        }
        window_.padPanel().selectPad(zone->pad, zone->position);
        window_.updateCommandStates();
    }
    return true;
}

bool MidiRouter::enterKey(const NoteOn& note) {
    ZoneListPanel& zones = window_.zonePanel();
    KitDocument& kit = window_.kit();
    if (kit.current().empty() || zones.currentRow() < 0) {
        return false;
    }
    const QList<int> selected = zones.selectedRows();
    const KeyEntry entry =
        padsmith::enterKey(kit, kit.currentPad, {selected.begin(), selected.end()}, note.note);
    window_.editPath().apply(entry.edit);
    if (entry.refusedRow) {
        // The check again, now to show the user the other zone and the message.
        SampleZone refused = kit.current().at(static_cast<std::size_t>(*entry.refusedRow));
        refused.padNumber = kit.currentPad + 1;
        checkDoubleNote(kit, refused, *entry.refusedRow, note.note, &window_.kitHost());
        return true;
    }
    zones.playZone();
    return true;
}

std::vector<KitZone> kitZonesOf(const KitDocument& kit) {
    std::vector<KitZone> zones;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            zones.push_back({zone.sourcePath, zone.key, zone.velocityLow, zone.velocityHigh});
        }
    }
    return zones;
}

} // namespace padsmith
