// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a sample block by block gives exactly what reading it whole gives.
#include "audio/SampleStream.h"

#include "audio/AudioFile.h"
#include "audio/SampleFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace padsmith {
namespace {

using namespace padsmith::testing;

class SampleStreaming : public ::testing::Test {
protected:
    void SetUp() override {
        // One folder per test run: ctest runs the cases of this group side by side.
        folder_ = std::filesystem::temp_directory_path() /
                  ("padsmith-stream-test-" + std::to_string(std::random_device{}()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Streams `bytes` as a file in blocks of `frames` and compares with the whole read.
    void expectSameAsWhole(const std::string& name, const std::string& bytes, std::size_t frames) {
        const auto path = folder_ / name;
        writeFile(path, bytes);
        const PlayableSample whole = readSample(path);
        SampleStream stream(path);
        EXPECT_EQ(stream.readable(), whole.readable) << name;
        EXPECT_EQ(stream.infoText(), whole.infoText) << name;
        EXPECT_EQ(stream.format(), whole.format) << name;
        std::string streamed;
        while (stream.read(frames, streamed)) {
        }
        EXPECT_EQ(stream.framesLeft(), 0U);
        EXPECT_TRUE(streamed == whole.data)
            << name << ": " << streamed.size() << " bytes streamed, " << whole.data.size()
            << " read whole";
    }

    std::filesystem::path folder_;
};

TEST_F(SampleStreaming, BlocksMatchTheWholeFileForEveryLayout) {
    // Large enough to be streamed, with a last block cut short.
    const std::string data24 = sineData(440, 1.01, 48000, 2, 24);
    expectSameAsWhole("stereo24.wav", waveFile(kFormatPcm, 2, 48000, 24, data24), 1000);
    std::string bigEndian16 = sineData(1000, 1.3, 22050, 1, 16);
    for (std::size_t i = 0; i + 1 < bigEndian16.size(); i += 2) {
        std::swap(bigEndian16[i], bigEndian16[i + 1]);
    }
    expectSameAsWhole("mono16.aif", aiffFile(1, 22050, 16, bigEndian16), 777);
    expectSameAsWhole("mono8.aif", aiffFile(1, 22050, 8, std::string(100001, '\x40')), 4096);
    std::string floats;
    for (int i = 0; i < 40000; ++i) {
        const float value = static_cast<float>(i % 200 - 100) / 64.0F; // some beyond full scale
        floats.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    expectSameAsWhole("float.wav", waveFile(kFormatFloat, 2, 44100, 32, floats), 333);
    // Small files and files whose data lies far behind the header are read whole at open.
    expectSameAsWhole("short.wav", waveFile(kFormatPcm, 1, 8000, 16, std::string(300, '\x11')), 7);
    const std::string padded = riffWave(chunk("fmt ", waveFormatBody(kFormatPcm, 2, 44100, 16)) +
                                        chunk("LIST", std::string(SampleStream::kHeadBytes, 'x')) +
                                        chunk("data", sineData(200, 0.5, 44100, 2, 16)));
    expectSameAsWhole("late-data.wav", padded, 500);
}

TEST_F(SampleStreaming, DataChunkLongerThanTheFileEndsWhereTheFileEnds) {
    std::string file = waveFile(kFormatPcm, 2, 44100, 16, sineData(300, 1.0, 44100, 2, 16));
    file.resize(file.size() - 1001); // cut mid-frame; the data chunk still claims the full size
    expectSameAsWhole("cut.wav", file, 1024);
}

TEST_F(SampleStreaming, UnreadableAndUnplayableFiles) {
    expectSameAsWhole("notes.wav", std::string(100000, 'n'), 100);
    expectSameAsWhole("alaw.wav", waveFile(6, 1, 8000, 8, std::string(100000, 'U')), 100);
    SampleStream missing(folder_ / "missing.wav");
    EXPECT_FALSE(missing.readable());
    EXPECT_EQ(missing.infoText(), kUnknownFormatInfo);
    std::string out;
    EXPECT_FALSE(missing.read(100, out));
#if !defined(_WIN32)
    // Special files are no samples; a pipe would block the open until a writer comes.
    ASSERT_EQ(::mkfifo((folder_ / "pipe.wav").c_str(), 0600), 0);
    for (const std::filesystem::path& special :
         {folder_ / "pipe.wav", std::filesystem::path("/dev/zero")}) {
        SampleStream stream(special);
        EXPECT_FALSE(stream.readable()) << special;
        EXPECT_EQ(stream.infoText(), kUnknownFormatInfo) << special;
    }
#endif
}

} // namespace
} // namespace padsmith
