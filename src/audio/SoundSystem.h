// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/Preview.h"
#include "audio/VoiceMixer.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {

class SampleCache;

// The editor's sound and MIDI: previews and notes on the system's audio outputs, and every MIDI
// input. The editor loads it as a module once its window is on screen (loadSoundModule), so the
// program starts without the libraries of the sound server and the MIDI systems; tests and the
// command-line tool link it in (LinkedSound.h). Without the module the editor runs silent and
// without MIDI (silentSound).
class SoundSystem {
public:
    virtual ~SoundSystem() = default;

    // As PreviewPlayer: a preview ends every sound, a note sounds with the others; `gain` is
    // the zone's volumes (a file that is no zone plays at its own level).
    virtual void previewSample(const std::string& path, int device, VoiceGain gain) = 0;
    virtual void playNote(const std::string& path, int device, VoiceGain gain) = 0;
    virtual void stopPreview() = 0;
    virtual bool openOutput(int device) = 0;
    virtual void closeOutput() = 0;
    virtual std::vector<VoicePosition> soundingVoices() const = 0;
    virtual QString infoText() const = 0;
    virtual bool isPreviewing() const = 0;
    virtual qint64 bytesWritten() const = 0;
    // The outputs a preview can play on, read again on every call.
    virtual AudioOutputs outputs() const = 0;

    // The kit's zones in the order a note searches them: a voice of each sample is made ready
    // so that MIDI notes sound without waiting for this thread.
    virtual void setKit(std::vector<KitZone> zones) = 0;
    // While true, a MIDI note-on that triggers a zone is played on its way in, before it
    // reaches this thread; it then arrives with kMidiNoteSounded set.
    virtual void setNotesDirect(bool direct) = 0;

    // Opens every MIDI input of the system that `setting` (the stored "MidiApi") or the
    // environment names, else of the first system that works; each short message goes to
    // `received` on this thread, with kMidiNoteSounded set on a note-on played already. Returns
    // what the user should be told (a MIDI system named that is not known), else an empty text.
    virtual QString openMidi(const QString& setting, std::function<void(quint32)> received) = 0;
    virtual bool midiOpen() const = 0;
    // One line for the About window: the MIDI system and its ports, or why there is no MIDI.
    virtual QString midiStatusText() const = 0;
    // One line for the About window: the output stream and the priority of its audio thread.
    virtual QString outputStatusText() const = 0;
};

// Set in a MIDI message that openMidi's `received` gets for a note-on that already sounds.
constexpr quint32 kMidiNoteSounded = 1U << 31;

// A sound system that plays nothing and has no MIDI; `reason` says why, in the About window.
std::unique_ptr<SoundSystem> silentSound(const QString& reason);

// What loading the module gave: the sound system, or null and what went wrong.
struct LoadedSound {
    std::unique_ptr<SoundSystem> sound;
    QString error;
};

// The module's file name without its suffix.
inline const QString kSoundModuleName = QStringLiteral("padsmith-sound");

// Loads the module from the first of `folders` that holds it (moduleFolders() for the editor)
// and makes its sound system on
// `cache` (may be null; else it must outlive the sound system). The module stays loaded for
// the rest of the run.
LoadedSound loadSoundModule(const QStringList& folders, SampleCache* cache);

// The version of the interface above; the module refuses to serve another.
constexpr int kSoundInterfaceVersion = 3;
// The function the module exports, and its signature.
inline constexpr char kSoundModuleEntry[] = "padsmithCreateSound";
using SoundModuleEntry = SoundSystem* (*)(SampleCache* cache, int interfaceVersion);

} // namespace padsmith
