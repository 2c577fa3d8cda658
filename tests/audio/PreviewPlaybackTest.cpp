// Plays previews through a real PulseAudio server and listens to what reached its sink.
// Run under scripts/with-services.sh, which starts a private server with a null sink and names
// it in PADSMITH_TEST_SINK.
#include "audio/Preview.h"
#include "audio/SampleFiles.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QProcess>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>
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

bool hasAny(const std::int16_t* samples, double frequency) {
    return amplitudeAt(samples, kWindow, frequency) > 300.0;
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
        const char* sink = std::getenv("PADSMITH_TEST_SINK");
        if (sink == nullptr || *sink == '\0') {
            GTEST_SKIP() << "no PulseAudio test sink: run under scripts/with-services.sh";
        }
        sink_ = sink;
        folder_ = std::filesystem::temp_directory_path() / "padsmith-playback-test";
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override {
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_);
        }
    }

    // The preview device number of the test sink.
    std::optional<int> sinkDevice() const {
        const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
        for (qsizetype i = 0; i < outputs.size(); ++i) {
            if (outputs.at(i).id() == QByteArray::fromStdString(sink_)) {
                return static_cast<int>(i);
            }
        }
        return std::nullopt;
    }

    void startRecording() {
        recorder_.setProgram("parec");
        recorder_.setArguments({"-d", QString::fromStdString(sink_ + ".monitor"), "--raw",
                                "--format=s16le", QString("--rate=%1").arg(kRecordRate),
                                "--channels=1"});
        recorder_.start();
        ASSERT_TRUE(recorder_.waitForStarted(5000)) << "parec did not start";
    }

    std::vector<std::int16_t> stopRecording() {
        recorder_.terminate();
        recorder_.waitForFinished(5000);
        const QByteArray bytes = recorder_.readAllStandardOutput();
        std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size()) / 2);
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
        return samples;
    }

    std::string sink_;
    std::filesystem::path folder_;
    QProcess recorder_;
};

TEST_F(PreviewPlayback, PlaysAtTheFilesPitchAndANewPreviewCutsTheOldOne) {
    const std::optional<int> device = sinkDevice();
    ASSERT_TRUE(device) << "the test sink is not among the audio outputs";

    // A: 440 Hz, 24-bit stereo WAVE at 48 kHz, long enough to be still playing when B starts.
    // B: 1000 Hz, 16-bit mono AIFF at 22.05 kHz.
    constexpr double toneA = 440.0;
    constexpr double toneB = 1000.0;
    const auto fileA = folder_ / "a.wav";
    writeFile(fileA, waveFile(1, 2, 48000, 24, sineData(toneA, 10.0, 48000, 2, 24)));
    std::string bigEndianB = sineData(toneB, 6.0, 22050, 1, 16);
    for (std::size_t i = 0; i + 1 < bigEndianB.size(); i += 2) {
        std::swap(bigEndianB[i], bigEndianB[i + 1]);
    }
    const auto fileB = folder_ / "b.aif";
    writeFile(fileB, aiffFile(1, 22050, 16, bigEndianB));

    PreviewPlayer player;
    startRecording();
    runEventLoop(300);
    player.previewSample(fileA.string(), *device);
    ASSERT_TRUE(player.isPreviewing());
    EXPECT_NE(player.infoText().indexOf("Stereo 24 bit / 48 kHz"), -1);
    runEventLoop(3500);
    player.previewSample(fileB.string(), *device);
    ASSERT_TRUE(player.isPreviewing());
    runEventLoop(3500);
    player.stopPreview();
    EXPECT_TRUE(player.infoText().isEmpty());
    const std::vector<std::int16_t> recorded = stopRecording();
    runEventLoop(100); // lets the closed stream settle before the process ends

    std::optional<std::size_t> firstA;
    std::optional<std::size_t> firstB;
    std::size_t windowsB = 0;
    std::size_t windowsAfterB = 0;
    std::size_t leftoverA = 0;
    for (std::size_t start = 0; start + kWindow <= recorded.size(); start += kWindow) {
        const std::int16_t* window = recorded.data() + start;
        if (!firstA && holdsTone(window, toneA)) {
            firstA = start;
        }
        if (holdsTone(window, toneB)) {
            ++windowsB;
            if (!firstB) {
                firstB = start;
            }
        }
        if (firstB && start > *firstB) {
            ++windowsAfterB;
            leftoverA += hasAny(window, toneA) ? 1 : 0;
        }
    }
    ASSERT_TRUE(firstA) << "tone A never arrived at 440 Hz (" << recorded.size() << " samples)";
    ASSERT_TRUE(firstB) << "tone B never arrived at 1000 Hz";
    EXPECT_LT(*firstA, *firstB);
    EXPECT_GE(windowsB, 10U) << "tone B was not heard for half a second";
    EXPECT_GT(windowsAfterB, 0U);
    EXPECT_EQ(leftoverA, 0U) << "tone A still sounded after tone B had started";
}

} // namespace
} // namespace padsmith
