// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring sample files (format, peak, envelope) and keeping the facts per file.
#include "audio/SampleFacts.h"

#include "audio/SampleFiles.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace padsmith {
namespace {

using namespace padsmith::testing;

std::string pcm16(std::initializer_list<int> samples) {
    std::string data;
    for (const int s : samples) {
        appendLe(data, static_cast<std::uint64_t>(static_cast<std::uint16_t>(s)), 2);
    }
    return data;
}

TEST(SampleFacts, FormatPeakAndEnvelopeOfEachKindOfFile) {
    // Stereo: left rises to half scale, right falls to a quarter below zero.
    const SampleFacts stereo = measureSampleData(
        waveFile(kFormatPcm, 2, 48000, 16, pcm16({0, 0, 8192, -4096, 16384, -8192, 0, 0})));
    EXPECT_EQ(stereo.state, SampleFacts::State::Ok);
    EXPECT_EQ(stereo.format.samplesPerSecond, 48000U);
    EXPECT_EQ(stereo.format.channels, 2);
    EXPECT_EQ(stereo.frames, 4U);
    EXPECT_FLOAT_EQ(stereo.peak, 0.5F);
    EXPECT_NEAR(stereo.peakDecibels(), -6.02, 0.01);
    ASSERT_EQ(stereo.buckets, 4U); // shorter than the bucket count: a bucket a frame
    EXPECT_EQ(stereo.channelEnvelope(0)[2].max, 16384);
    EXPECT_EQ(stereo.channelEnvelope(1)[2].min, -8192);
    EXPECT_EQ(stereo.channelEnvelope(2), nullptr);

    // A long 24-bit file keeps its stored format and has the fixed number of buckets.
    const SampleFacts tone =
        measureSampleData(waveFile(kFormatPcm, 1, 44100, 24, sineData(440, 1.0, 44100, 1, 24)));
    EXPECT_EQ(tone.state, SampleFacts::State::Ok);
    EXPECT_EQ(tone.format.bitsPerSample, 24);
    EXPECT_EQ(tone.buckets, SampleFacts::kEnvelopeBuckets);
    EXPECT_EQ(tone.envelope.size(), SampleFacts::kEnvelopeBuckets);
    EXPECT_NEAR(tone.peak, 0.5F, 0.001F);
    EXPECT_NEAR(tone.channelEnvelope(0)[100].max / 32768.0, 0.5, 0.01);

    // AIFF is measured too; ADPCM data and text are not samples the plug-in plays.
    const SampleFacts aiff =
        measureSampleData(aiffFile(1, 22050, 16, std::string("\x40\x00\xC0\x00", 4)));
    EXPECT_EQ(aiff.state, SampleFacts::State::Ok);
    EXPECT_FLOAT_EQ(aiff.peak, 0.5F);
    EXPECT_EQ(measureSampleData(waveFile(2, 1, 44100, 4, "abcd")).state,
              SampleFacts::State::NotPcm);
    EXPECT_EQ(measureSampleData("just some text").state, SampleFacts::State::Unreadable);
    EXPECT_EQ(measureSample("/no/such/file.wav").state, SampleFacts::State::Missing);
    const SampleFacts silence = measureSampleData(waveFile(kFormatPcm, 1, 44100, 16, pcm16({0})));
    EXPECT_TRUE(std::isinf(silence.peakDecibels()));
}

// A long file is read in blocks: its facts are those of the file read whole.
TEST(SampleFacts, ALongFileReadInBlocksMeasuresAsReadWhole) {
    namespace fs = std::filesystem;
    struct Case {
        std::uint16_t channels;
        std::uint16_t bits;
        double seconds;
    };
    const Case cases[] = {{2, 16, 30.0}, {1, 24, 40.0}, {2, 24, 20.5}};
    const fs::path file = fs::temp_directory_path() / "padsmith-facts-long.wav";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.bits) + " bits");
        std::string data = sineData(440, c.seconds, 44100, c.channels, c.bits);
        // Clipping near the end, in the last block.
        const std::size_t frame = std::size_t{c.bits} / 8 * c.channels;
        for (std::size_t i = data.size() - 40 * frame; i < data.size() - 30 * frame; ++i) {
            data[i] = (i % (c.bits / 8)) + 1 == c.bits / 8U ? '\x7F' : '\xFF';
        }
        const std::string bytes = waveFile(kFormatPcm, c.channels, 44100, c.bits, data);
        ASSERT_GT(bytes.size(), 4U * 1024 * 1024);
        writeFile(file, bytes);
        const SampleFacts whole = measureSampleData(bytes);
        const SampleFacts streamed = measureSample(file);
        EXPECT_EQ(streamed.state, SampleFacts::State::Ok);
        EXPECT_EQ(streamed.frames, whole.frames);
        EXPECT_EQ(streamed.format.bitsPerSample, c.bits);
        EXPECT_EQ(streamed.formatName, whole.formatName);
        EXPECT_EQ(streamed.peak, whole.peak);
        EXPECT_EQ(streamed.leadingSilence, whole.leadingSilence);
        EXPECT_EQ(streamed.clips, whole.clips);
        EXPECT_FALSE(streamed.clips.empty());
        ASSERT_EQ(streamed.envelope.size(), whole.envelope.size());
        for (std::size_t i = 0; i < whole.envelope.size(); ++i) {
            EXPECT_EQ(streamed.envelope[i].min, whole.envelope[i].min) << i;
            EXPECT_EQ(streamed.envelope[i].max, whole.envelope[i].max) << i;
        }
    }
    fs::remove(file);
}

TEST(SampleFactsCache, MeasuresInTheBackgroundAndForgetsChangedFiles) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "padsmith-facts-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string loud = (folder / "loud.wav").string();
    const std::string quiet = (folder / "quiet.wav").string();
    writeFile(loud, waveFile(kFormatPcm, 1, 44100, 16, pcm16({16384, -16384})));
    writeFile(quiet, waveFile(kFormatPcm, 1, 44100, 16, pcm16({1024})));

    std::atomic<int> ready = 0;
    SampleFactsCache cache([&ready](const std::string&) { ++ready; });
    EXPECT_EQ(cache.find(loud), nullptr);
    cache.request({loud, quiet, (folder / "gone.wav").string()});
    cache.waitForIdle();
    EXPECT_FALSE(cache.busy());
    EXPECT_EQ(ready, 2); // a missing file needs no reading
    ASSERT_NE(cache.find(loud), nullptr);
    EXPECT_FLOAT_EQ(cache.find(loud)->peak, 0.5F);
    EXPECT_EQ(cache.find((folder / "gone.wav").string())->state, SampleFacts::State::Missing);

    // Known files are not measured again; a file that changed is.
    cache.request({loud, quiet});
    cache.waitForIdle();
    EXPECT_EQ(ready, 2);
    writeFile(quiet, waveFile(kFormatPcm, 1, 44100, 16, pcm16({32767, 0, 0})));
    EXPECT_EQ(cache.find(quiet), nullptr);
    EXPECT_FLOAT_EQ(cache.measure(quiet)->peak, 32767.0F / 32768.0F);

    cache.retainOnly({quiet});
    fs::remove(loud);
    EXPECT_EQ(cache.find(loud)->state, SampleFacts::State::Missing);
    fs::remove_all(folder);
}

} // namespace
} // namespace padsmith
