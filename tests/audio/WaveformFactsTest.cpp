// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SampleFacts.h"
#include "audio/SampleFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace padsmith {
namespace {

// 16-bit frames of a stereo file at 8 kHz, as WAVE data.
std::string framesOf(const std::vector<std::pair<int, int>>& frames) {
    std::string data;
    for (const auto& [left, right] : frames) {
        testing::appendLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(left)), 2);
        testing::appendLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(right)), 2);
    }
    return data;
}

// What the waveform shows comes from one reading: the envelope per channel, the peak, silence
// at the start (below -60 dBFS for more than 5 ms) and runs of 3 or more full-scale samples.
TEST(WaveformFacts, EnvelopeSilenceAndClippingOfASynthesizedFile) {
    struct Case {
        const char* what;
        int silentFrames; // at 8 kHz, 40 frames are 5 ms
        int quietLevel;   // of the silence
        int fullRun;      // full-scale samples in a row on the left, at frame 2000
        std::uint64_t expectedSilence;
        bool silentStart;
        std::vector<std::uint64_t> clips;
    };
    const std::vector<Case> cases = {
        {"10 ms of near silence, then a clipped run", 80, 30, 5, 80, true, {80 + 2000}},
        {"silence of exactly 5 ms is not marked", 40, 0, 0, 40, false, {}},
        {"-60 dBFS is heard", 80, 33, 0, 0, false, {}},
        {"two full-scale samples are no clipping", 0, 0, 2, 0, false, {}},
        {"three are", 0, 0, 3, 0, false, {2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<int, int>> frames;
        for (int f = 0; f < c.silentFrames; ++f) {
            frames.emplace_back(f % 2 == 0 ? c.quietLevel : -c.quietLevel, 0);
        }
        // Half scale on the left, a quarter on the right with the opposite sign.
        for (int f = 0; f < 4000; ++f) {
            const int left = f % 8 < 4 ? 16384 : -16384;
            frames.emplace_back(left, -left / 2);
        }
        for (int f = 0; f < c.fullRun; ++f) {
            frames[static_cast<std::size_t>(c.silentFrames + 2000 + f)].first = 32767;
        }
        const SampleFacts facts =
            measureSampleData(testing::waveFile(kFormatPcm, 2, 8000, 16, framesOf(frames)));
        ASSERT_EQ(facts.state, SampleFacts::State::Ok);
        EXPECT_EQ(facts.frames, frames.size());
        EXPECT_EQ(facts.leadingSilence, c.expectedSilence);
        EXPECT_EQ(facts.silentStart(), c.silentStart);
        EXPECT_EQ(facts.clips, c.clips);

        // The envelope: every bucket of the sound spans the wave, the right at half the left.
        ASSERT_EQ(facts.buckets, SampleFacts::kEnvelopeBuckets);
        const SampleFacts::Span* left = facts.channelEnvelope(0);
        const SampleFacts::Span* right = facts.channelEnvelope(1);
        ASSERT_NE(left, nullptr);
        ASSERT_NE(right, nullptr);
        const std::size_t last = facts.buckets - 1;
        EXPECT_EQ(left[last].min, -16384);
        EXPECT_EQ(left[last].max, 16384);
        EXPECT_EQ(right[last].min, -8192);
        EXPECT_EQ(right[last].max, 8192);
        if (c.silentFrames >= 80) {
            EXPECT_LE(left[0].max, c.quietLevel);
            EXPECT_EQ(right[0].max, 0);
        }
        const double peak = c.fullRun > 0 ? 0.0 : -6.02;
        EXPECT_NEAR(facts.peakDecibels(), peak, 0.01);
    }
}

} // namespace
} // namespace padsmith
