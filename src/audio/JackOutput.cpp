// SPDX-License-Identifier: GPL-3.0-or-later
// The JACK output: a client with two output ports whose process callback renders the mix.
#include "audio/OutputStream.h"

#include <algorithm>
#include <atomic>
#include <jack/jack.h>
#include <jack/thread.h>
#include <memory>
#include <string>

namespace padsmith {

namespace {

constexpr const char* kClientName = "Padsmith";
// Frames rendered at a time: JACK periods are at most this long in practice; a longer one is
// rendered in pieces.
constexpr std::size_t kChunkFrames = 4096;

class JackOutput : public OutputStream {
public:
    ~JackOutput() override {
        if (client_ != nullptr) {
            // Leaves the graph at once, so the server does not wait for a client that went.
            jack_deactivate(client_);
            (void)calls_.load(std::memory_order_acquire);
            jack_client_close(client_);
        }
    }

    bool open(const RenderAtRate& renderAtRate, std::string& error) {
        jack_status_t status{};
        client_ = jack_client_open(kClientName, JackNoStartServer, &status);
        if (client_ == nullptr) {
            error = "no JACK server runs";
            return false;
        }
        rate_ = static_cast<int>(jack_get_sample_rate(client_));
        render_ = renderAtRate(rate_);
        interleaved_ = std::make_unique<float[]>(kChunkFrames * 2);
        left_ = jack_port_register(client_, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        right_ = jack_port_register(client_, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (left_ == nullptr || right_ == nullptr) {
            error = "the JACK server refused the output ports";
            return false;
        }
        // libjack's hand-over to its thread is invisible to the thread checker; this is not.
        ready_.store(true, std::memory_order_release);
        jack_set_process_callback(client_, &JackOutput::process, this);
        jack_on_shutdown(client_, &JackOutput::shutDown, this);
        jack_set_xrun_callback(client_, &JackOutput::xrun, this);
        if (jack_activate(client_) != 0) {
            error = "the JACK server refused to start the client";
            return false;
        }
        // The system's playback ports, as a JACK user expects a player to connect itself.
        const char** playback =
            jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                           static_cast<unsigned long>(JackPortIsPhysical) | JackPortIsInput);
        if (playback != nullptr) {
            if (playback[0] != nullptr) {
                jack_connect(client_, jack_port_name(left_), playback[0]);
                jack_connect(client_, jack_port_name(right_),
                             playback[1] != nullptr ? playback[1] : playback[0]);
            }
            jack_free(static_cast<void*>(playback));
        }
        return true;
    }

    int rate() const override { return rate_; }
    bool alive() const override { return !gone_.load(); }

    std::size_t latencyFrames() const override {
        jack_latency_range_t range{};
        jack_port_get_latency_range(left_, JackPlaybackLatency, &range);
        return range.max + periodFrames();
    }

    std::size_t periodFrames() const override {
        return gone_ ? 0 : static_cast<std::size_t>(jack_get_buffer_size(client_));
    }

    std::uint64_t underruns() const override { return xruns_.load(); }

    std::string statusText() const override {
        // JACK runs every client's process callback on a thread it schedules itself.
        const int priority =
            jack_is_realtime(client_) != 0 ? jack_client_real_time_priority(client_) : 0;
        return "JACK, " + std::to_string(rate_) + " Hz, " + std::to_string(periodFrames()) +
               "-frame periods; its thread at " +
               (priority > 0 ? "real-time priority " + std::to_string(priority)
                             : std::string("normal priority (the JACK server runs without "
                                           "real-time scheduling)"));
    }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* output = static_cast<JackOutput*>(self);
        if (!output->ready_.load(std::memory_order_acquire)) {
            return 0;
        }
        auto* left = static_cast<float*>(jack_port_get_buffer(output->left_, frames));
        auto* right = static_cast<float*>(jack_port_get_buffer(output->right_, frames));
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t count = std::min<std::size_t>(kChunkFrames, frames - done);
            float* mix = output->interleaved_.get();
            output->render_(mix, count);
            for (std::size_t i = 0; i < count; ++i) {
                left[done + i] = mix[i * 2];
                right[done + i] = mix[i * 2 + 1];
            }
            done += count;
        }
        output->calls_.fetch_add(1, std::memory_order_release);
        return 0;
    }

    static int xrun(void* self) {
        static_cast<JackOutput*>(self)->xruns_.fetch_add(1);
        return 0;
    }

    static void shutDown(void* self) { static_cast<JackOutput*>(self)->gone_ = true; }

    jack_client_t* client_ = nullptr;
    jack_port_t* left_ = nullptr;
    jack_port_t* right_ = nullptr;
    RenderFunction render_;
    std::unique_ptr<float[]> interleaved_;
    int rate_ = 0;
    std::atomic<bool> gone_{false};
    std::atomic<std::uint64_t> xruns_{0};
    std::atomic<bool> ready_{false};
    std::atomic<std::uint64_t> calls_{0};
};

// libjack tells on stderr that no server runs, each time a client is tried.
void quiet(const char* /*message*/) {}

} // namespace

void quietJack() {
    jack_set_error_function(&quiet);
    jack_set_info_function(&quiet);
}

bool jackRunning() {
    quietJack();
    jack_status_t status{};
    jack_client_t* client = jack_client_open("Padsmith probe", JackNoStartServer, &status);
    if (client == nullptr) {
        return false;
    }
    jack_client_close(client);
    return true;
}

std::unique_ptr<OutputStream> openJackOutput(const RenderAtRate& renderAtRate, std::string& error) {
    quietJack();
    auto output = std::make_unique<JackOutput>();
    if (!output->open(renderAtRate, error)) {
        return nullptr;
    }
    return output;
}

} // namespace padsmith
