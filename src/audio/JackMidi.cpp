// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/JackMidi.h"

#include <algorithm>
#include <chrono>
#include <jack/jack.h>
#include <jack/midiport.h>

namespace padsmith {

namespace {

constexpr const char* kClientName = "Padsmith MIDI";
constexpr const char* kPortName = "in";

void quiet(const char* /*message*/) {}

} // namespace

struct JackMidi::Client {
    jack_client_t* client = nullptr;
    jack_port_t* input = nullptr;
};

JackMidi::JackMidi(NoteHandler notes, MessageHandler messages, SourcesHandler sourcesChanged)
    : notes_(std::move(notes)), messages_(std::move(messages)),
      sourcesChanged_(std::move(sourcesChanged)), client_(std::make_unique<Client>()) {}

JackMidi::~JackMidi() {
    if (client_->client != nullptr) {
        // Out of the graph first: no process call after this.
        jack_deactivate(client_->client);
        (void)calls_.load(std::memory_order_acquire);
    }
    ending_ = true;
    wake_.release();
    if (relay_.joinable()) {
        relay_.join();
    }
    if (client_->client != nullptr) {
        jack_client_close(client_->client);
    }
}

bool JackMidi::open() {
    jack_set_error_function(&quiet);
    jack_set_info_function(&quiet);
    jack_status_t status{};
    client_->client = jack_client_open(kClientName, JackNoStartServer, &status);
    if (client_->client == nullptr) {
        return false;
    }
    client_->input =
        jack_port_register(client_->client, kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (client_->input == nullptr) {
        jack_client_close(client_->client);
        client_->client = nullptr;
        return false;
    }
    // libjack's hand-over to its thread is invisible to the thread checker; this is not.
    ready_.store(true, std::memory_order_release);
    jack_set_process_callback(client_->client, &JackMidi::process, this);
    jack_set_port_registration_callback(client_->client, &JackMidi::portRegistered, this);
    jack_set_port_connect_callback(client_->client, &JackMidi::portsConnected, this);
    if (jack_activate(client_->client) != 0) {
        jack_client_close(client_->client);
        client_->client = nullptr;
        return false;
    }
    connectSources();
    relay_ = std::thread([this] { relayLoop(); });
    return true;
}

std::vector<std::string> JackMidi::sources() const {
    const std::lock_guard lock(sourcesMutex_);
    return sources_;
}

int JackMidi::process(std::uint32_t frames, void* self) {
    auto* midi = static_cast<JackMidi*>(self);
    if (!midi->ready_.load(std::memory_order_acquire)) {
        return 0;
    }
    void* buffer = jack_port_get_buffer(midi->client_->input, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    bool arrived = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0) {
            continue;
        }
        // JACK carries one whole message an event; only channel messages matter here.
        const unsigned char status = event.buffer[0];
        if (status < 0x80 || status >= 0xF0) {
            continue;
        }
        std::uint32_t packed = status;
        for (std::size_t k = 1; k < std::min<std::size_t>(event.size, 3); ++k) {
            packed |= static_cast<std::uint32_t>(event.buffer[k] & 0x7FU) << (8 * k);
        }
        const int note = static_cast<int>(packed >> 8 & 0x7FU);
        const int velocity = static_cast<int>(packed >> 16 & 0x7FU);
        if ((status & 0xF0U) == 0x90U && velocity > 0 && midi->notes_ &&
            midi->notes_(note, velocity)) {
            packed |= kSounded;
        }
        arrived = midi->arrived_.push(packed) || arrived;
    }
    if (arrived) {
        midi->wake_.release();
    }
    midi->calls_.fetch_add(1, std::memory_order_release);
    return 0;
}

void JackMidi::portRegistered(std::uint32_t /*port*/, int /*registered*/, void* self) {
    // The server's notification thread may not call the server: the relay does the work.
    auto* midi = static_cast<JackMidi*>(self);
    midi->portsMoved_ = true;
    midi->wake_.release();
}

void JackMidi::portsConnected(std::uint32_t /*a*/, std::uint32_t /*b*/, int /*connected*/,
                              void* self) {
    portRegistered(0, 0, self);
}

// Connects every MIDI output of the graph that is not connected yet, and notes the sources.
void JackMidi::connectSources() {
    jack_client_t* client = client_->client;
    const char* own = jack_port_name(client_->input);
    std::vector<std::string> now;
    if (const char** ports =
            jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput)) {
        for (const char** port = ports; *port != nullptr; ++port) {
            // The client's view of the graph may lag behind a connection just made.
            if (jack_port_connected_to(client_->input, *port) ||
                jack_connect(client, *port, own) == 0) {
                now.emplace_back(*port);
            }
        }
        jack_free(static_cast<void*>(ports));
    }
    bool changed = false;
    {
        const std::lock_guard lock(sourcesMutex_);
        changed = now != sources_;
        sources_ = std::move(now);
    }
    if (changed && sourcesChanged_) {
        sourcesChanged_();
    }
}

void JackMidi::relayLoop() {
    while (!ending_) {
        (void)wake_.try_acquire_for(std::chrono::milliseconds(500));
        while (const std::optional<std::uint32_t> packed = arrived_.pop()) {
            if (messages_) {
                messages_(*packed);
            }
        }
        if (!ending_ && portsMoved_.exchange(false)) {
            connectSources();
        }
    }
}

} // namespace padsmith
