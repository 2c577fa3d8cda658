// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/VoiceMixer.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {

class SampleCache;

// The outputs a preview can play on. Device -1 is the system's default output, 0 to n-1 the
// outputs in the order the system lists them. Read again on every call: the list can change.
struct AudioOutputs {
    QString defaultName;
    QStringList names;
};
AudioOutputs audioOutputs();

// Auditions samples on one output stream of its own, fed from a mixer of voices. A preview
// (a click on a pad or a row, a key in the zone list, the import dialog) plays alone: it ends
// whatever sounds. A note (from MIDI) sounds together with the others, up to
// VoiceMixer::kMaxVoices, the oldest ending first when all are busy. The stream is kept fed,
// with silence when nothing sounds, so a new sound always waits behind the same short buffer:
// a note while another sounds starts as soon as one after a pause. A sample in the cache plays
// from memory, else as soon as the first block of its file has been read and converted, with
// the rest following while it plays. Needs a running Qt event loop to feed the output. Close
// the output before the event loop ends: Qt 6.4's PulseAudio back end can abort at exit while
// a stream is still closing.
class PreviewPlayer {
public:
    // The buffer asked of the output. The player keeps it filled to three quarters of what the
    // output grants (the time a new sound waits behind what is there) and leaves the last
    // quarter free, so that a new sound's first block is handed over the moment it starts
    // rather than when the output next asks for data.
    static constexpr int kOutputBufferMs = 80;
    // How long the stream is kept fed with silence after the last sound, so that the next one
    // finds it running.
    static constexpr int kKeepRunningMs = 10000;

    // `cache` (may be null, else it must outlive the player) is looked into before a file is
    // read, and a file that was not in it is offered to it as played.
    explicit PreviewPlayer(SampleCache* cache = nullptr);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Ends every sound, then plays `path` on `device`. An empty path only stops.
    void previewSample(const std::string& path, int device);
    // Plays `path` on `device` together with what sounds already (a MIDI note). A change of
    // device ends the other sounds.
    void playNote(const std::string& path, int device);
    // Ends every sound and lets the files go; the stream stays open for the next one.
    void stopPreview();
    // Opens the stream of `device` ahead of the first preview; false when no output takes it.
    bool openOutput(int device);
    // Closes the stream; the next preview opens one again.
    void closeOutput();

    // The sounds now playing, oldest first, each with an id, its file, and the frame of the
    // file being heard now and the file's length (in the file's own frames, the output's
    // buffer taken into account). Ask again as often as a view repaints: the answer is
    // computed on the spot, on the thread the player lives on.
    std::vector<VoicePosition> soundingVoices() const;

    // The info text of the file played last ("File Format: ?" when unreadable, empty after a
    // stop).
    QString infoText() const;
    // True while a sound started last holds an output that accepted its sample (it may have
    // finished sounding already); false after a stop, for an unreadable or silent file, or
    // when the output could not be opened.
    bool isPreviewing() const;
    // True once the output has taken all data of the sound started last; it goes on sounding
    // for bufferedMilliseconds() from its own buffer. False when nothing plays.
    bool dataHandedOver() const;
    int bufferedMilliseconds() const;

    // Whether the sound started last came from the cache rather than from its file.
    bool playingFromCache() const;
    // Bytes of the sound started last written into the output so far.
    qint64 bytesWritten() const;
    // Milliseconds of sound the output held ahead of the first block of the sound started
    // last, when that block was written: how long it waited behind what was there.
    double waitedBehindMs() const;
    // How many output streams were opened so far.
    int streamsOpened() const;

private:
    struct State;
    void start(const std::string& path, int device, bool solo);
    void feed();
    bool ensureOutput(int device);
    std::unique_ptr<State> state_;
};

} // namespace padsmith
