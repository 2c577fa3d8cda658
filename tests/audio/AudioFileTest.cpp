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

std::vector<std::int16_t> samplesOf(const SampleBuffer& data) {
    std::vector<std::int16_t> samples(data.size() / 2);
    std::memcpy(samples.data(), data.data(), samples.size() * 2);
    return samples;
}

std::string le(std::initializer_list<std::uint64_t> values, int bytes) {
    std::string out;
    for (const std::uint64_t value : values) {
        appendLe(out, value, bytes);
    }
    return out;
}

std::string floats(std::initializer_list<float> values) {
    std::string out(values.size() * 4, '\0');
    std::memcpy(out.data(), std::data(values), out.size());
    return out;
}

PlayableSample decode(std::string_view file) {
    std::ostringstream diagnostics;
    return decodeSample(file, diagnostics);
}

TEST(WaveReader, DescribesASecondOfCdAudio) {
    const std::string data(176400, '\x01');
    const PlayableSample sample = decode(waveFile(kFormatPcm, 2, 44100, 16, data));
    ASSERT_TRUE(sample.readable);
    EXPECT_EQ(sample.infoText, "File Format:\tMicrosoft Wave\nAttributes:\tStereo 16 bit / 44 "
                               "kHz\nLength:\t\t1s0ms / 172,27 KB");
    EXPECT_EQ(sample.data, data);
    EXPECT_EQ(sample.format.samplesPerSecond, 44100U);
    EXPECT_EQ(sample.format.channels, 2);
}

TEST(WaveReader, ConvertsEveryIntegerWidthToTheUpperSixteenBits) {
    // 8-bit WAVE samples are unsigned around 128.
    EXPECT_EQ(samplesOf(decode(waveFile(kFormatPcm, 1, 22050, 8, le({0x00, 0x80, 0xFF}, 1))).data),
              (std::vector<std::int16_t>{-32768, 0, 32512}));
    EXPECT_EQ(
        samplesOf(
            decode(waveFile(kFormatPcm, 1, 44100, 24, le({0x7FFFFF, 0x800000, 0x123456}, 3))).data),
        (std::vector<std::int16_t>{32767, -32768, 0x1234}));
    // 32-bit integers are not floats: a quiet sample stays quiet.
    EXPECT_EQ(samplesOf(decode(waveFile(kFormatPcm, 2, 48000, 32,
                                        le({0x7FFFFFFF, 0x80000000, 0x12345678, 0x0000FFFF}, 4)))
                            .data),
              (std::vector<std::int16_t>{32767, -32768, 0x1234, 0}));
}

TEST(WaveReader, ConvertedFormatIsSixteenBitPcm) {
    const PlayableSample sample =
        decode(waveFile(kFormatPcm, 2, 48000, 24, sineData(1000, 0.01, 48000, 2, 24)));
    EXPECT_EQ(sample.format, (SampleFormat{kFormatPcm, 2, 48000, 192000, 4, 16, 0}));
    EXPECT_EQ(sample.data.size(), 480U * 4);
    // The info text still tells what the file holds.
    EXPECT_NE(sample.infoText.find("Stereo 24 bit / 48 kHz"), std::string::npos);
}

TEST(WaveReader, ScalesFloatsAndClipsWhatIsBeyondFullScale) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(samplesOf(decode(waveFile(kFormatFloat, 1, 44100, 32,
                                        floats({0.5F, -0.25F, -1.0F, 1.0F, 2.0F, -3.0F, nan})))
                            .data),
              (std::vector<std::int16_t>{16384, -8192, -32768, 32767, 32767, -32768, 0}));
    std::string doubles(16, '\0');
    const double values[2] = {0.5, -1.0};
    std::memcpy(doubles.data(), values, sizeof values);
    EXPECT_EQ(samplesOf(decode(waveFile(kFormatFloat, 1, 44100, 64, doubles)).data),
              (std::vector<std::int16_t>{16384, -32768}));
}

TEST(WaveReader, ExtensibleFilesPlayLikePlainOnes) {
    const std::string pcm24 = le({0x123456, 0xFEDCBA}, 3);
    const PlayableSample integer = decode(riffWave(
        chunk("fmt ", extensibleFormatBody(kFormatPcm, 1, 96000, 24)) + chunk("data", pcm24)));
    EXPECT_EQ(samplesOf(integer.data), (std::vector<std::int16_t>{0x1234, -0x0124}));
    EXPECT_NE(integer.infoText.find("Mono 24 bit / 96 kHz"), std::string::npos);

    const PlayableSample real =
        decode(riffWave(chunk("fmt ", extensibleFormatBody(kFormatFloat, 1, 44100, 32)) +
                        chunk("data", floats({0.5F}))));
    EXPECT_EQ(samplesOf(real.data), (std::vector<std::int16_t>{16384}));

    // An unknown sub-format is described but not played.
    const PlayableSample other = decode(riffWave(
        chunk("fmt ", extensibleFormatBody(0x55, 1, 44100, 16)) + chunk("data", le({1, 2}, 2))));
    EXPECT_TRUE(other.readable);
    EXPECT_TRUE(other.data.empty());
}

TEST(WaveReader, CompressedOrOddSampleSizesAreDescribedButSilent) {
    const PlayableSample adpcm = decode(waveFile(2, 1, 22050, 4, std::string(100, '\x11')));
    EXPECT_TRUE(adpcm.readable);
    EXPECT_NE(adpcm.infoText.find("Mono 4 bit / 22 kHz"), std::string::npos);
    EXPECT_TRUE(adpcm.data.empty());
    const PlayableSample alaw = decode(waveFile(6, 1, 8000, 8, std::string(100, '\x55')));
    EXPECT_TRUE(alaw.data.empty());
}

TEST(WaveReader, SkipsOtherChunksIncludingOddSizedOnes) {
    const std::string data = le({1, 2, 3}, 2);
    const std::string file =
        riffWave(chunk("JUNK", "abc") + chunk("fmt ", waveFormatBody(kFormatPcm, 1, 44100, 16)) +
                 chunk("LIST", "INFOx") + chunk("data", data) + chunk("smpl", "1234"));
    const PlayableSample sample = decode(file);
    EXPECT_EQ(sample.data, data);
}

TEST(WaveReader, FilesWithoutFormatOrDataAreUnreadable) {
    const std::string format = chunk("fmt ", waveFormatBody(kFormatPcm, 1, 44100, 16));
    const std::string data = chunk("data", le({1, 2}, 2));
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
    lying += le({7, 8, 9}, 2);
    PlayableSample sample = decode(lying);
    ASSERT_TRUE(sample.readable);
    EXPECT_EQ(samplesOf(sample.data), (std::vector<std::int16_t>{7, 8, 9}));
    EXPECT_NE(sample.infoText.find("/ 6 bytes"), std::string::npos);

    // A RIFF size of 0, as cut-off recordings leave it.
    std::string cutOff = waveFile(kFormatPcm, 1, 44100, 16, le({5}, 2));
    std::memset(cutOff.data() + 4, 0, 4);
    EXPECT_EQ(samplesOf(decode(cutOff).data), (std::vector<std::int16_t>{5}));

    // A format chunk that claims the whole file hides the data chunk.
    std::string greedy = riffWave("fmt ");
    appendLe(greedy, 0xFFFFFFFF, 4);
    greedy += waveFormatBody(kFormatPcm, 1, 44100, 16) + chunk("data", le({1}, 2));
    EXPECT_FALSE(decode(greedy).readable);

    // Every truncation of a valid file is read safely, and never yields more than it holds.
    const std::string whole = waveFile(kFormatPcm, 2, 44100, 16, le({1, 2, 3, 4}, 2));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const PlayableSample part = decode(std::string_view(whole).substr(0, length));
        EXPECT_LE(part.data.size(), 8U);
        EXPECT_EQ(part.data.size() % 4, 0U) << "part frames at " << length;
    }
}

TEST(AiffReader, ReadsBigEndianDataAtItsOwnRate) {
    std::string data;
    appendBe(data, 0x1234, 2);
    appendBe(data, 0xFEDC, 2);
    const PlayableSample sample = decode(aiffFile(2, 22050, 16, data));
    ASSERT_TRUE(sample.readable);
    EXPECT_EQ(sample.infoText, "File Format:\tApple AIFF\nAttributes:\tStereo 16 bit / 22 "
                               "kHz\nLength:\t\t0ms / 4 bytes");
    EXPECT_EQ(sample.format.samplesPerSecond, 22050U);
    EXPECT_EQ(samplesOf(sample.data), (std::vector<std::int16_t>{0x1234, -0x0124}));
}

TEST(AiffReader, ConvertsEverySampleOfAnOddCount) {
    std::string data24;
    for (const std::uint32_t value : {0x123456U, 0x800000U, 0x7FFFFFU}) {
        appendBe(data24, value, 3);
    }
    EXPECT_EQ(samplesOf(decode(aiffFile(1, 44100, 24, data24)).data),
              (std::vector<std::int16_t>{0x1234, -32768, 32767}));
    // AIFF's 8-bit samples are signed.
    EXPECT_EQ(samplesOf(decode(aiffFile(1, 11025, 8, std::string("\x80\x00\x7F", 3))).data),
              (std::vector<std::int16_t>{-32768, 0, 32512}));
    std::string data32;
    appendBe(data32, 0x12345678, 4);
    EXPECT_EQ(samplesOf(decode(aiffFile(1, 44100, 32, data32)).data),
              (std::vector<std::int16_t>{0x1234}));
}

TEST(AiffReader, FindsItsChunksAmongOthers) {
    std::string data;
    appendBe(data, 0x0102, 2);
    const std::string common = chunk("COMM", aiffCommonBody(1, 1, 16, 48000), true);
    const std::string sound = chunk("SSND", soundBody(data, 3), true);
    const std::string file =
        iffForm("AIFF", chunk("FVER", "1234", true) + chunk("NAME", "kick", true) + common +
                            chunk("ANNO", "odd", true) + sound);
    const PlayableSample sample = decode(file);
    ASSERT_TRUE(sample.readable);
    EXPECT_EQ(samplesOf(sample.data), (std::vector<std::int16_t>{0x0102}));
    EXPECT_EQ(sample.format.samplesPerSecond, 48000U);
}

TEST(AiffReader, PlaysUncompressedAiffC) {
    std::string big;
    appendBe(big, 0x0102, 2);
    std::string little;
    appendLe(little, 0x0102, 2);
    const auto aifc = [](std::string_view type, std::string_view data) {
        std::string common = aiffCommonBody(1, 1, 16, 44100);
        common += type;
        common += std::string("\x04none\0", 6);
        return iffForm("AIFC", chunk("FVER", "abcd", true) + chunk("COMM", common, true) +
                                   chunk("SSND", soundBody(data), true));
    };
    const std::vector<std::int16_t> expected{0x0102};
    EXPECT_EQ(samplesOf(decode(aifc("NONE", big)).data), expected);
    EXPECT_EQ(samplesOf(decode(aifc("twos", big)).data), expected);
    EXPECT_EQ(samplesOf(decode(aifc("sowt", little)).data), expected);
    const PlayableSample compressed = decode(aifc("ima4", big));
    EXPECT_TRUE(compressed.readable);
    EXPECT_TRUE(compressed.data.empty());
}

TEST(AiffReader, ReportsMalformedHeadersAndGoesOn) {
    std::string data;
    appendBe(data, 0x0102, 2);
    std::ostringstream diagnostics;
    std::string common = aiffCommonBody(1, 1, 16, 44100) + "xx";
    PlayableSample sample = decodeSample(
        iffForm("AIFF", chunk("COMM", common, true) + chunk("SSND", soundBody(data), true)),
        diagnostics);
    EXPECT_EQ(diagnostics.str(), "AIFF COMM chunk has bad size\n");
    EXPECT_EQ(samplesOf(sample.data), (std::vector<std::int16_t>{0x0102}));

    diagnostics.str("");
    sample = decodeSample(iffForm("AIFF", chunk("COMM", aiffCommonBody(1, 1, 16, 44100), true)),
                          diagnostics);
    EXPECT_EQ(diagnostics.str(), "AIFF header doesn't have 'SSND' chunk\n");
    EXPECT_TRUE(sample.readable);
    EXPECT_TRUE(sample.data.empty());
}

TEST(AiffReader, RejectsFilesWithoutCommonChunk) {
    std::ostringstream diagnostics;
    const PlayableSample sample =
        decodeSample(iffForm("AIFF", chunk("SSND", soundBody("ab"), true)), diagnostics);
    EXPECT_FALSE(sample.readable);
    EXPECT_EQ(sample.infoText, "File Format: ?");
    EXPECT_FALSE(decodeSample(iffForm("8SVX", ""), diagnostics).readable);
}

TEST(AiffReader, SoundDataShorterThanClaimedGivesWhatIsThere) {
    std::string data;
    appendBe(data, 0x0102, 2);
    appendBe(data, 0x0304, 2);
    std::string file = aiffFile(1, 44100, 16, data);
    file.resize(file.size() - 1);
    const PlayableSample sample = decode(file);
    EXPECT_EQ(samplesOf(sample.data), (std::vector<std::int16_t>{0x0102}));
    EXPECT_NE(sample.infoText.find("/ 3 bytes"), std::string::npos);

    // An offset beyond the chunk leaves no data rather than reading elsewhere.
    std::string skipped = aiffFile(1, 44100, 16, data);
    const std::size_t offsetAt = skipped.find("SSND") + 8;
    skipped[offsetAt] = '\x7F';
    EXPECT_TRUE(decode(skipped).data.empty());
}

TEST(SampleInfo, DurationTexts) {
    EXPECT_EQ(durationText(1500, 1000), "1s500ms");
    EXPECT_EQ(durationText(61234, 1000), "1mn1se234ms");
    EXPECT_EQ(durationText(999, 1000), "999ms");
    EXPECT_EQ(durationText(60000, 1000), "1mn0se0ms");
    EXPECT_EQ(durationText(12345, 0), "0ms");
    // Half a millisecond rounds up, away from zero.
    EXPECT_EQ(durationText(1, 2000), "1ms");
    EXPECT_EQ(durationText(4000000000ULL, 1), "66666666mn40se0ms");
}

TEST(SampleInfo, DescribesMonoAndCutsLongTexts) {
    SampleFormat format{kFormatPcm, 1, 22050, 22050, 1, 8, 0};
    EXPECT_EQ(describeSample(format, kWaveFormatName, 2205),
              "File Format:\tMicrosoft Wave\nAttributes:\tMono 8 bit / 22 kHz\nLength:\t\t100ms / "
              "2,15 KB");
    EXPECT_EQ(describeSample(format, std::string(400, 'x'), 10).size(), 256U);
}

TEST(SampleInfo, UnreadableFiles) {
    const PlayableSample missing = readSample("/nonexistent/padsmith/kick.wav");
    EXPECT_FALSE(missing.readable);
    EXPECT_EQ(missing.infoText, "File Format: ?");
    EXPECT_FALSE(decode("").readable);
    EXPECT_FALSE(decode("RIFF").readable);
}

TEST(SampleInfo, FileReadersReadFromDisk) {
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-audio-reader-test";
    std::filesystem::create_directories(folder);
    writeFile(folder / "a.wav", waveFile(kFormatPcm, 1, 44100, 16, le({3}, 2)));
    std::string big;
    appendBe(big, 3, 2);
    writeFile(folder / "a.aif", aiffFile(1, 44100, 16, big));
    SampleFormat format;
    SampleBuffer data;
    EXPECT_TRUE(readWave(folder / "a.wav", format, data));
    EXPECT_FALSE(readWave(folder / "a.aif", format, data));
    EXPECT_TRUE(readAiff(folder / "a.aif", format, data));
    EXPECT_EQ(data, le({3}, 2));
    EXPECT_EQ(samplesOf(readSample(folder / "a.aif").data), (std::vector<std::int16_t>{3}));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace padsmith
