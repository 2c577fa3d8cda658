// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/KitZone.h"
#include "kit/Trigger.h"

#include <QObject>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace padsmith {

class AnimationControl;
class Audition;
class EditPath;
class KitDocument;
class KitHost;
class PadPanel;
class ZoneListPanel;

// What a MIDI keyboard or drum controller does in the window. Every note-on flashes the
// picture's animation once. While the user works anywhere but in the zone list or the pad's
// rename box, the note plays the zone it triggers and makes it current; while the zone list has
// the focus, the note becomes the key of the selected zones (one undo step) and the current
// row is played. An open cell edit or pad rename is committed before the note acts (a refused
// text keeps its editor, and the note does no more). Notes count only while the window is the
// active one and no long operation runs; they are taken one at a time in the order they came in.
// While a note would trigger its zone, the sound system plays it on its way in, without waiting
// for this thread; the router then only makes the zone current.
class MidiRouter : public QObject {
    Q_OBJECT
public:
    struct Services {
        QWidget& window; // notes count while it is the active window
        KitDocument& kit;
        EditPath& edits;
        KitHost& host;
        PadPanel& pads;
        ZoneListPanel& zones;
        Audition& audition;
        AnimationControl& animation;
        // Commits the window's open edits; false when one refused its text.
        std::function<bool()> endOpenEdits;
        std::function<void()> commandsChanged; // the enabling is due again
    };
    explicit MidiRouter(Services services, QObject* parent = nullptr);

    // A short MIDI message as the input delivers it; everything but a note-on is ignored.
    void handleMessage(quint32 packed);
    // Tells the sound system whether a note now would trigger its zone (the window active, no
    // dialog, the focus outside the zone list and its editors, no rename box open). Called
    // whenever the focus moves, also when a dialog opens or another program comes to the front.
    void publishDirectNotes();

signals:
    // A note-on was taken (after the animation, the trigger or the key entry).
    void noteHandled(int note, int velocity);

private:
    void noteOn(const NoteOn& note, bool sounded);
    bool trigger(const NoteOn& note, bool sounded);
    bool enterKey(const NoteOn& note);

    Services s_;
    std::deque<std::pair<NoteOn, bool>> waiting_; // the note, and whether it sounds already
    bool handling_ = false;
};

// The kit's zones in the order a note searches them, for the sound system.
std::vector<KitZone> kitZonesOf(const KitDocument& kit);

} // namespace padsmith
