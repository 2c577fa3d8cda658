// SPDX-License-Identifier: GPL-3.0-or-later
// Previews: their info texts, and playback through a real PulseAudio server that is listened to.
// Run under scripts/with-services.sh, which starts a private server and sets PADSMITH_TEST_SINK;
// the test adds a null sink of its own to that server and records its monitor.
#include "audio/OutputStream.h"
#include "audio/Preview.h"
#include "audio/SampleCache.h"
#include "audio/SampleFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace padsmith {
namespace {

using namespace padsmith::testing;

constexpr int kRecordRate = 44100;
constexpr std::size_t kWindow = 2205; // 50 ms

void runEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The audio thread takes what it is handed at its next period: true once `done` holds.
template <typename Done> bool within(int milliseconds, Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        runEventLoop(2);
    }
    return true;
}

// Amplitude of the component at `frequency` in a window of samples (Goertzel).
double amplitudeAt(const std::int16_t* samples, std::size_t count, double frequency) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / kRecordRate);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double current = samples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious -
                         coefficient * previous * beforePrevious;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(count);
}

// True when the window holds a clear tone at `frequency`: loud there, and much louder there
// than a little below or above (a tone played at the wrong rate lands elsewhere).
bool holdsTone(const std::int16_t* samples, double frequency) {
    const double at = amplitudeAt(samples, kWindow, frequency);
    return at > 2000.0 && at > 8.0 * amplitudeAt(samples, kWindow, frequency * 0.85) &&
           at > 8.0 * amplitudeAt(samples, kWindow, frequency * 1.15);
}

// True when the window holds some of a tone at `frequency`, however soft, standing out from
// its neighbourhood: a glitch or a cut in another tone spreads a little over every frequency,
// a tone does not.
bool hasAny(const std::int16_t* samples, double frequency) {
    const double at = amplitudeAt(samples, kWindow, frequency);
    return at > 300.0 && at > 4.0 * amplitudeAt(samples, kWindow, frequency * 0.85) &&
           at > 4.0 * amplitudeAt(samples, kWindow, frequency * 1.15);
}

class PreviewPlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "audio_playback_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    void SetUp() override {
        const char* server = std::getenv("PADSMITH_TEST_SINK");
        if (server == nullptr || *server == '\0') {
            GTEST_SKIP() << "no PulseAudio test server: run under scripts/with-services.sh";
        }
        // A null sink of this process alone: other tests that run at the same time play on the
        // server's default sink, and their sound must not reach this recording.
        sink_ = "padsmith_playback_" + std::to_string(QCoreApplication::applicationPid());
        // Looked at once before the sink exists, as the editor's menu may have been.
        outputsBefore_ = audioOutputs().names.size();
        const QString module = pactl(
            {"load-module", "module-null-sink", QString::fromStdString("sink_name=" + sink_)});
        ASSERT_FALSE(module.isEmpty()) << "could not load a null sink";
        module_ = module;
        folder_ = std::filesystem::temp_directory_path() / ("padsmith-playback-test-" + sink_);
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override {
        if (recorder_.state() != QProcess::NotRunning) {
            recorder_.kill();
            recorder_.waitForFinished(5000);
        }
        if (!module_.isEmpty()) {
            pactl({"unload-module", module_});
        }
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_);
        }
    }

    // Runs pactl and returns what it printed, trimmed; empty when it failed.
    static QString pactl(const QStringList& arguments) {
        QProcess process;
        process.start("pactl", arguments);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            return {};
        }
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        return out.isEmpty() ? QStringLiteral("ok") : out;
    }

    // The preview device number of this test's sink. The server announces a new sink on its
    // own time, so the list is read again until it shows up.
    std::optional<int> sinkDevice() const {
        QElapsedTimer clock;
        clock.start();
        do {
            const PulseSinks outputs = pulseSinks();
            for (std::size_t i = 0; i < outputs.sinks.size(); ++i) {
                if (outputs.sinks[i].id == sink_) {
                    return static_cast<int>(i);
                }
            }
            runEventLoop(20);
        } while (clock.elapsed() < kPatienceMs);
        return std::nullopt;
    }

    void startRecording() {
        recorder_.setProgram("parec");
        // A short latency makes parec hand over what it records in small steps.
        recorder_.setArguments({"-d", QString::fromStdString(sink_ + ".monitor"), "--raw",
                                "--format=s16le", QString("--rate=%1").arg(kRecordRate),
                                "--channels=1", "--latency-msec=50"});
        recorder_.start();
        ASSERT_TRUE(recorder_.waitForStarted(10000)) << "parec did not start";
    }

    // Moves what parec has recorded so far into `recorded_`.
    void collect() {
        pending_.append(recorder_.readAllStandardOutput());
        const qsizetype whole = pending_.size() / 2 * 2;
        if (whole == 0) {
            return;
        }
        const std::size_t before = recorded_.size();
        recorded_.resize(before + static_cast<std::size_t>(whole) / 2);
        std::memcpy(recorded_.data() + before, pending_.constData(),
                    static_cast<std::size_t>(whole));
        pending_.remove(0, whole);
    }

    void stopRecording() {
        collect();
        recorder_.terminate();
        recorder_.waitForFinished(5000);
        collect();
    }

    // Lets the event loop run until the recording, from window `from` on, holds `windows`
    // windows in a row of a clear tone at `frequency`; gives the first of them. How long the
    // sound takes to arrive depends on the server and the machine's load, so this waits for
    // the sound itself and gives up only after a generous time.
    std::optional<std::size_t> waitForTone(double frequency, std::size_t from,
                                           std::size_t windows) {
        QElapsedTimer clock;
        clock.start();
        std::size_t run = 0;
        std::size_t window = from;
        while (clock.elapsed() < kPatienceMs) {
            runEventLoop(20);
            collect();
            for (; (window + 1) * kWindow <= recorded_.size(); ++window) {
                run = holdsTone(recorded_.data() + window * kWindow, frequency) ? run + 1 : 0;
                if (run == windows) {
                    return window + 1 - windows;
                }
            }
        }
        return std::nullopt;
    }

    static constexpr qint64 kPatienceMs = 30000;

    std::string sink_;
    qsizetype outputsBefore_ = 0;
    QString module_;
    std::filesystem::path folder_;
    QProcess recorder_;
    QByteArray pending_;
    std::vector<std::int16_t> recorded_;
};

TEST_F(PreviewPlayback, PlaysAtTheFilesPitchAndANewPreviewCutsTheOldOne) {
    const std::optional<int> device = sinkDevice();
    ASSERT_TRUE(device) << "the test sink is not among the audio outputs";
    // The device list is read afresh: an output added while the program runs is offered.
    EXPECT_GT(audioOutputs().names.size(), outputsBefore_);

    // A: 440 Hz, 24-bit stereo WAVE at 48 kHz, long enough to be still playing when B starts.
    // B: 1000 Hz, 16-bit mono AIFF at 22.05 kHz.
    constexpr double toneA = 440.0;
    constexpr double toneB = 1000.0;
    constexpr std::size_t halfSecond = 10; // windows
    const auto fileA = folder_ / "a.wav";
    writeFile(fileA, waveFile(1, 2, 48000, 24, sineData(toneA, 20.0, 48000, 2, 24)));
    std::string bigEndianB = sineData(toneB, 10.0, 22050, 1, 16);
    for (std::size_t i = 0; i + 1 < bigEndianB.size(); i += 2) {
        std::swap(bigEndianB[i], bigEndianB[i + 1]);
    }
    const auto fileB = folder_ / "b.aif";
    writeFile(fileB, aiffFile(1, 22050, 16, bigEndianB));

    PreviewPlayer player;
    startRecording();
    player.previewSample(fileA.string(), *device);
    ASSERT_TRUE(player.isPreviewing());
    EXPECT_NE(player.infoText().indexOf("Stereo 24 bit / 48 kHz"), -1);
    // The About window's line: the server, the sink's rate and what the stream's thread got.
    const QString status = player.outputStatusText();
    EXPECT_TRUE(status.startsWith("Audio output: PulseAudio, ")) << status.toStdString();
    EXPECT_TRUE(status.contains(QString(" %1 Hz, ").arg(player.outputRate())) &&
                status.contains(" priority"))
        << status.toStdString();
    const std::optional<std::size_t> heardA = waitForTone(toneA, 0, halfSecond);
    ASSERT_TRUE(heardA) << "tone A never arrived at 440 Hz (" << recorded_.size() << " samples)";

    const std::size_t beforeB = recorded_.size() / kWindow;
    player.previewSample(fileB.string(), *device);
    ASSERT_TRUE(player.isPreviewing());
    const std::optional<std::size_t> heardB = waitForTone(toneB, beforeB, halfSecond);
    player.stopPreview();
    EXPECT_TRUE(player.infoText().isEmpty());
    stopRecording();
    runEventLoop(100); // lets the closed stream settle before the process ends
    ASSERT_TRUE(heardB) << "tone B never arrived at 1000 Hz";

    // Once B sounds, nothing of A is left: no window in which B sounds holds any of A. Windows
    // where B breaks off (the stop at the end, or a gap when a loaded machine feeds the output
    // late) are left out: a cut spreads over every frequency and says little about A.
    std::size_t leftoverA = 0;
    std::string where;
    for (std::size_t start = (*heardB + 1) * kWindow; start + kWindow <= recorded_.size();
         start += kWindow) {
        const std::int16_t* window = recorded_.data() + start;
        if (holdsTone(window, toneB) && hasAny(window, toneA)) {
            ++leftoverA;
            where += " " + std::to_string(start / kWindow) + " (A " +
                     std::to_string(static_cast<int>(amplitudeAt(window, kWindow, toneA))) + ")";
        }
    }
    EXPECT_EQ(leftoverA, 0U) << "tone A still sounded after tone B had started, in windows"
                             << where;
}

TEST_F(PreviewPlayback, ACachedSamplePlaysFromMemoryThroughTheSameStream) {
    const std::optional<int> device = sinkDevice();
    ASSERT_TRUE(device) << "the test sink is not among the audio outputs";
    constexpr double tone = 660.0;
    const auto file = folder_ / "c.wav";
    writeFile(file, waveFile(1, 1, 44100, 16, sineData(tone, 20.0, 44100, 1, 16)));

    SampleCache cache;
    PreviewPlayer player(&cache);
    startRecording();
    // Not cached yet: it starts from its first block and is queued for the cache.
    player.previewSample(file.string(), *device);
    ASSERT_TRUE(player.isPreviewing());
    EXPECT_FALSE(player.playingFromCache());
    EXPECT_TRUE(within(10000, [&] { return player.bytesWritten() > 0; }))
        << "the preview did not start";
    cache.waitForFill();
    ASSERT_TRUE(cache.contains(file.string()));

    player.previewSample(file.string(), *device);
    ASSERT_TRUE(player.isPreviewing());
    EXPECT_TRUE(player.playingFromCache());
    EXPECT_NE(player.infoText().indexOf("Mono 16 bit / 44 kHz"), -1);
    const std::optional<std::size_t> heard = waitForTone(tone, 0, 10);
    EXPECT_EQ(player.streamsOpened(), 1);
    // Every start is taken by the running stream at its next period.
    for (int start = 0; start < 3; ++start) {
        player.previewSample(file.string(), *device);
        EXPECT_TRUE(within(10000, [&] { return player.bytesWritten() > 0; }))
            << "start " << start << " was not taken by the output";
        runEventLoop(35);
    }

    // Changed on disk: played from the file again, never the stale copy.
    writeFile(file, waveFile(1, 1, 44100, 16, sineData(tone, 19.0, 44100, 1, 16)));
    player.previewSample(file.string(), *device);
    EXPECT_FALSE(player.playingFromCache());
    EXPECT_NE(player.infoText().indexOf("19s0ms"), -1) << player.infoText().toStdString();
    player.closeOutput();
    stopRecording();
    runEventLoop(100);
    ASSERT_TRUE(heard) << "the cached sample was not heard";
}

TEST_F(PreviewPlayback, NotesSoundTogetherAndReportWhereTheyAre) {
    const std::optional<int> device = sinkDevice();
    ASSERT_TRUE(device) << "the test sink is not among the audio outputs";
    constexpr double toneA = 440.0;
    constexpr double toneB = 1000.0;
    const auto fileA = folder_ / "a.wav";
    const auto fileB = folder_ / "b.wav";
    writeFile(fileA, waveFile(1, 1, 48000, 16, sineData(toneA, 20.0, 48000, 1, 16, 0.4)));
    writeFile(fileB, waveFile(1, 2, 44100, 16, sineData(toneB, 20.0, 44100, 2, 16, 0.4)));

    PreviewPlayer player;
    startRecording();
    player.playNote(fileA.string(), *device);
    player.playNote(fileB.string(), *device);
    const std::optional<std::size_t> heardA = waitForTone(toneA, 0, 10);
    ASSERT_TRUE(heardA) << "tone A never arrived";
    const std::optional<std::size_t> heardB = waitForTone(toneB, *heardA, 10);
    ASSERT_TRUE(heardB) << "tone B did not sound together with A";
    // Both at once, in the same windows.
    EXPECT_TRUE(holdsTone(recorded_.data() + *heardB * kWindow, toneA));

    const std::vector<VoicePosition> voices = player.soundingVoices();
    ASSERT_EQ(voices.size(), 2U);
    EXPECT_EQ(voices[0].path, fileA.string());
    EXPECT_EQ(voices[0].length, 20U * 48000U);
    EXPECT_EQ(voices[1].length, 20U * 44100U);
    EXPECT_GT(voices[1].frame, 0U);
    EXPECT_LT(voices[1].frame, voices[1].length);

    // A preview cuts both.
    player.previewSample(fileA.string(), *device);
    EXPECT_TRUE(within(1000, [&] { return player.soundingVoices().size() == 1U; }));
    player.closeOutput();
    stopRecording();
    runEventLoop(100);
}

TEST_F(PreviewPlayback, ANoteFromTheMidiThreadIsHeardWithoutTheWindow) {
    const std::optional<int> device = sinkDevice();
    ASSERT_TRUE(device) << "the test sink is not among the audio outputs";
    constexpr double tone = 880.0;
    const auto file = folder_ / "note.wav";
    writeFile(file, waveFile(1, 1, 96000, 16, sineData(tone, 3.0, 96000, 1, 16)));

    PreviewPlayer player;
    player.setKit({{file.string(), 36, 1, 127}});
    ASSERT_TRUE(player.openOutput(*device));
    EXPECT_FALSE(player.noteFromMidi(36, 100)) << "queued while notes are the window's";
    player.setNotesDirect(true);
    ASSERT_TRUE(within(10000, [&] { return player.kitReady(); }));
    startRecording();
    bool queued = false;
    std::thread midiThread([&] { queued = player.noteFromMidi(36, 100); });
    midiThread.join();
    EXPECT_TRUE(queued);
    const std::optional<std::size_t> heard = waitForTone(tone, 0, 10);
    player.closeOutput();
    stopRecording();
    runEventLoop(100);
    EXPECT_TRUE(heard) << "the note was not heard";
}

// What a preview shows beside the file list, with or without an audio server.
TEST(PreviewInfo, UnreadableAndSilentFilesAreDescribedAndAStopClearsTheText) {
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-preview-info-test";
    std::filesystem::create_directories(folder);
    writeFile(folder / "notes.wav", "not a sample");
    writeFile(folder / "alaw.wav", waveFile(6, 1, 8000, 8, std::string(80, 'U')));

    PreviewPlayer player;
    player.previewSample((folder / "notes.wav").string(), -1);
    EXPECT_EQ(player.infoText(), "File Format: ?");
    EXPECT_FALSE(player.isPreviewing());
    player.previewSample((folder / "alaw.wav").string(), -1); // compressed: described, not played
    EXPECT_TRUE(player.infoText().startsWith("File Format:\tMicrosoft Wave\nAttributes:\tMono 8"));
    EXPECT_FALSE(player.isPreviewing());
    player.stopPreview();
    EXPECT_TRUE(player.infoText().isEmpty());
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace padsmith
