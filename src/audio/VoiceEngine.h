// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/KitZone.h"
#include "audio/NoteQueue.h"
#include "audio/SampleCache.h"
#include "audio/VoiceMixer.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace padsmith {

class Voice;

// What starting a sound from the window gave.
struct StartedSound {
    int id = 0; // 0: nothing plays
    std::string infoText;
    bool fromCache = false;
};

// The sound of one output stream: the mixer that its audio callback renders, and the voices
// that feed it. Three kinds of thread meet here, none waiting for another:
// - the audio thread calls render(); it neither allocates, locks nor reads a file;
// - the MIDI inputs' threads call noteOn(), which queues the note for the audio thread;
// - the window's thread starts previews and hands over the kit's zones.
// A thread of its own keeps the sounding voices' rings filled and makes a voice ready ahead
// for every sample of the kit, so that a note from MIDI starts at the next audio period
// without anything being read or converted first.
class VoiceEngine {
public:
    // Audio periods a note waits for its voice to be made ready again (a fast roll on one pad)
    // before it is given up: later than that it would no longer belong where it was played.
    static constexpr int kNoteWaitPeriods = 64;

    VoiceEngine(int outputRate, SampleCache* cache, int noteWaitPeriods = kNoteWaitPeriods);
    // The output must have stopped calling render().
    ~VoiceEngine();
    VoiceEngine(const VoiceEngine&) = delete;
    VoiceEngine& operator=(const VoiceEngine&) = delete;

    int outputRate() const { return outputRate_; }

    // Window's thread. Makes a voice of `path` and hands it to the audio thread; with `solo`
    // every other sound ends (a preview), else it sounds with them (a note). `gain` is the
    // level of each side (a zone's volumes).
    StartedSound play(const std::string& path, bool solo, VoiceGain gain = {});
    void stopAll();
    // The kit's zones: voices for each of its samples are made ready, and from then on MIDI
    // notes find their zone on the audio thread.
    void setKit(std::vector<KitZone> zones);
    // Whether notes from MIDI play on the audio thread at once (the window would trigger a
    // zone) or are left to the window (it uses them otherwise, or will decide itself).
    void setNotesDirect(bool direct);
    // Whether an output calls render(): notes are queued only then.
    void setRunning(bool running);
    // True once the audio thread plays notes from the zones given last (tests, benchmarks).
    bool kitReady() const;

    // The sounds that play, oldest first, `latencyFrames` output frames not yet heard taken
    // off each position.
    std::vector<VoicePosition> voices(std::size_t latencyFrames) const;
    bool isSounding(int id) const;
    std::uint64_t framesMixed(int id) const;
    // Audio periods in which a sounding voice had run dry (see VoiceMixer::starvedRenders).
    std::uint64_t starvedPeriods() const { return starved_.load(std::memory_order_relaxed); }
    // Notes given up because their voice was not ready again in time (see kNoteWaitPeriods).
    std::uint64_t notesGivenUp() const { return givenUp_.load(std::memory_order_relaxed); }

    // Any thread. Queues a note-on for the audio thread; false when the note is not played
    // there (notes go to the window, no output runs, the kit's voices are not ready yet, the
    // velocity is 0), so that whoever passed it on plays it another way.
    bool noteOn(int note, int velocity);

    // Audio thread: writes `frames` stereo float frames of the mix over `out`.
    void render(float* out, std::size_t frames);

private:
    struct Bank;
    struct Command;
    struct Event;

    void feederLoop();
    void takeEvents();
    void fillVoices();
    bool prepareBankVoices(Bank& bank, std::chrono::steady_clock::time_point until);
    std::unique_ptr<Voice> makeVoice(const std::string& path, StartedSound* started, bool played,
                                     std::optional<FileStamp>* stampTaken);
    void takeReadyVoices(Bank& bank);
    void startNote(QueuedNote note, int attempts);
    void wake();

    const int outputRate_;
    const int noteWaitPeriods_;
    SampleCache* cache_;
    std::atomic<int> nextId_{1};

    // Window's thread → audio thread, the feeder → audio thread.
    std::unique_ptr<BoundedQueue<Command, 64>> commands_;
    // MIDI → audio thread.
    std::unique_ptr<NoteQueue> notes_;
    // Audio thread → the feeder.
    std::unique_ptr<BoundedQueue<Event, 1024>> events_;

    // The audio thread's own state.
    VoiceMixer mixer_;
    Bank* bank_ = nullptr;
    struct Waiting {
        QueuedNote note;
        int attempts = 0;
    };
    std::array<Waiting, 32> waiting_{}; // notes whose voice was not ready yet
    std::size_t waitingCount_ = 0;

    std::atomic<std::uint64_t> starved_{0};
    std::atomic<std::uint64_t> givenUp_{0};
    std::atomic<bool> direct_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> kitGeneration_{0};
    std::atomic<std::uint64_t> playingGeneration_{0};

    // The feeder's state. The voices that sound (or are about to) are also read by the
    // window's thread for their positions: under `liveMutex_`.
    mutable std::mutex liveMutex_;
    std::vector<std::unique_ptr<Voice>> live_;
    std::vector<std::unique_ptr<Bank>> banks_; // the audio thread's, and the one being made
    Bank* building_ = nullptr;
    Bank* current_ = nullptr; // the last handed to the audio thread
    bool bankInFlight_ = false;
    std::mutex kitMutex_;
    std::vector<KitZone> kitZones_;
    std::uint64_t kitAsked_ = 0; // generation of kitZones_
    std::uint64_t kitTaken_ = 0;

    std::counting_semaphore<> wake_{0};
    std::atomic<bool> ending_{false};
    std::thread feeder_;
};

} // namespace padsmith
