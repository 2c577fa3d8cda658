// SPDX-License-Identifier: GPL-3.0-or-later
// How long a MIDI note-on takes to be heard, end to end, as a drummer plays it: a note-on sent
// by a JACK MIDI keyboard to the editor's input port, through the editor's MIDI input and its
// audition, to the first sample of its sound in the mix of a PulseAudio null sink.
//
// The sink's monitor is recorded. At the note's instant (when the keyboard puts it on the
// wire) a click is written into a separate raw stream to the same sink; the click is heard
// after that stream's reported latency, so the note's delay is the distance between the two
// onsets in the recording plus the click's latency (plus the little time the click waited to
// be written). The click sits on the left channel only and every note is mono, so the click is
// the difference of the two channels even while notes sound. The sink's clock drifts against
// the system clock: only distances between neighbouring onsets are read from the recording,
// at the sink's rate as measured over the run.
//
// Cases: a cached sample, notes 1 s apart; a note while another sounds; the first note after
// 12 s of silence; a sample read from its file (no cache); dropouts, counted as gaps in a
// steady tone played for 60 s with one core kept busy; and on JACK, the same note from the
// keyboard to the editor's JACK output ports, in JACK's own frame clock plus the playback
// latency the server reports.
//
// Run through bench/note_latency.sh, which starts the sound server and a JACK server.
//   note_latency [NOTES] [--dropouts SECONDS]   the dropout case alone, as long as asked
#include "audio/AudioFile.h"
#include "audio/JackMidi.h"
#include "audio/OutputStream.h"
#include "audio/Preview.h"
#include "audio/SampleCache.h"
#include "audio/SampleFiles.h"

#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <mutex>
#include <numbers>
#include <optional>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace padsmith;
using namespace padsmith::testing;
using Clock = std::chrono::steady_clock;

constexpr int kNote = 36;       // the measured sample: a step, then a tone
constexpr int kBackground = 38; // a quiet long tone that sounds meanwhile
constexpr int kSteady = 40;     // the tone of the dropout case

double secondsSince(Clock::time_point start, Clock::time_point then) {
    return std::chrono::duration<double>(then - start).count();
}

// Mono 16-bit samples at `rate`.
std::string stepSample(std::uint32_t rate, double seconds) {
    std::string data;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 0; i < frames; ++i) {
        // 2 ms at a constant level: the onset is its first sample, whatever the threshold.
        const double value =
            i < rate / 500
                ? 0.8
                : 0.8 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / rate);
        appendLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(value * 32767)), 2);
    }
    return data;
}

// The sink's monitor, recorded on a thread of its own, and the reference clicks.
class Listener {
public:
    explicit Listener(int rate) : rate_(rate) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, static_cast<std::uint32_t>(rate), 2};
        pa_buffer_attr record{};
        record.maxlength = static_cast<std::uint32_t>(-1);
        record.fragsize = 128 * 8;
        int error = 0;
        recorder_ = pa_simple_new(nullptr, "note_latency", PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                                  "monitor", &format, nullptr, &record, &error);
        pa_buffer_attr play{};
        play.maxlength = static_cast<std::uint32_t>(-1);
        play.tlength = 256 * 8;
        play.prebuf = static_cast<std::uint32_t>(-1);
        play.minreq = 64 * 8;
        clicker_ = pa_simple_new(nullptr, "note_latency", PA_STREAM_PLAYBACK, nullptr, "reference",
                                 &format, nullptr, &play, &error);
        if (recorder_ == nullptr || clicker_ == nullptr) {
            std::fprintf(stderr, "note_latency: no sound server (%s)\n", pa_strerror(error));
            std::exit(1);
        }
        recording_.reserve(static_cast<std::size_t>(rate) * 2 * 600);
        start_ = Clock::now();
        recordThread_ = std::thread([this] { recordLoop(); });
        clickThread_ = std::thread([this] { clickLoop(); });
    }
    ~Listener() {
        ending_ = true;
        recordThread_.join();
        clickThread_.join();
        pa_simple_free(recorder_);
        pa_simple_free(clicker_);
    }

    // The note's instant: the click goes into the next block of the reference stream.
    void click() {
        clickAt_.store(Clock::now().time_since_epoch().count());
        clickWanted_ = true;
    }
    // Frames recorded so far.
    std::size_t frames() const {
        const std::lock_guard lock(mutex_);
        return recording_.size() / 2;
    }
    // Frames a second of the sink's clock, as recorded.
    double measuredRate() const {
        const std::lock_guard lock(mutex_);
        const double seconds = secondsSince(start_, Clock::now());
        return seconds > 5.0 ? static_cast<double>(recording_.size() / 2) / seconds : rate_;
    }

    struct Onsets {
        std::size_t click = 0;
        std::size_t note = 0;
    };
    // The first click (left minus right) and the first note sound (right above `threshold`)
    // after frame `from`.
    std::optional<Onsets> onsets(std::size_t from, float threshold) const {
        const std::lock_guard lock(mutex_);
        Onsets found;
        bool click = false;
        bool note = false;
        for (std::size_t f = from; f < recording_.size() / 2 && !(click && note); ++f) {
            const float left = recording_[f * 2];
            const float right = recording_[f * 2 + 1];
            if (!click && left - right > 0.4F) {
                found.click = f;
                click = true;
            }
            if (!note && std::fabs(right) > threshold) {
                found.note = f;
                note = true;
            }
        }
        return click && note ? std::optional(found) : std::nullopt;
    }
    // The click's delay: waited to be written, then the stream's reported latency (seconds).
    double clickDelay() const {
        const std::lock_guard lock(mutex_);
        return lastClickDelay_;
    }
    // Gaps in a steady tone between frames `from` and `to`: 1 ms windows where the tone is gone.
    std::pair<int, double> gaps(std::size_t from, std::size_t to) const {
        const std::lock_guard lock(mutex_);
        const std::size_t window = static_cast<std::size_t>(rate_) / 1000;
        int count = 0;
        double longest = 0.0;
        std::size_t run = 0;
        for (std::size_t start = from; start + window <= std::min(to, recording_.size() / 2);
             start += window) {
            float peak = 0.0F;
            for (std::size_t f = start; f < start + window; ++f) {
                peak = std::max(peak, std::fabs(recording_[f * 2 + 1]));
            }
            if (peak < 0.1F) {
                count += run == 0 ? 1 : 0;
                ++run;
                longest = std::max(longest, static_cast<double>(run));
            } else {
                run = 0;
            }
        }
        return {count, longest};
    }

private:
    void recordLoop() {
        std::vector<float> block(128 * 2);
        while (!ending_) {
            int error = 0;
            if (pa_simple_read(recorder_, block.data(), block.size() * sizeof(float), &error) < 0) {
                return;
            }
            const std::lock_guard lock(mutex_);
            recording_.insert(recording_.end(), block.begin(), block.end());
        }
    }

    void clickLoop() {
        std::vector<float> block(64 * 2, 0.0F);
        while (!ending_) {
            std::fill(block.begin(), block.end(), 0.0F);
            double delay = 0.0;
            const bool clicking = clickWanted_.exchange(false);
            if (clicking) {
                int error = 0;
                const pa_usec_t latency = pa_simple_get_latency(clicker_, &error);
                const auto wanted = Clock::time_point(Clock::duration(clickAt_.load()));
                delay = secondsSince(wanted, Clock::now()) + static_cast<double>(latency) / 1e6;
                for (std::size_t f = 0; f < 8; ++f) {
                    block[f * 2] = 0.9F;
                }
            }
            int error = 0;
            pa_simple_write(clicker_, block.data(), block.size() * sizeof(float), &error);
            if (clicking) {
                const std::lock_guard lock(mutex_);
                lastClickDelay_ = delay;
            }
        }
    }

    int rate_;
    pa_simple* recorder_ = nullptr;
    pa_simple* clicker_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<float> recording_;
    double lastClickDelay_ = 0.0;
    Clock::time_point start_;
    std::atomic<bool> clickWanted_{false};
    std::atomic<Clock::rep> clickAt_{0};
    std::atomic<bool> ending_{false};
    std::thread recordThread_;
    std::thread clickThread_;
};

// A MIDI keyboard on JACK: plays a note at its next period and tells when it did.
class Keyboard {
public:
    Keyboard() {
        jack_status_t status{};
        client_ = jack_client_open("bench keys", JackNoStartServer, &status);
        if (client_ == nullptr) {
            return;
        }
        port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(client_, &Keyboard::process, this);
        jack_activate(client_);
    }
    ~Keyboard() {
        if (client_ != nullptr) {
            jack_deactivate(client_);
            jack_client_close(client_);
        }
    }
    bool ready() const { return client_ != nullptr && jack_port_connected(port_) > 0; }
    // Plays `note` at the next period; `sent` is called on JACK's thread at that instant.
    void play(int note, std::function<void(jack_nframes_t frame)> sent) {
        sent_ = std::move(sent);
        note_ = note;
    }
    jack_client_t* client() const { return client_; }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* keyboard = static_cast<Keyboard*>(self);
        void* buffer = jack_port_get_buffer(keyboard->port_, frames);
        jack_midi_clear_buffer(buffer);
        const int note = keyboard->note_.exchange(-1);
        if (note >= 0) {
            const jack_midi_data_t message[3] = {0x90, static_cast<jack_midi_data_t>(note), 100};
            jack_midi_event_write(buffer, 0, message, 3);
            keyboard->sent_(jack_last_frame_time(keyboard->client_));
        }
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<int> note_{-1};
    std::function<void(jack_nframes_t)> sent_;
};

// Listens to the editor's JACK output: the frame where sound first comes after `armed`.
class JackEar {
public:
    JackEar() {
        jack_status_t status{};
        client_ = jack_client_open("bench ear", JackNoStartServer, &status);
        port_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &JackEar::process, this);
        jack_activate(client_);
    }
    ~JackEar() {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    void connect() { jack_connect(client_, "Padsmith:out_2", jack_port_name(port_)); }
    void arm() {
        heard_ = 0;
        armed_ = true;
    }
    jack_nframes_t heard() const { return heard_.load(); }
    // The playback latency of the system's ports, as the server reports it.
    jack_nframes_t playbackLatency() const {
        jack_port_t* playback = jack_port_by_name(client_, "system:playback_1");
        if (playback == nullptr) {
            return 0;
        }
        jack_latency_range_t range{};
        jack_port_get_latency_range(playback, JackPlaybackLatency, &range);
        return range.max;
    }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* ear = static_cast<JackEar*>(self);
        const auto* in = static_cast<const float*>(jack_port_get_buffer(ear->port_, frames));
        if (ear->armed_) {
            for (jack_nframes_t i = 0; i < frames; ++i) {
                if (std::fabs(in[i]) > 0.3F) {
                    ear->heard_ = jack_last_frame_time(ear->client_) + i;
                    ear->armed_ = false;
                    break;
                }
            }
        }
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<bool> armed_{false};
    std::atomic<jack_nframes_t> heard_{0};
};

struct Stats {
    std::vector<double> values; // milliseconds
    int missed = 0;
    std::string note;

    double at(double fraction) const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const auto index = static_cast<std::size_t>(
            std::lround(fraction * static_cast<double>(sorted.size() - 1)));
        return sorted[index];
    }
    void print(const char* name) const {
        if (values.empty()) {
            std::printf("| %s | no note heard (%d missed) |\n", name, missed);
            return;
        }
        std::printf("| %s | %.1f / %.1f / %.1f / %.1f | %zu notes%s%s |\n", name, at(0.5), at(0.1),
                    at(0.9), at(1.0), values.size(),
                    missed > 0 ? (", " + std::to_string(missed) + " not heard").c_str() : "",
                    note.empty() ? "" : ("; " + note).c_str());
        std::fflush(stdout);
    }
};

// The scheduling of the sound server's threads ("null-sink RR 5, pulseaudio TS nice -11"), read
// from /proc through the pid file of the private server.
std::string serverScheduling() {
    const char* runtime = std::getenv("PULSE_RUNTIME_PATH");
    if (runtime == nullptr) {
        return "unknown";
    }
    std::ifstream pidFile(std::filesystem::path(runtime) / "pid");
    int pid = 0;
    if (!(pidFile >> pid)) {
        return "unknown";
    }
    std::string text;
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream statFile(task.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        const std::size_t open = stat.find('(');
        const std::size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        // After the name: state is field 3; nice 19, rt_priority 40, policy 41.
        std::istringstream rest(stat.substr(close + 2));
        std::vector<std::string> fields((std::istream_iterator<std::string>(rest)), {});
        if (fields.size() < 39) {
            continue;
        }
        const int policy = std::atoi(fields[38].c_str());
        const char* names[] = {"TS", "FIFO", "RR", "BATCH", "ISO", "IDLE", "DEADLINE"};
        text += (text.empty() ? "" : ", ") + stat.substr(open + 1, close - open - 1) + " " +
                (policy >= 0 && policy < 7 ? names[policy] : "?") + " " +
                (policy == 1 || policy == 2 ? fields[37] : "nice " + fields[16]);
    }
    return text.empty() ? "unknown" : text;
}

// The first figure of /proc/loadavg: the load of the last minute.
std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string minute;
    file >> minute;
    return minute.empty() ? "?" : minute;
}

void sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Plays `count` notes `spacing` seconds apart and measures each at the sink.
Stats measure(PreviewPlayer& player, Keyboard& keyboard, Listener& listener, int count,
              double spacing, float threshold, const std::function<void()>& before = {}) {
    Stats stats;
    for (int i = 0; i < count; ++i) {
        if (before) {
            before();
        }
        sleepFor(spacing);
        const std::size_t from = listener.frames();
        keyboard.play(kNote, [&listener](jack_nframes_t) { listener.click(); });
        // The monitor's recording arrives some time after the sound: waited for.
        std::optional<Listener::Onsets> onsets;
        for (int wait = 0; wait < 60 && !onsets; ++wait) {
            sleepFor(0.05);
            onsets = listener.onsets(from, threshold);
        }
        if (!onsets || onsets->note < onsets->click) {
            ++stats.missed;
            continue;
        }
        const double rate = listener.measuredRate();
        stats.values.push_back(
            (static_cast<double>(onsets->note - onsets->click) / rate + listener.clickDelay()) *
            1000.0);
    }
    (void)player;
    return stats;
}

} // namespace

int main(int argc, char** argv) {
    int notes = 30;
    double dropoutSeconds = 60.0;
    bool dropoutsOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--dropouts" && i + 1 < argc) {
            dropoutsOnly = true;
            dropoutSeconds = std::atof(argv[++i]);
        } else {
            notes = std::atoi(argv[i]);
        }
    }
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-note-latency";
    std::filesystem::create_directories(folder);

    PreviewPlayer probe;
    if (!probe.openOutput(-1)) {
        std::fprintf(stderr, "note_latency: no sound server\n");
        return 1;
    }
    const auto rate = static_cast<std::uint32_t>(probe.outputRate());
    probe.closeOutput();

    const auto step = folder / "step.wav";
    const auto background = folder / "background.wav";
    const auto steady = folder / "steady.wav";
    writeFile(step, waveFile(1, 1, rate, 16, stepSample(rate, 0.3)));
    writeFile(background, waveFile(1, 1, rate, 16, sineData(300.0, 40.0, rate, 1, 16, 0.05)));
    writeFile(steady,
              waveFile(1, 1, rate, 16, sineData(440.0, dropoutSeconds + 10.0, rate, 1, 16, 0.5)));
    const std::vector<KitZone> kit = {{step.string(), kNote, 0, 0},
                                      {background.string(), kBackground, 0, 0},
                                      {steady.string(), kSteady, 0, 0}};

    Keyboard keyboard;
    if (keyboard.client() == nullptr) {
        std::fprintf(stderr, "note_latency: no JACK server for the keyboard\n");
        return 1;
    }
    Listener listener(static_cast<int>(rate));

    std::printf("| Case | note → sound, median / p10 / p90 / max (ms) | |\n|---|---|---|\n");

    // The editor's path: its MIDI input on JACK hands each note to the audition; what it does
    // not play there is left to the window, which the benchmark plays as the window would.
    auto run = [&](SampleCache* cache, int device,
                   const std::function<void(PreviewPlayer&)>& body) {
        PreviewPlayer player(cache);
        std::atomic<int> left{0};
        JackMidi midi(
            [&player](int note, int velocity) { return player.noteFromMidi(note, velocity); },
            [&left](std::uint32_t packed) {
                if ((packed & 0xF0U) == 0x90U && (packed & JackMidi::kSounded) == 0) {
                    ++left;
                }
            },
            [] {});
        midi.open();
        player.setNotesDirect(true);
        player.setKit(kit);
        player.openOutput(device);
        for (int i = 0; i < 500 && !(player.kitReady() && keyboard.ready()); ++i) {
            sleepFor(0.01);
        }
        body(player);
        // Told once, and again whenever it changed (the stream grew after underruns).
        static std::string told;
        const std::string status = player.outputStatusText().toStdString();
        if (status != told) {
            std::printf("(%s)\n", status.c_str());
            told = status;
        }
        if (left > 0) {
            std::printf("(%d notes were not played on the MIDI thread)\n", left.load());
        }
        if (player.notesGivenUp() > 0) {
            std::printf("(%llu notes given up: their voice was not ready again in time)\n",
                        static_cast<unsigned long long>(player.notesGivenUp()));
        }
        player.closeOutput();
    };

    std::printf("(sound server's threads: %s)\n", serverScheduling().c_str());
    SampleCache cache;
    cache.fill({step.string(), background.string()});
    cache.waitForFill();
    if (!dropoutsOnly) {
        run(&cache, -1, [&](PreviewPlayer& player) {
            measure(player, keyboard, listener, notes, 1.0, 0.05F)
                .print("Cached sample, notes 1 s apart");
        });
        run(&cache, -1, [&](PreviewPlayer& player) {
            measure(player, keyboard, listener, notes, 1.0, 0.3F, [&] {
                if (player.soundingVoices().empty()) {
                    keyboard.play(kBackground, [](jack_nframes_t) {});
                }
            }).print("While another note sounds");
        });
        run(&cache, -1, [&](PreviewPlayer& player) {
            measure(player, keyboard, listener, std::max(notes / 4, 3), 12.0, 0.05F)
                .print("After 12 s of silence");
        });
        run(nullptr, -1, [&](PreviewPlayer& player) {
            measure(player, keyboard, listener, notes, 1.0, 0.05F)
                .print("Uncached (read from its file)");
        });
    }

    // Dropouts: a steady tone for 60 s with one core busy.
    run(&cache, -1, [&](PreviewPlayer& player) {
        const std::string loadBefore = loadAverage();
        std::atomic<bool> busy{true};
        std::thread spinner([&busy] {
            volatile double x = 0.0;
            while (busy) {
                x = x + 1.0;
            }
        });
        const std::size_t from = listener.frames();
        keyboard.play(kSteady, [](jack_nframes_t) {});
        sleepFor(1.0);
        const std::size_t start = listener.frames();
        sleepFor(dropoutSeconds);
        const std::size_t end = listener.frames();
        busy = false;
        spinner.join();
        (void)from;
        const auto [gaps, longest] = listener.gaps(start, end);
        std::printf("(output underruns %llu, periods a voice ran dry %llu)\n",
                    static_cast<unsigned long long>(player.outputUnderruns()),
                    static_cast<unsigned long long>(player.starvedPeriods()));
        std::printf("| Dropouts in %.0f s of a steady tone, one core busy | %d gaps (longest %.0f "
                    "ms) | load average %s before, %s after |\n",
                    dropoutSeconds, gaps, longest, loadBefore.c_str(), loadAverage().c_str());
        std::fflush(stdout);
    });

    // JACK: the editor's JACK output, measured in the server's own frame clock.
    const AudioOutputs outputs = audioOutputs();
    const int jackDevice =
        dropoutsOnly ? -1 : static_cast<int>(outputs.names.indexOf(QStringLiteral("JACK")));
    if (jackDevice >= 0) {
        JackEar ear;
        run(&cache, jackDevice, [&](PreviewPlayer& player) {
            ear.connect();
            Stats stats;
            const double jackRate = player.outputRate();
            for (int i = 0; i < notes; ++i) {
                sleepFor(0.5);
                std::atomic<jack_nframes_t> sentAt{0};
                ear.arm();
                keyboard.play(kNote, [&sentAt](jack_nframes_t frame) { sentAt = frame; });
                sleepFor(0.5);
                if (ear.heard() == 0 || sentAt == 0) {
                    ++stats.missed;
                    continue;
                }
                const double frames =
                    static_cast<double>(ear.heard() - sentAt) + ear.playbackLatency();
                stats.values.push_back(frames / jackRate * 1000.0);
            }
            stats.note = "JACK period " + std::to_string(jack_get_buffer_size(keyboard.client())) +
                         " frames";
            stats.print("JACK output");
        });
    }
    std::filesystem::remove_all(folder);
    return 0;
}
