// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioFile.h"

#include "audio/SampleFiles.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <vector>

namespace padsmith {
namespace {

using namespace padsmith::testing;
using Samples = std::vector<std::int16_t>;

Samples samplesOf(const SampleBuffer& data) {
    Samples samples(data.size() / 2);
    std::memcpy(samples.data(), data.data(), samples.size() * 2);
    return samples;
}

template <typename T> std::string raw(std::initializer_list<T> values) {
    return std::string(reinterpret_cast<const char*>(std::data(values)), values.size() * sizeof(T));
}

std::string le(std::initializer_list<std::uint64_t> values, int bytes) {
    std::string out;
    for (const std::uint64_t value : values) {
        appendLe(out, value, bytes);
    }
    return out;
}

std::string be(std::initializer_list<std::uint64_t> values, int bytes) {
    std::string out;
    for (const std::uint64_t value : values) {
        appendBe(out, value, bytes);
    }
    return out;
}

PlayableSample decode(std::string_view file, std::string* diagnostics = nullptr) {
    std::ostringstream out;
    PlayableSample sample = decodeSample(file, out);
    if (diagnostics != nullptr) {
        *diagnostics = out.str();
    }
    return sample;
}

Samples wave(std::uint16_t tag, std::uint16_t bits, std::string_view data) {
    return samplesOf(decode(waveFile(tag, 1, 44100, bits, data)).data);
}

TEST(WaveReader, DescribesASecondOfCdAudio) {
    const std::string data(176400, '\x01');
    const PlayableSample sample = decode(waveFile(kFormatPcm, 2, 44100, 16, data));
    EXPECT_TRUE(sample.readable);
    EXPECT_EQ(sample.infoText, "File Format:\tMicrosoft Wave\nAttributes:\tStereo 16 bit / 44 "
                               "kHz\nLength:\t\t1s0ms / 172,27 KB");
    EXPECT_EQ(sample.data, data);
}

TEST(WaveReader, ConvertsEveryIntegerWidthToTheUpperSixteenBits) {
    // 8-bit WAVE samples are unsigned around 128.
    EXPECT_EQ(wave(kFormatPcm, 8, le({0x00, 0x80, 0xFF}, 1)), (Samples{-32768, 0, 32512}));
    EXPECT_EQ(wave(kFormatPcm, 24, le({0x7FFFFF, 0x800000, 0x123456}, 3)),
              (Samples{32767, -32768, 0x1234}));
    // 32-bit integers are not floats: a quiet sample stays quiet.
    EXPECT_EQ(wave(kFormatPcm, 32, le({0x7FFFFFFF, 0x80000000, 0x12345678, 0xFFFF}, 4)),
              (Samples{32767, -32768, 0x1234, 0}));

    const PlayableSample stereo = decode(waveFile(kFormatPcm, 2, 48000, 24, std::string(30, 'x')));
    EXPECT_EQ(stereo.format, (SampleFormat{kFormatPcm, 2, 48000, 192000, 4, 16, 0}));
    EXPECT_EQ(stereo.data.size(), 5U * 4);
    EXPECT_NE(stereo.infoText.find("Stereo 24 bit / 48 kHz"), std::string::npos);
}

TEST(WaveReader, ScalesFloatsAndClipsBeyondFullScale) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(wave(kFormatFloat, 32, raw<float>({0.5F, -0.25F, -1.0F, 1.0F, 2.0F, -3.0F, nan})),
              (Samples{16384, -8192, -32768, 32767, 32767, -32768, 0}));
    EXPECT_EQ(wave(kFormatFloat, 64, raw<double>({0.5, -1.0})), (Samples{16384, -32768}));
}

TEST(WaveReader, ExtensibleFilesPlayLikeTheirSubFormat) {
    const auto extensible = [](std::uint16_t subFormat, std::uint16_t bits, std::string_view data) {
        return decode(riffWave(chunk("fmt ", extensibleFormatBody(subFormat, 1, 96000, bits)) +
                               chunk("data", data)));
    };
    const PlayableSample integer = extensible(kFormatPcm, 24, le({0x123456, 0xFEDCBA}, 3));
    EXPECT_EQ(samplesOf(integer.data), (Samples{0x1234, -0x0124}));
    EXPECT_NE(integer.infoText.find("Mono 24 bit / 96 kHz"), std::string::npos);
    EXPECT_EQ(samplesOf(extensible(kFormatFloat, 32, raw<float>({0.5F})).data), (Samples{16384}));

    // Unknown sub-formats and compressed files are described, never played as noise.
    const PlayableSample other = extensible(0x55, 16, le({1, 2}, 2));
    EXPECT_TRUE(other.readable);
    EXPECT_TRUE(other.data.empty());
    const PlayableSample alaw = decode(waveFile(6, 1, 8000, 8, std::string(100, 'U')));
    EXPECT_TRUE(alaw.readable);
    EXPECT_TRUE(alaw.data.empty());
}

TEST(WaveReader, FindsItsChunksAmongOthersAndNeedsBoth) {
    const std::string format = chunk("fmt ", waveFormatBody(kFormatPcm, 1, 44100, 16));
    const std::string data = chunk("data", le({1, 2, 3}, 2));
    EXPECT_EQ(samplesOf(decode(riffWave(chunk("JUNK", "abc") + format + chunk("LIST", "INFOx") +
                                        data + chunk("smpl", "1234")))
                            .data),
              (Samples{1, 2, 3}));
    for (const std::string& file : {riffWave(format), riffWave(data), riffWave(data + format),
                                    riffWave(chunk("fmt ", "short") + data), riffWave("")}) {
        const PlayableSample sample = decode(file);
        EXPECT_FALSE(sample.readable);
        EXPECT_EQ(sample.infoText, "File Format: ?");
        EXPECT_TRUE(sample.data.empty());
    }
}

TEST(WaveReader, TrustsOnlyWhatTheFileReallyHolds) {
    const std::string format = chunk("fmt ", waveFormatBody(kFormatPcm, 1, 44100, 16));
    // A data chunk that claims 2 GB but holds 6 bytes.
    std::string lying = riffWave(format + "data");
    appendLe(lying, 0x7FFFFFF0, 4);
    const PlayableSample sample = decode(lying + le({7, 8, 9}, 2));
    EXPECT_EQ(samplesOf(sample.data), (Samples{7, 8, 9}));
    EXPECT_NE(sample.infoText.find("/ 6 bytes"), std::string::npos);

    // A RIFF size of 0, as cut-off recordings leave it.
    std::string cutOff = waveFile(kFormatPcm, 1, 44100, 16, le({5}, 2));
    std::memset(cutOff.data() + 4, 0, 4);
    EXPECT_EQ(samplesOf(decode(cutOff).data), (Samples{5}));

    // Every truncation reads safely, never yields more than it holds nor a part frame.
    const std::string whole = waveFile(kFormatPcm, 2, 44100, 16, le({1, 2, 3, 4}, 2));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const PlayableSample part = decode(std::string_view(whole).substr(0, length));
        EXPECT_LE(part.data.size(), 8U);
        EXPECT_EQ(part.data.size() % 4, 0U) << "cut at " << length;
    }
}

TEST(AiffReader, ReadsBigEndianDataOfEveryWidthAtItsOwnRate) {
    const PlayableSample sample = decode(aiffFile(2, 22050, 16, be({0x1234, 0xFEDC}, 2)));
    EXPECT_EQ(sample.infoText, "File Format:\tApple AIFF\nAttributes:\tStereo 16 bit / 22 "
                               "kHz\nLength:\t\t0ms / 4 bytes");
    EXPECT_EQ(sample.format.samplesPerSecond, 22050U);
    EXPECT_EQ(samplesOf(sample.data), (Samples{0x1234, -0x0124}));
    // Odd sample counts lose no sample; 8-bit AIFF is signed.
    EXPECT_EQ(samplesOf(decode(aiffFile(1, 44100, 24, be({0x123456, 0x800000, 0x7FFFFF}, 3))).data),
              (Samples{0x1234, -32768, 32767}));
    EXPECT_EQ(samplesOf(decode(aiffFile(1, 11025, 8, be({0x80, 0x00, 0x7F}, 1))).data),
              (Samples{-32768, 0, 32512}));
    EXPECT_EQ(samplesOf(decode(aiffFile(1, 44100, 32, be({0x12345678}, 4))).data),
              (Samples{0x1234}));
}

TEST(AiffReader, FindsItsChunksAmongOthersAndPlaysUncompressedAiffC) {
    const std::string common = chunk("COMM", aiffCommonBody(1, 1, 16, 48000), true);
    const std::string sound = chunk("SSND", soundBody(be({0x0102}, 2), 3), true);
    const PlayableSample sample = decode(
        iffForm("AIFF", chunk("FVER", "1234", true) + common + chunk("ANNO", "odd", true) + sound));
    EXPECT_EQ(samplesOf(sample.data), (Samples{0x0102}));
    EXPECT_EQ(sample.format.samplesPerSecond, 48000U);

    const auto aifc = [](std::string_view type, std::string_view data) {
        const std::string body =
            aiffCommonBody(1, 1, 16, 44100) + std::string(type) + std::string("\x04none\0", 6);
        return decode(iffForm("AIFC", chunk("FVER", "abcd", true) + chunk("COMM", body, true) +
                                          chunk("SSND", soundBody(data), true)));
    };
    EXPECT_EQ(samplesOf(aifc("NONE", be({0x0102}, 2)).data), (Samples{0x0102}));
    EXPECT_EQ(samplesOf(aifc("sowt", le({0x0102}, 2)).data), (Samples{0x0102}));
    const PlayableSample compressed = aifc("ima4", be({0x0102}, 2));
    EXPECT_TRUE(compressed.readable);
    EXPECT_TRUE(compressed.data.empty());
}

TEST(AiffReader, ReportsMalformedHeadersAndRejectsFilesWithoutCommonChunk) {
    const std::string sound = chunk("SSND", soundBody(be({0x0102}, 2)), true);
    std::string diagnostics;
    PlayableSample sample =
        decode(iffForm("AIFF", chunk("COMM", aiffCommonBody(1, 1, 16, 44100) + "xx", true) + sound),
               &diagnostics);
    EXPECT_EQ(diagnostics, "AIFF COMM chunk has bad size\n");
    EXPECT_EQ(samplesOf(sample.data), (Samples{0x0102}));

    sample =
        decode(iffForm("AIFF", chunk("COMM", aiffCommonBody(1, 1, 16, 44100), true)), &diagnostics);
    EXPECT_EQ(diagnostics, "AIFF header doesn't have 'SSND' chunk\n");
    EXPECT_TRUE(sample.readable);
    EXPECT_TRUE(sample.data.empty());

    EXPECT_EQ(decode(iffForm("AIFF", sound)).infoText, "File Format: ?");
    EXPECT_FALSE(decode(iffForm("8SVX", "")).readable);
}

TEST(AiffReader, SoundDataShorterThanClaimedGivesWhatIsThere) {
    std::string file = aiffFile(1, 44100, 16, be({0x0102, 0x0304}, 2));
    const PlayableSample sample = decode(std::string_view(file).substr(0, file.size() - 1));
    EXPECT_EQ(samplesOf(sample.data), (Samples{0x0102}));
    EXPECT_NE(sample.infoText.find("/ 3 bytes"), std::string::npos);

    // An offset beyond the chunk leaves no data rather than reading elsewhere.
    file[file.find("SSND") + 8] = '\x7F';
    EXPECT_TRUE(decode(file).data.empty());
}

TEST(SampleInfo, DurationAndDescriptionTexts) {
    EXPECT_EQ(durationText(1500, 1000), "1s500ms");
    EXPECT_EQ(durationText(61234, 1000), "1mn1se234ms");
    EXPECT_EQ(durationText(999, 1000), "999ms");
    EXPECT_EQ(durationText(60000, 1000), "1mn0se0ms");
    EXPECT_EQ(durationText(12345, 0), "0ms");
    EXPECT_EQ(durationText(1, 2000), "1ms"); // half a millisecond rounds away from zero
    EXPECT_EQ(durationText(4000000000ULL, 1), "66666666mn40se0ms");

    const SampleFormat format{kFormatPcm, 1, 22050, 22050, 1, 8, 0};
    EXPECT_EQ(describeSample(format, kWaveFormatName, 2205),
              "File Format:\tMicrosoft Wave\nAttributes:\tMono 8 bit / 22 kHz\nLength:\t\t100ms / "
              "2,15 KB");
    EXPECT_EQ(describeSample(format, std::string(400, 'x'), 10).size(), 256U);
}

TEST(SampleInfo, ReadsFilesFromDisk) {
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-audio-reader-test";
    std::filesystem::create_directories(folder);
    writeFile(folder / "a.aif", aiffFile(1, 44100, 16, be({3}, 2)));
    SampleFormat format;
    SampleBuffer data;
    EXPECT_FALSE(readWave(folder / "a.aif", format, data));
    EXPECT_TRUE(readAiff(folder / "a.aif", format, data));
    EXPECT_EQ(data, le({3}, 2));
    EXPECT_EQ(samplesOf(readSample(folder / "a.aif").data), (Samples{3}));
    EXPECT_EQ(readSample(folder / "missing.wav").infoText, "File Format: ?");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace padsmith
