// SPDX-License-Identifier: GPL-3.0-or-later
// The sample cache's bound, its order of eviction, its check of the file, and its background
// fill.
#include "audio/SampleCache.h"

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

TEST(SampleCache, AdmitsByDecodedSizeAndKeepsWhatIsPlayed) {
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-cache-admit-test";
    std::filesystem::create_directories(folder);
    auto file = [&folder](const std::string& name, std::uint16_t bits, std::size_t bytes) {
        const auto path = folder / name;
        writeFile(path, waveFile(kFormatPcm, 1, 44100, bits, std::string(bytes, '\3')));
        return path.string();
    };
    const std::size_t entry = 20000 + sizeof(PlayableSample) + 200; // with its info text
    std::vector<std::string> small;
    for (int i = 0; i < 4; ++i) {
        small.push_back(file("s" + std::to_string(i) + ".wav", 16, 20000));
    }
    // 16-bit data decodes to its full size: half of it would fit, all of it does not.
    const std::string tooBig = file("big.wav", 16, 4 * entry);
    // 24-bit data decodes to two thirds of its size on disk.
    const std::string wide = file("wide.wav", 24, 30000);

    SampleCache cache(3 * entry);
    cache.fill({tooBig, small[0], small[1], small[2], small[3]});
    cache.waitForFill();
    EXPECT_EQ(cache.filesRead(), 3U) << "only what fits the free room is read";
    EXPECT_TRUE(cache.contains(small[0]) && cache.contains(small[1]) && cache.contains(small[2]));
    EXPECT_FALSE(cache.contains(small[3]));
    EXPECT_FALSE(cache.contains(tooBig));
    EXPECT_LE(cache.usedBytes(), cache.limit());

    // Asked again, after an edit or as a played sample: the big file is still not read.
    cache.fill({tooBig, small[0], small[1], small[2], small[3]});
    cache.fillFirst(tooBig);
    cache.waitForFill();
    EXPECT_EQ(cache.filesRead(), 3U);

    // A played sample pushes out the one played least recently; the fill never does.
    EXPECT_TRUE(cache.find(small[1], *stampOf(small[1])));
    EXPECT_TRUE(cache.find(small[0], *stampOf(small[0])));
    cache.fillFirst(small[3]);
    cache.waitForFill();
    EXPECT_TRUE(cache.contains(small[3]));
    EXPECT_TRUE(cache.contains(small[0]) && cache.contains(small[1]));
    EXPECT_FALSE(cache.contains(small[2]));
    EXPECT_GT(cache.lastPlayed(small[3]), cache.lastPlayed(small[0]));
    EXPECT_GT(cache.lastPlayed(small[0]), cache.lastPlayed(small[1]));
    EXPECT_EQ(cache.lastPlayed(small[2]), 0U);
    EXPECT_LE(cache.usedBytes(), cache.limit());

    // Larger on disk than the bound, smaller decoded: kept when played.
    SampleCache narrow(30000);
    narrow.fillFirst(wide);
    narrow.waitForFill();
    EXPECT_TRUE(narrow.contains(wide));
    const auto decoded = narrow.find(wide, *stampOf(wide));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->data, readSample(wide).data);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace padsmith
