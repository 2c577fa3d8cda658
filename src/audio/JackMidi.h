// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/NoteQueue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace padsmith {

// MIDI input from JACK: one client with one input port, connected to every MIDI output of the
// graph. The server tells when ports come and go, so a keyboard that is unplugged and plugged
// in again (under the same name or another) is connected again at once.
class JackMidi {
public:
    // Called on JACK's real-time thread for each note-on (velocity above 0): it must neither
    // wait nor allocate. True when it played the note.
    using NoteHandler = std::function<bool(int note, int velocity)>;
    // Called on a thread of this object's, in arrival order, for each short message (packed
    // status | data1 << 8 | data2 << 16, with `sounded` set in the top bit when the note
    // handler played it), and when the connected sources changed.
    using MessageHandler = std::function<void(std::uint32_t packed)>;
    using SourcesHandler = std::function<void()>;

    static constexpr std::uint32_t kSounded = 1U << 31;

    JackMidi(NoteHandler notes, MessageHandler messages, SourcesHandler sourcesChanged);
    ~JackMidi();
    JackMidi(const JackMidi&) = delete;
    JackMidi& operator=(const JackMidi&) = delete;

    // Joins the running JACK server (none is started); false when there is none.
    bool open();
    // The MIDI outputs connected to the input now ("client:port").
    std::vector<std::string> sources() const;

private:
    static int process(std::uint32_t frames, void* self);
    static void portRegistered(std::uint32_t port, int registered, void* self);
    static void portsConnected(std::uint32_t a, std::uint32_t b, int connected, void* self);
    void relayLoop();
    void connectSources();

    NoteHandler notes_;
    MessageHandler messages_;
    SourcesHandler sourcesChanged_;
    struct Client;
    std::unique_ptr<Client> client_;
    BoundedQueue<std::uint32_t, 1024> arrived_;
    std::atomic<bool> portsMoved_{true};
    std::atomic<bool> ending_{false};
    std::atomic<bool> ready_{false};
    std::atomic<std::uint64_t> calls_{0};
    std::counting_semaphore<> wake_{0};
    mutable std::mutex sourcesMutex_;
    std::vector<std::string> sources_;
    std::thread relay_;
};

} // namespace padsmith
