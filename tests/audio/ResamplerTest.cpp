// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion to the output's rate, measured on its spectrum, and the mixing of voices.
#include "audio/Resampler.h"

#include "audio/SampleFiles.h"
#include "audio/VoiceMixer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace padsmith {
namespace {

using namespace padsmith::testing;

// Converts `input` handing it over in pieces of `piece` bytes.
std::vector<float> convert(const std::string& input, int rate, int channels, int outRate,
                           std::size_t piece) {
    Resampler resampler(rate, channels, outRate);
    std::vector<float> out;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        resampler.process(input.data() + at, std::min(piece, input.size() - at), out);
    }
    resampler.finish(out);
    return out;
}

// Level in dB relative to full scale of each bin of the left channel's spectrum, taken over
// `size` frames from the middle of the signal through a Blackman-Harris window (side lobes
// below -92 dB).
std::vector<double> spectrum(const std::vector<float>& stereo, std::size_t size) {
    const std::size_t frames = stereo.size() / 2;
    const std::size_t start = (frames - size) / 2;
    std::vector<std::complex<double>> bins(size);
    double windowSum = 0.0;
    for (std::size_t i = 0; i < size; ++i) {
        const double x =
            2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(size);
        const double w =
            0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
        windowSum += w;
        bins[i] = stereo[(start + i) * 2] * w;
    }
    // Iterative radix-2 FFT.
    for (std::size_t i = 1, j = 0; i < size; ++i) {
        std::size_t bit = size >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(bins[i], bins[j]);
        }
    }
    for (std::size_t length = 2; length <= size; length <<= 1) {
        const std::complex<double> step =
            std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(length));
        for (std::size_t i = 0; i < size; i += length) {
            std::complex<double> turn = 1.0;
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> a = bins[i + k];
                const std::complex<double> b = bins[i + k + length / 2] * turn;
                bins[i + k] = a + b;
                bins[i + k + length / 2] = a - b;
                turn *= step;
            }
        }
    }
    std::vector<double> levels(size / 2);
    for (std::size_t k = 0; k < size / 2; ++k) {
        const double amplitude = 2.0 * std::abs(bins[k]) / windowSum;
        levels[k] = 20.0 * std::log10(std::max(amplitude, 1e-12));
    }
    return levels;
}

// Level in dB relative to full scale of the tone at `frequency`, over the same frames and window
// as spectrum(), measured at the tone's own frequency rather than at the nearest bin.
double toneLevel(const std::vector<float>& stereo, std::size_t size, double frequency, int rate) {
    const std::size_t start = (stereo.size() / 2 - size) / 2;
    std::complex<double> sum = 0.0;
    double windowSum = 0.0;
    for (std::size_t i = 0; i < size; ++i) {
        const double x =
            2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(size);
        const double w =
            0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
        windowSum += w;
        sum += stereo[(start + i) * 2] * w *
               std::polar(1.0, -2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    }
    return 20.0 * std::log10(2.0 * std::abs(sum) / windowSum);
}

TEST(Resampler, ConvertsCommonRatesWithoutImagesOrAliases) {
    struct Case {
        int inputRate;
        int outputRate;
        double tone;
        bool heard; // false: above what the output can carry, so it must vanish
    };
    const Case cases[] = {
        {44100, 48000, 15000, true}, {48000, 44100, 15000, true},  {96000, 48000, 30000, false},
        {96000, 48000, 10000, true}, {88200, 44100, 30000, false}, {22050, 48000, 5000, true},
        {32000, 44100, 12000, true}, {44100, 96000, 18000, true},
    };
    constexpr std::size_t kSize = 16384;
    constexpr double kToneLevel = -6.02; // amplitude 0.5
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.inputRate) + " -> " + std::to_string(c.outputRate) + " at " +
                     std::to_string(static_cast<int>(c.tone)) + " Hz");
        const std::string tone =
            sineData(c.tone, 1.0, static_cast<std::uint32_t>(c.inputRate), 1, 16);
        const std::vector<float> out = convert(tone, c.inputRate, 1, c.outputRate, 4096);
        // Every input frame comes out, no more: the filter's delay is taken out.
        EXPECT_NEAR(static_cast<double>(out.size() / 2), static_cast<double>(c.outputRate), 2.0);

        const std::vector<double> levels = spectrum(out, kSize);
        const double binHz = static_cast<double>(c.outputRate) / kSize;
        const auto toneBin = static_cast<std::size_t>(std::lround(c.tone / binHz));
        double loudestOther = -300.0;
        for (std::size_t k = 0; k < levels.size(); ++k) {
            const bool nearTone = c.heard && (k + 6 > toneBin && k < toneBin + 6);
            if (!nearTone) {
                loudestOther = std::max(loudestOther, levels[k]);
            }
        }
        if (c.heard) {
            EXPECT_NEAR(toneLevel(out, kSize, c.tone, c.outputRate), kToneLevel, 0.1);
        }
        EXPECT_LT(loudestOther, -80.0);
    }
}

TEST(Resampler, PiecesOfAnySizeGiveTheSameResultAndChannelsMapToStereo) {
    const std::string tone = sineData(1000, 0.25, 48000, 2, 16);
    const std::vector<float> whole = convert(tone, 48000, 2, 44100, tone.size());
    for (const std::size_t piece :
         {std::size_t{1}, std::size_t{3}, std::size_t{6}, std::size_t{1000}}) {
        const std::vector<float> pieces = convert(tone, 48000, 2, 44100, piece);
        ASSERT_EQ(pieces.size(), whole.size()) << piece;
        float worst = 0.0F;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            worst = std::max(worst, std::fabs(pieces[i] - whole[i]));
        }
        EXPECT_LT(worst, 1e-6F) << piece;
    }

    // The same rate passes every sample through; mono goes to both sides, of four channels the
    // first two are played.
    std::string mono;
    for (int i = 0; i < 100; ++i) {
        appendLe(mono, static_cast<std::uint16_t>(i * 300 - 15000), 2);
    }
    const std::vector<float> both = convert(mono, 44100, 1, 44100, 7);
    ASSERT_EQ(both.size(), 200U);
    EXPECT_FLOAT_EQ(both[2 * 10], (10 * 300 - 15000) / 32768.0F);
    EXPECT_FLOAT_EQ(both[2 * 10 + 1], both[2 * 10]);
    std::string quad;
    for (int i = 0; i < 10; ++i) {
        for (int c = 0; c < 4; ++c) {
            appendLe(quad, static_cast<std::uint16_t>(i * 10 + c), 2);
        }
    }
    const std::vector<float> front = convert(quad, 48000, 4, 48000, 5);
    ASSERT_EQ(front.size(), 20U);
    EXPECT_FLOAT_EQ(front[6] * 32768.0F, 30.0F);
    EXPECT_FLOAT_EQ(front[7] * 32768.0F, 31.0F);
}

std::shared_ptr<const PlayableSample> constantSample(std::int16_t value, std::size_t frames) {
    auto sample = std::make_shared<PlayableSample>();
    sample->readable = true;
    sample->format = SampleFormat{kFormatPcm, 1, 44100, 88200, 2, 16, 0};
    for (std::size_t i = 0; i < frames; ++i) {
        appendLe(sample->data, static_cast<std::uint16_t>(value), 2);
    }
    return sample;
}

std::vector<std::int16_t> render(VoiceMixer& mixer, std::size_t frames) {
    std::string bytes;
    mixer.render(frames, bytes);
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
}

TEST(VoiceMixer, VoicesSoundTogetherUnderTheLimiterAndAPreviewSoundsAlone) {
    VoiceMixer mixer(44100);
    // Two quiet voices add up exactly.
    mixer.start("a", constantSample(1000, 1000), nullptr, false);
    mixer.start("b", constantSample(2000, 500), nullptr, false);
    std::vector<std::int16_t> out = render(mixer, 100);
    EXPECT_NEAR(out[0], 3000, 1);
    EXPECT_EQ(mixer.voices().size(), 2U);
    out = render(mixer, 600); // "b" ends within this block, "a" goes on
    EXPECT_NEAR(out[2 * 350], 3000, 1);
    EXPECT_NEAR(out[2 * 450], 1000, 1);
    ASSERT_EQ(mixer.voices().size(), 1U);
    EXPECT_EQ(mixer.voices()[0].path, "a");
    EXPECT_EQ(mixer.voices()[0].frame, 700U);
    EXPECT_EQ(mixer.voices()[0].length, 1000U);

    // Loud voices together neither wrap nor stick flat at full scale.
    mixer.stopAll();
    for (int i = 0; i < 4; ++i) {
        mixer.start("loud", constantSample(30000, 44100), nullptr, false);
    }
    out = render(mixer, 4410);
    const auto [low, high] = std::minmax_element(out.begin(), out.end());
    EXPECT_GT(*low, 0) << "the sum wrapped";
    EXPECT_LE(*high, 32767);
    EXPECT_GT(*high, 30000);

    // The seventeenth voice ends the oldest; a preview ends them all.
    mixer.stopAll();
    const int first = mixer.start("first", constantSample(1, 44100), nullptr, false);
    for (int i = 1; i < VoiceMixer::kMaxVoices; ++i) {
        mixer.start("more", constantSample(1, 44100), nullptr, false);
    }
    EXPECT_TRUE(mixer.isSounding(first));
    mixer.start("one more", constantSample(1, 44100), nullptr, false);
    EXPECT_FALSE(mixer.isSounding(first));
    EXPECT_EQ(mixer.voices().size(), static_cast<std::size_t>(VoiceMixer::kMaxVoices));
    const int solo = mixer.start("preview", constantSample(500, 44100), nullptr, true);
    ASSERT_EQ(mixer.voices().size(), 1U);
    EXPECT_EQ(mixer.voices()[0].id, solo);
    out = render(mixer, 10);
    EXPECT_NEAR(out[0], 500, 1);
}

TEST(VoiceMixer, SideGainsAndConvertedSamplesSoundAlikeFromEitherKindOfVoice) {
    const std::shared_ptr<const ConvertedSample> converted =
        convertSample(*constantSample(1000, 300), 44100);
    ASSERT_TRUE(converted);
    const VoiceGain gain{2.0F, 0.5F};

    // The mixer's own voice of it, as an offline render plays it.
    VoiceMixer own(44100);
    EXPECT_EQ(own.start("other rate", convertSample(*constantSample(1000, 300), 48000)), 0);
    ASSERT_NE(own.start("c", converted, gain), 0);
    std::vector<float> offline;
    own.mix(400, offline);
    ASSERT_EQ(offline.size(), 800U);
    EXPECT_FALSE(own.sounding());

    // The same sample as a voice of the caller's, as the audio thread plays it.
    VoiceMixer callback(44100);
    Voice voice(7, "c", converted, 44100, gain);
    ASSERT_TRUE(voice.valid());
    callback.add(&voice, false);
    std::vector<float> live(800);
    callback.render(400, live.data());
    EXPECT_EQ(live, offline);
    EXPECT_EQ(callback.takeRetired(), &voice);
    EXPECT_EQ(callback.takeRetired(), nullptr);

    // Each side takes its own gain, and nothing follows the sample's end.
    const std::size_t floats = converted->frames.size();
    ASSERT_GT(floats, 2U * 200);
    EXPECT_EQ(live[200], converted->frames[200] * 2.0F);
    EXPECT_EQ(live[201], converted->frames[201] * 0.5F);
    for (std::size_t i = floats; i < live.size(); ++i) {
        ASSERT_EQ(live[i], 0.0F) << i;
    }

    // A voice converting as it plays takes its gains the same way.
    Voice plain(8, "p", constantSample(1000, 300), nullptr, 44100);
    Voice louder(9, "p", constantSample(1000, 300), nullptr, 44100, gain);
    plain.fill();
    louder.fill();
    std::vector<float> one(600, 0.0F);
    std::vector<float> two(600, 0.0F);
    ASSERT_EQ(plain.mixInto(one.data(), 300), louder.mixInto(two.data(), 300));
    for (std::size_t i = 0; i < one.size(); i += 2) {
        ASSERT_EQ(two[i], one[i] * 2.0F) << i;
        ASSERT_EQ(two[i + 1], one[i + 1] * 0.5F) << i;
    }
}

} // namespace
} // namespace padsmith
