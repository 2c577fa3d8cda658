// The sample cache's bound, its order of eviction, its check of the file, and its background
// fill; the conversion to the output's format.
#include "audio/SampleCache.h"

#include "audio/RateConverter.h"
#include "audio/SampleFiles.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {
namespace {

using namespace padsmith::testing;

std::shared_ptr<const PlayableSample> sampleOf(std::size_t bytes) {
    auto sample = std::make_shared<PlayableSample>();
    sample->readable = true;
    sample->format = SampleFormat{kFormatPcm, 1, 44100, 88200, 2, 16, 0};
    sample->data.assign(bytes, '\1');
    return sample;
}

FileStamp stamp(std::uintmax_t size) {
    return FileStamp{size, std::filesystem::file_time_type{}};
}

TEST(SampleCache, KeepsWithinItsBoundAndDropsTheLeastRecentlyUsed) {
    const std::size_t entry = 1000 + sizeof(PlayableSample);
    SampleCache cache(3 * entry);
    cache.insert("a", stamp(1), sampleOf(1000));
    cache.insert("b", stamp(1), sampleOf(1000));
    cache.insert("c", stamp(1), sampleOf(1000));
    EXPECT_EQ(cache.size(), 3U);
    EXPECT_EQ(cache.usedBytes(), 3 * entry);
    // Using "a" makes "b" the oldest, so "d" pushes out "b".
    EXPECT_TRUE(cache.find("a", stamp(1)));
    cache.insert("d", stamp(1), sampleOf(1000));
    EXPECT_TRUE(cache.contains("a"));
    EXPECT_FALSE(cache.contains("b"));
    EXPECT_TRUE(cache.contains("c"));
    // A big one pushes out as many as it needs, oldest first.
    cache.insert("e", stamp(1), sampleOf(2000));
    EXPECT_FALSE(cache.contains("c"));
    EXPECT_FALSE(cache.contains("a"));
    EXPECT_TRUE(cache.contains("d"));
    EXPECT_LE(cache.usedBytes(), cache.limit());
    // Larger than the whole bound: not kept, nothing pushed out for it.
    cache.insert("huge", stamp(1), sampleOf(4 * entry));
    EXPECT_FALSE(cache.contains("huge"));
    EXPECT_TRUE(cache.contains("d"));
    // A smaller bound trims at once; 0 turns the cache off.
    cache.setLimit(2000 + sizeof(PlayableSample) + 10);
    EXPECT_EQ(cache.size(), 1U);
    EXPECT_TRUE(cache.contains("e"));
    cache.setLimit(0);
    EXPECT_EQ(cache.size(), 0U);
    EXPECT_EQ(cache.usedBytes(), 0U);
}

TEST(SampleCache, AChangedFileIsNeverServedFromMemory) {
    SampleCache cache;
    cache.insert("kick.wav", stamp(100), sampleOf(10));
    EXPECT_FALSE(cache.find("kick.wav", stamp(101)));
    EXPECT_FALSE(cache.contains("kick.wav")); // dropped, not just skipped
    cache.insert("kick.wav", stamp(100), sampleOf(10));
    cache.invalidate("kick.wav");
    EXPECT_FALSE(cache.find("kick.wav", stamp(100)));
    EXPECT_EQ(cache.usedBytes(), 0U);
    // Samples without data (unreadable or unplayable files) are not kept.
    cache.insert("silent.wav", stamp(1), sampleOf(0));
    EXPECT_EQ(cache.size(), 0U);
}

TEST(SampleCache, BackgroundFillTakesOnlyFreeRoomAndMatchesTheFile) {
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-cache-fill-test";
    std::filesystem::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        const auto path = folder / ("s" + std::to_string(i) + ".wav");
        writeFile(path,
                  waveFile(kFormatPcm, 1, 44100, 16, std::string(20000, static_cast<char>(i))));
        paths.push_back(path.string());
    }
    writeFile(folder / "notes.wav", "not a sample");
    paths.push_back((folder / "notes.wav").string());

    // Room for two decoded samples and a bit; "played" was put there by the user.
    SampleCache cache(2 * (20000 + sizeof(PlayableSample)) + 10000);
    cache.insert("played", stamp(1), sampleOf(20000));
    cache.fill(paths);
    cache.waitForFill();
    EXPECT_TRUE(cache.contains("played"));
    EXPECT_TRUE(cache.contains(paths[0]));
    EXPECT_FALSE(cache.contains(paths[1])); // no room left, and the fill pushes nothing out
    EXPECT_FALSE(cache.contains(paths[4]));

    const auto found = cache.find(paths[0], *stampOf(paths[0]));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data, readSample(paths[0]).data);
    EXPECT_EQ(found->infoText, readSample(paths[0]).infoText);

    // A file that asked for at once goes before the rest, and is kept if there is room.
    cache.invalidate("played");
    cache.fillFirst(paths[3]);
    cache.waitForFill();
    EXPECT_TRUE(cache.contains(paths[3]));

    // Rewritten on disk: the stamp no longer matches.
    writeFile(paths[0], waveFile(kFormatPcm, 1, 44100, 16, std::string(20002, '\7')));
    const auto changed = stampOf(paths[0]);
    ASSERT_TRUE(changed);
    EXPECT_FALSE(cache.find(paths[0], *changed));
    EXPECT_FALSE(stampOf(folder / "missing.wav"));
    std::filesystem::remove_all(folder);
}

std::vector<std::int16_t> samplesOf(const std::string& bytes) {
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

// Converts all of `input` handing it over in pieces of `piece` bytes and taking the output
// in pieces of `take` frames, as the player does.
std::string convertInPieces(const std::string& input, int rate, int channels, int outRate,
                            std::size_t piece, std::size_t take) {
    RateConverter converter(rate, channels, outRate);
    std::string out;
    std::size_t at = 0;
    while (!converter.drained()) {
        const std::size_t wanted = converter.inputFramesFor(take) * 2 * channels;
        const std::size_t give = std::min({std::max(wanted, piece), input.size() - at});
        converter.push(input.data() + at, give);
        at += give;
        if (at == input.size()) {
            converter.finish();
        }
        converter.pull(take, out);
    }
    return out;
}

TEST(RateConverter, SameRateKeepsEverySampleAndMonoGoesToBothSides) {
    std::string mono;
    for (int i = 0; i < 1000; ++i) {
        appendLe(mono, static_cast<std::uint16_t>(i * 37), 2);
    }
    const std::vector<std::int16_t> out = samplesOf(convertInPieces(mono, 44100, 1, 44100, 3, 64));
    ASSERT_EQ(out.size(), 2000U);
    for (std::size_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(out[2 * i], static_cast<std::int16_t>(i * 37));
        ASSERT_EQ(out[2 * i + 1], out[2 * i]);
    }
    // Four channels: the first two are played.
    std::string quad;
    for (int i = 0; i < 10; ++i) {
        for (int c = 0; c < 4; ++c) {
            appendLe(quad, static_cast<std::uint16_t>(i * 10 + c), 2);
        }
    }
    const std::vector<std::int16_t> front = samplesOf(convertInPieces(quad, 48000, 4, 48000, 5, 3));
    ASSERT_EQ(front.size(), 20U);
    EXPECT_EQ(front[6], 30);
    EXPECT_EQ(front[7], 31);
}

// The frequency of a tone, from its upward zero crossings.
double frequencyOf(const std::vector<std::int16_t>& stereo, int rate) {
    int crossings = 0;
    for (std::size_t i = 2; i < stereo.size(); i += 2) {
        crossings += stereo[i - 2] < 0 && stereo[i] >= 0 ? 1 : 0;
    }
    return crossings / (static_cast<double>(stereo.size() / 2) / rate);
}

TEST(RateConverter, OtherRatesKeepPitchAndLengthWhateverThePieces) {
    for (const int rate : {22050, 48000, 96000}) {
        const std::string tone = sineData(1000, 1.0, static_cast<std::uint32_t>(rate), 2, 16);
        const std::string whole = convertInPieces(tone, rate, 2, 44100, tone.size(), 1 << 20);
        const std::string pieces = convertInPieces(tone, rate, 2, 44100, 6, 7);
        EXPECT_TRUE(whole == pieces) << rate;
        const std::vector<std::int16_t> out = samplesOf(whole);
        EXPECT_NEAR(static_cast<double>(out.size() / 2), 44100.0, 3.0) << rate;
        EXPECT_NEAR(frequencyOf(out, 44100), 1000.0, 3.0) << rate;
    }
}

} // namespace
} // namespace padsmith
