// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI and sound through a real JACK server (the dummy one scripts/with-services.sh starts): a
// keyboard that is unplugged and plugged in again is heard again, and a note from the keyboard
// reaches the editor's JACK output ports without passing through the window's thread.
#include "audio/JackMidi.h"
#include "audio/Preview.h"
#include "audio/SampleFiles.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <optional>
#include <string>
#include <thread>

namespace padsmith {
namespace {

using namespace padsmith::testing;

template <typename Done> bool eventually(Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A MIDI keyboard on JACK: a client with one MIDI output that plays a note at its next period.
class Keyboard {
public:
    explicit Keyboard(const char* name) {
        jack_status_t status{};
        client_ = jack_client_open(name, JackNoStartServer, &status);
        if (client_ == nullptr) {
            return;
        }
        port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        ready_.store(true, std::memory_order_release); // libjack's hand-over is not seen by TSan
        jack_set_process_callback(client_, &Keyboard::process, this);
        jack_activate(client_);
    }
    ~Keyboard() { unplug(); }
    void unplug() {
        if (client_ != nullptr) {
            jack_deactivate(client_);
            (void)calls_.load(std::memory_order_acquire);
            jack_client_close(client_);
            client_ = nullptr;
        }
    }
    bool plugged() const { return client_ != nullptr; }
    bool connected() const { return client_ != nullptr && jack_port_connected(port_) > 0; }
    void play(int note) { note_ = note; }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* keyboard = static_cast<Keyboard*>(self);
        if (!keyboard->ready_.load(std::memory_order_acquire)) {
            return 0;
        }
        void* buffer = jack_port_get_buffer(keyboard->port_, frames);
        jack_midi_clear_buffer(buffer);
        const int note = keyboard->note_.exchange(-1);
        if (note >= 0) {
            const jack_midi_data_t message[3] = {0x99, static_cast<jack_midi_data_t>(note), 100};
            jack_midi_event_write(buffer, 0, message, 3);
        }
        keyboard->calls_.fetch_add(1, std::memory_order_release);
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<int> note_{-1};
    std::atomic<bool> ready_{false};
    std::atomic<int> calls_{0};
};

class JackPath : public ::testing::Test {
protected:
    void SetUp() override {
        const char* jack = std::getenv("PADSMITH_TEST_JACK");
        if (jack == nullptr || *jack == '\0') {
            GTEST_SKIP() << "no JACK test server: run under scripts/with-services.sh";
        }
    }
};

TEST_F(JackPath, AKeyboardUnpluggedAndPluggedInAgainIsHeardAgain) {
    std::atomic<int> played{0};
    std::atomic<int> lastNote{-1};
    std::atomic<int> handed{0};
    std::atomic<bool> allSounded{true};
    JackMidi midi(
        [&](int note, int velocity) {
            lastNote = note;
            ++played;
            return velocity == 100;
        },
        [&](std::uint32_t packed) {
            ++handed;
            allSounded = allSounded && (packed & JackMidi::kSounded) != 0;
        },
        [] {});
    ASSERT_TRUE(midi.open());

    std::optional<Keyboard> keyboard;
    // A note played in the very periods in which the server takes a new connection into its
    // graph may fall between the two clients; the keyboard plays it again until it is heard,
    // as a player would. A keyboard never heard again still fails.
    const auto heard = [&](int note) {
        const int before = played;
        return eventually([&] {
            if (played == before) {
                keyboard->play(note);
            }
            return played > before;
        });
    };
    keyboard.emplace("replugged keys");
    ASSERT_TRUE(keyboard->plugged());
    ASSERT_TRUE(eventually([&] { return keyboard->connected(); })) << "not connected at first";
    ASSERT_TRUE(heard(36));
    EXPECT_EQ(lastNote, 36);

    // Out and in again, under the same name, well within any rescan.
    for (const int note : {38, 40, 42}) {
        keyboard.reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        keyboard.emplace("replugged keys");
        ASSERT_TRUE(keyboard->plugged());
        ASSERT_TRUE(eventually([&] { return keyboard->connected(); }))
            << "not connected again before note " << note;
        ASSERT_TRUE(heard(note)) << "note " << note;
        EXPECT_EQ(lastNote, note);
    }
    EXPECT_TRUE(eventually([&] { return handed == played; }));
    EXPECT_TRUE(allSounded) << "a note played on its way in was not marked so";
    bool listed = false;
    for (const std::string& source : midi.sources()) {
        listed = listed || source.starts_with("replugged keys:");
    }
    EXPECT_TRUE(listed);
}

// Listens to one of the editor's JACK output ports.
class Ear {
public:
    Ear() {
        jack_status_t status{};
        client_ = jack_client_open("test ear", JackNoStartServer, &status);
        port_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        ready_.store(true, std::memory_order_release);
        jack_set_process_callback(client_, &Ear::process, this);
        jack_activate(client_);
    }
    ~Ear() {
        jack_deactivate(client_);
        (void)calls_.load(std::memory_order_acquire);
        jack_client_close(client_);
    }
    bool listenTo(const char* port) {
        return jack_connect(client_, port, jack_port_name(port_)) == 0;
    }
    float peak() const { return peak_.load(); }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* ear = static_cast<Ear*>(self);
        if (!ear->ready_.load(std::memory_order_acquire)) {
            return 0;
        }
        const auto* in = static_cast<const float*>(jack_port_get_buffer(ear->port_, frames));
        float peak = ear->peak_.load(std::memory_order_relaxed);
        for (jack_nframes_t i = 0; i < frames; ++i) {
            peak = std::max(peak, std::fabs(in[i]));
        }
        ear->peak_.store(peak, std::memory_order_relaxed);
        ear->calls_.fetch_add(1, std::memory_order_release);
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<float> peak_{0.0F};
    std::atomic<bool> ready_{false};
    std::atomic<int> calls_{0};
};

TEST_F(JackPath, ANoteFromTheKeyboardIsHeardAtTheJackOutput) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("padsmith-jack-path-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto tone = folder / "tone.wav";
    writeFile(tone, waveFile(1, 1, 48000, 16, sineData(500.0, 0.5, 48000, 1, 16, 0.8)));

    const AudioOutputs outputs = audioOutputs();
    const auto device = static_cast<int>(outputs.names.indexOf(QStringLiteral("JACK")));
    ASSERT_GE(device, 0) << "JACK is not among the outputs while a JACK server runs";

    PreviewPlayer player;
    std::atomic<int> left{0};
    JackMidi midi(
        [&player](int note, int velocity) { return player.noteFromMidi(note, velocity); },
        [&left](std::uint32_t packed) { left += (packed & JackMidi::kSounded) == 0 ? 1 : 0; },
        [] {});
    ASSERT_TRUE(midi.open());
    player.setNotesDirect(true);
    player.setKit({{tone.string(), 37, 0, 0}});
    ASSERT_TRUE(player.openOutput(device));
    ASSERT_TRUE(eventually([&] { return player.kitReady(); }));
    Ear ear;
    ASSERT_TRUE(ear.listenTo("Padsmith:out_1"));
    Keyboard keyboard("path keys");
    ASSERT_TRUE(eventually([&] { return keyboard.connected(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ear.peak(), 0.0F) << "sound before any note";

    keyboard.play(37);
    EXPECT_TRUE(eventually([&] { return ear.peak() > 0.5F; })) << "peak " << ear.peak();
    EXPECT_EQ(left, 0) << "the note was left to the window";
    player.closeOutput();
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace padsmith
