// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/VoiceEngine.h"
#include "audio/VoiceMixer.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {

class SampleCache;
class OutputStream;

// The outputs a preview can play on. Device -1 is the sound server's default output (JACK when
// no sound server runs but a JACK server does), 0 to n-1 the outputs in the order the sound
// server lists them, and after them "JACK" while a JACK server runs. Read again on every call:
// the list can change.
struct AudioOutputs {
    QString defaultName;
    QStringList names;
};
AudioOutputs audioOutputs();

// Auditions samples on one output stream of its own, which asks for its sound through a
// callback a period of a few milliseconds at a time (see OutputStream). A preview (a click on
// a pad or a row, a key in the zone list, the import dialog) plays alone: it ends whatever
// sounds. A note (from MIDI) sounds together with the others, up to VoiceMixer::kMaxVoices, the
// oldest ending first when all are busy. A sample in the cache plays from memory, else from its
// file, read ahead while it plays. For the kit given to setKit, a voice of every sample is made
// ready ahead, so that a MIDI note goes from the MIDI thread straight to the audio thread
// (noteFromMidi) and sounds at its next period. No event loop is needed.
class PreviewPlayer {
public:
    // `cache` (may be null, else it must outlive the player) is looked into before a file is
    // read, and a file that was not in it is offered to it as played.
    explicit PreviewPlayer(SampleCache* cache = nullptr);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Ends every sound, then plays `path` on `device` at `gain` (a zone's volumes; a file
    // that is no zone yet plays at its own level). An empty path only stops.
    void previewSample(const std::string& path, int device, VoiceGain gain = {});
    // Plays `path` on `device` at `gain` together with what sounds already (a MIDI note). A
    // change of device ends the other sounds.
    void playNote(const std::string& path, int device, VoiceGain gain = {});
    // Ends every sound and lets the files go; the stream stays open for the next one.
    void stopPreview();
    // Opens the stream of `device` ahead of the first sound; false when no output takes it.
    bool openOutput(int device);
    // Closes the stream; the next sound opens one again.
    void closeOutput();

    // The kit's zones, in the order a note searches them: their voices are made ready.
    void setKit(std::vector<KitZone> zones);
    // Whether MIDI notes are played by noteFromMidi (the window would play the zone a note
    // triggers) or left to the window.
    void setNotesDirect(bool direct);
    // Any thread: queues a MIDI note-on for the audio thread. False when it was not queued
    // (see VoiceEngine::noteOn): the window then plays it, if it plays it at all.
    bool noteFromMidi(int note, int velocity);
    // True once the open stream plays notes from the zones of the last setKit.
    bool kitReady() const;

    // The sounds now playing, oldest first, each with an id, its file, and the frame of the
    // file being heard now and the file's length (in the file's own frames, the output's
    // latency taken into account).
    std::vector<VoicePosition> soundingVoices() const;

    // The info text of the file played last ("File Format: ?" when unreadable, empty after a
    // stop).
    QString infoText() const;
    // True while a sound started last holds an output that accepted its sample (it may have
    // finished sounding already); false after a stop, for an unreadable or silent file, or
    // when the output could not be opened.
    bool isPreviewing() const;
    // True once the output has taken all data of the sound started last; it goes on sounding
    // for bufferedMilliseconds(). False when nothing plays.
    bool dataHandedOver() const;
    // What the output holds and its device still have to play, in milliseconds.
    int bufferedMilliseconds() const;

    // Whether the sound started last came from the cache rather than from its file.
    bool playingFromCache() const;
    // Bytes (as 16-bit stereo) of the sound started last mixed into the output so far.
    qint64 bytesWritten() const;
    // How many output streams were opened so far.
    int streamsOpened() const;
    // The rate of the open stream; 0 when none is open.
    int outputRate() const;
    // Since the stream was opened: how often the output ran dry, and in how many periods a
    // sounding voice had run dry.
    std::uint64_t outputUnderruns() const;
    std::uint64_t starvedPeriods() const;
    // Since the stream was opened: MIDI notes given up, their voice not ready again in time.
    std::uint64_t notesGivenUp() const;
    // "Audio output: " and the open stream's output, rate, periods and thread priority.
    QString outputStatusText() const;

private:
    bool ensureOutput(int device);
    void start(const std::string& path, int device, bool solo, VoiceGain gain);

    SampleCache* cache_;
    std::unique_ptr<OutputStream> output_;
    std::unique_ptr<VoiceEngine> audition_;
    std::string outputKey_;
    int device_ = -1;
    int opened_ = 0;
    std::vector<KitZone> kit_;
    bool direct_ = false;

    // What MIDI threads see: the audition of the open stream, and how many of them are in it.
    std::atomic<VoiceEngine*> shared_{nullptr};
    std::atomic<int> midiInside_{0};

    QString info_;
    bool previewing_ = false;
    int voice_ = 0;
    bool fromCache_ = false;
    mutable qint64 written_ = 0;
};

} // namespace padsmith
