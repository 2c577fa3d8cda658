// SPDX-License-Identifier: GPL-3.0-or-later
// The PulseAudio output (PipeWire's PulseAudio server answers the same calls): a stream whose
// write callback renders exactly what the server asks for, on libpulse's own thread.
#include "audio/OutputStream.h"
#include "audio/Realtime.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pulse/pulseaudio.h>

namespace padsmith {

namespace {

constexpr const char* kClientName = "Padsmith";
constexpr std::size_t kPeriodFrames = 256;
constexpr std::size_t kPeriods = 3;
constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// The most periods the stream grows to after underruns, and how long after growing it waits
// before it grows again (the server reports one stall as several underruns).
constexpr std::size_t kMostPeriods = 8;
constexpr auto kGrowthPause = std::chrono::milliseconds(100);

// What the stream asks the server for: `periods` periods of kPeriodFrames, one at a time.
pa_buffer_attr bufferOf(std::size_t periods) {
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(periods * kPeriodFrames * kFrameBytes);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(kPeriodFrames * kFrameBytes);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    return attributes;
}

// A connection to the server on a thread of libpulse's; everything below runs with the loop
// locked, as libpulse wants, except the callbacks, which run on the loop's thread.
class Connection {
public:
    Connection() : loop_(pa_threaded_mainloop_new()) {}
    ~Connection() {
        if (loop_ == nullptr) {
            return;
        }
        pa_threaded_mainloop_stop(loop_);
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        pa_threaded_mainloop_free(loop_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects; false when there is no server (none is started).
    bool connect(std::string& error) {
        if (loop_ == nullptr) {
            error = "libpulse could not make its main loop";
            return false;
        }
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        context_ = pa_context_new(api, kClientName);
        if (context_ == nullptr) {
            error = "libpulse could not make a context";
            return false;
        }
        pa_context_set_state_callback(context_, &Connection::signal, loop_);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            error = pa_strerror(pa_context_errno(context_));
            return false;
        }
        if (pa_threaded_mainloop_start(loop_) < 0) {
            error = "libpulse could not start its thread";
            return false;
        }
        lock();
        while (true) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) {
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state)) {
                error = pa_strerror(pa_context_errno(context_));
                unlock();
                return false;
            }
            pa_threaded_mainloop_wait(loop_);
        }
        unlock();
        return true;
    }

    // Waits (the loop locked) until `operation` has run its callback.
    void await(pa_operation* operation) {
        if (operation == nullptr) {
            return;
        }
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
            pa_threaded_mainloop_wait(loop_);
        }
        pa_operation_unref(operation);
    }

    void lock() { pa_threaded_mainloop_lock(loop_); }
    void unlock() { pa_threaded_mainloop_unlock(loop_); }
    pa_threaded_mainloop* loop() const { return loop_; }
    pa_context* context() const { return context_; }

    static void signal(pa_context* /*context*/, void* loop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    }

private:
    pa_threaded_mainloop* loop_;
    pa_context* context_ = nullptr;
};

// What a query of the sinks gives, filled on libpulse's thread. libpulse hands over under locks
// of its own, which the thread checker cannot see; this mutex it can, and it costs nothing here.
struct SinkQuery {
    SinkQuery(pa_threaded_mainloop* mainLoop, PulseSinks* found) {
        const std::lock_guard lock(mutex);
        loop = mainLoop;
        sinks = found;
    }
    // The sink's rate, once the query has ended.
    int takenRate() {
        const std::lock_guard lock(mutex);
        return rate;
    }
    void ended() { const std::lock_guard lock(mutex); }

    std::mutex mutex;
    pa_threaded_mainloop* loop = nullptr;
    PulseSinks* sinks = nullptr;
    int rate = 0;
};

void addSink(pa_context* /*context*/, const pa_sink_info* info, int last, void* data) {
    auto* query = static_cast<SinkQuery*>(data);
    const std::lock_guard lock(query->mutex);
    if (last == 0 && info != nullptr) {
        if (query->sinks != nullptr) {
            query->sinks->sinks.push_back({info->name != nullptr ? info->name : "",
                                           info->description != nullptr ? info->description : ""});
        }
        query->rate = static_cast<int>(info->sample_spec.rate);
    }
    pa_threaded_mainloop_signal(query->loop, 0);
}

void takeDefault(pa_context* /*context*/, const pa_server_info* info, void* data) {
    auto* query = static_cast<SinkQuery*>(data);
    const std::lock_guard lock(query->mutex);
    if (info != nullptr && info->default_sink_name != nullptr) {
        query->sinks->defaultId = info->default_sink_name;
    }
    pa_threaded_mainloop_signal(query->loop, 0);
}

class PulseOutput : public OutputStream {
public:
    ~PulseOutput() override {
        if (stream_ != nullptr) {
            connection_.lock();
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            connection_.unlock();
        }
        // Everything the callbacks did happened before what the owner does next.
        (void)callbacks_.load(std::memory_order_acquire);
    }

    bool open(const std::string& sinkId, const RenderAtRate& renderAtRate, std::string& error) {
        // Made before libpulse's thread starts, so that the thread checker sees it made.
        SinkQuery query(connection_.loop(), nullptr);
        if (!connection_.connect(error)) {
            return false;
        }
        connection_.lock();
        // The sink's own rate, so that the server converts nothing after the mix.
        connection_.await(pa_context_get_sink_info_by_name(
            connection_.context(), sinkId.empty() ? "@DEFAULT_SINK@" : sinkId.c_str(), &addSink,
            &query));
        if (query.takenRate() <= 0) {
            connection_.unlock();
            error = sinkId.empty() ? "the sound server has no output" : "no output " + sinkId;
            return false;
        }
        rate_ = query.takenRate();
        sinkName_ = sinkId.empty() ? "the default output" : sinkId;
        raiseLoopPriority();
        render_ = renderAtRate(rate_);
        ready_.store(true, std::memory_order_release);

        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rate_), 2};
        stream_ = pa_stream_new(connection_.context(), "Audition", &format, nullptr);
        if (stream_ == nullptr) {
            error = pa_strerror(pa_context_errno(connection_.context()));
            connection_.unlock();
            return false;
        }
        pa_stream_set_state_callback(stream_, &PulseOutput::stateChanged, this);
        pa_stream_set_write_callback(stream_, &PulseOutput::write, this);
        pa_stream_set_underflow_callback(stream_, &PulseOutput::underflow, this);
        const pa_buffer_attr attributes = bufferOf(kPeriods);
        const auto flags =
            static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                           PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_START_UNMUTED);
        if (pa_stream_connect_playback(stream_, sinkId.empty() ? nullptr : sinkId.c_str(),
                                       &attributes, flags, nullptr, nullptr) < 0) {
            error = pa_strerror(pa_context_errno(connection_.context()));
            connection_.unlock();
            return false;
        }
        while (true) {
            const pa_stream_state_t state = pa_stream_get_state(stream_);
            if (state == PA_STREAM_READY) {
                break;
            }
            if (!PA_STREAM_IS_GOOD(state)) {
                error = pa_strerror(pa_context_errno(connection_.context()));
                connection_.unlock();
                return false;
            }
            pa_threaded_mainloop_wait(connection_.loop());
        }
        if (const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_)) {
            period_ = granted->minreq / kFrameBytes;
        }
        connection_.unlock();
        return true;
    }

    int rate() const override { return rate_; }

    bool alive() const override { return !failed_.load(); }

    std::size_t latencyFrames() const override {
        pa_usec_t latency = 0;
        int negative = 0;
        auto& connection = const_cast<Connection&>(connection_);
        connection.lock();
        const bool known = pa_stream_get_latency(stream_, &latency, &negative) == 0;
        connection.unlock();
        if (!known || negative != 0) {
            return periods_.load() * kPeriodFrames;
        }
        return static_cast<std::size_t>(latency * static_cast<pa_usec_t>(rate_) / 1'000'000U);
    }

    std::size_t periodFrames() const override { return period_; }
    std::uint64_t underruns() const override { return underruns_.load(); }

    std::string statusText() const override {
        return "PulseAudio, " + sinkName_ + ", " + std::to_string(rate_) + " Hz, " +
               std::to_string(period_) + "-frame periods × " + std::to_string(kPeriods) +
               (periods_.load() > kPeriods
                    ? " (grown to " + std::to_string(periods_.load()) + " after underruns)"
                    : std::string()) +
               "; its thread at " + describe(priority_);
    }

private:
    // libpulse's thread asks for real-time priority itself, before the stream exists, so that
    // the wait for the system bus (RealtimeKit) delays no sound. Called with the loop locked.
    void raiseLoopPriority() {
        PriorityAsked& asked = priorityAsked_;
        pa_threaded_mainloop_once_unlocked(
            connection_.loop(),
            [](pa_threaded_mainloop* /*loop*/, void* data) {
                auto* request = static_cast<PriorityAsked*>(data);
                PriorityGrant grant = raiseThreadPriority();
                const std::lock_guard lock(request->mutex);
                request->grant = std::move(grant);
                request->done = true;
                request->answered.notify_one();
            },
            &asked);
        connection_.unlock();
        {
            std::unique_lock lock(asked.mutex);
            asked.answered.wait(lock, [&asked] { return asked.done; });
            priority_ = std::move(asked.grant);
        }
        connection_.lock();
    }

    // The server's side ran dry: what it does between our writes (its main thread hands the
    // data over, and that thread is not a real-time one) came late for the buffer. A machine
    // that loaded gets a period more of buffer, and keeps it while the stream lasts.
    static void underflow(pa_stream* stream, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        output->underruns_.fetch_add(1);
        const auto now = std::chrono::steady_clock::now();
        const std::size_t periods = output->periods_.load();
        if (periods >= kMostPeriods || now - output->grown_ < kGrowthPause) {
            return;
        }
        output->grown_ = now;
        output->periods_.store(periods + 1);
        const pa_buffer_attr attributes = bufferOf(periods + 1);
        if (pa_operation* operation =
                pa_stream_set_buffer_attr(stream, &attributes, nullptr, nullptr)) {
            pa_operation_unref(operation);
        }
    }

    static void stateChanged(pa_stream* stream, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            output->failed_ = true;
        }
        pa_threaded_mainloop_signal(output->connection_.loop(), 0);
    }

    // The server wants `bytes` more: exactly that much is rendered and written.
    static void write(pa_stream* stream, std::size_t bytes, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        // The render function was set before the stream existed; the flag tells the thread
        // checker so, since libpulse's own hand-over is invisible to it.
        if (!output->ready_.load(std::memory_order_acquire)) {
            return;
        }
        while (bytes >= kFrameBytes) {
            void* data = nullptr;
            std::size_t granted = bytes;
            if (pa_stream_begin_write(stream, &data, &granted) < 0 || data == nullptr) {
                return;
            }
            const std::size_t frames = std::min(granted, bytes) / kFrameBytes;
            if (frames == 0) {
                pa_stream_cancel_write(stream);
                return;
            }
            output->render_(static_cast<float*>(data), frames);
            pa_stream_write(stream, data, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            bytes -= frames * kFrameBytes;
        }
        output->callbacks_.fetch_add(1, std::memory_order_release);
    }

    // The loop thread's answer to raiseLoopPriority. Made with the output, before libpulse's
    // thread starts: the thread checker cannot see libpulse hand it over.
    struct PriorityAsked {
        std::mutex mutex;
        std::condition_variable answered;
        bool done = false;
        PriorityGrant grant;
    };

    PriorityAsked priorityAsked_;
    Connection connection_;
    pa_stream* stream_ = nullptr;
    RenderFunction render_;
    int rate_ = 0;
    std::size_t period_ = kPeriodFrames;
    std::string sinkName_;
    PriorityGrant priority_;
    std::atomic<bool> failed_{false};
    std::atomic<std::uint64_t> underruns_{0};
    std::atomic<std::size_t> periods_{kPeriods};
    std::chrono::steady_clock::time_point grown_; // the loop thread's
    std::atomic<bool> ready_{false};
    std::atomic<std::uint64_t> callbacks_{0};
};

} // namespace

PulseSinks pulseSinks() {
    PulseSinks sinks;
    Connection connection;
    SinkQuery query(connection.loop(), &sinks); // before libpulse's thread starts
    std::string error;
    if (!connection.connect(error)) {
        return sinks;
    }
    connection.lock();
    connection.await(pa_context_get_sink_info_list(connection.context(), &addSink, &query));
    connection.await(pa_context_get_server_info(connection.context(), &takeDefault, &query));
    connection.unlock();
    query.ended();
    return sinks;
}

std::unique_ptr<OutputStream>
openPulseOutput(const std::string& sinkId, const RenderAtRate& renderAtRate, std::string& error) {
    auto output = std::make_unique<PulseOutput>();
    if (!output->open(sinkId, renderAtRate, error)) {
        return nullptr;
    }
    return output;
}

} // namespace padsmith
