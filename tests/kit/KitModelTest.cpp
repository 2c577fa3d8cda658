// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitDocument.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace padsmith {
namespace {

SampleZone zoneWith(int key, const std::string& sample) {
    SampleZone zone;
    zone.key = key;
    zone.sampleName = sample;
    zone.sourcePath = "/samples/" + sample;
    return zone;
}

TEST(SampleZone, ResetKeepsPadNumberAndKeyRangeOnly) {
    SampleZone zone;
    zone.padNumber = 7;
    zone.keyRangeLow = 30;
    zone.keyRangeHigh = 40;
    zone.reserved1 = 5;
    zone.reserved2 = 6;
    zone.key = 12;
    zone.padName = "SNARE";
    zone.sampleName = "snare.wav";
    zone.velocityLow = 20;
    zone.velocityHigh = 90;
    zone.gainLeft = 4.0F;
    zone.gainRight = 0.5F;
    zone.group = 3;
    zone.voices = 9;
    zone.sourcePath = "/x/snare.wav";

    resetZone(zone);

    SampleZone expected;
    expected.padNumber = 7;
    expected.keyRangeLow = 30;
    expected.keyRangeHigh = 40;
    EXPECT_EQ(zone, expected);
    EXPECT_EQ(zone.padName, "XXX");
    EXPECT_EQ(zone.key, 60);
    EXPECT_TRUE(zone.sampleName.empty());
    EXPECT_TRUE(zone.sourcePath.empty());
}

TEST(Volume, GainShowsAsTruncatedSixDecibelSteps) {
    const std::vector<std::pair<float, int>> cases = {
        {0.25F, -12},
        {0.5F, -6},
        {1.0F, 0},
        {2.0F, 6},
        {4.0F, 12},
        {6.0F, 18},
        {8.0F, 24},
        {1.5F, 0},
        {0.3F, -6},
        {9.0F, 24},
        {0.1F, -12},
        {-3.0F, -12},
        {2.9F, 6},
        {0.75F, 0},
        {100.0F, 24},
        // Between two steps the lower one shows, so a shown value written back never raises
        // a gain nobody touched.
        {1.9F, 0},
        {3.9F, 6},
        {5.9F, 12},
        {7.9F, 18}};
    for (const auto& [gain, decibels] : cases) {
        EXPECT_EQ(gainToDecibels(gain), decibels) << "gain " << gain;
    }
    EXPECT_EQ(gainToDecibels(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(gainToDecibels(std::numeric_limits<float>::infinity()), 24);
}

TEST(Volume, EnteredDecibelsSnapToTheSevenGains) {
    const std::vector<std::pair<int, float>> cases = {
        {-12, 0.25F}, {-6, 0.5F},  {0, 1.0F},    {6, 2.0F},     {12, 4.0F},
        {18, 6.0F},   {24, 8.0F},  {20, 6.0F},   {-20, 0.25F},  {3, 1.0F},
        {-5, 1.0F},   {-11, 0.5F}, {1000, 8.0F}, {-1000, 0.25F}};
    for (const auto& [decibels, gain] : cases) {
        EXPECT_FLOAT_EQ(decibelsToGain(decibels), gain) << decibels << " dB";
    }
    for (int step = -12; step <= 24; step += 6) {
        EXPECT_EQ(gainToDecibels(decibelsToGain(step)), step);
    }
}

TEST(Fingerprint, EmptyEqualAndReorderedPads) {
    Pad a;
    EXPECT_EQ(a.fingerprint(), 0xFFFFFFFFU);
    Pad b;
    a.append(zoneWith(36, "kick.wav"));
    a.append(zoneWith(38, "snare.wav"));
    b.append(zoneWith(36, "kick.wav"));
    b.append(zoneWith(38, "snare.wav"));
    EXPECT_EQ(a.fingerprint(), b.fingerprint());
    std::swap(b.at(0), b.at(1));
    EXPECT_NE(a.fingerprint(), b.fingerprint());
    // The label is not part of a zone.
    b = a;
    b.label = "OTHER";
    EXPECT_EQ(a.fingerprint(), b.fingerprint());
}

TEST(Fingerprint, EveryFieldCounts) {
    const std::vector<std::function<void(SampleZone&)>> changes = {
        [](SampleZone& z) { z.padNumber = 2; },
        [](SampleZone& z) { z.reserved1 = 1; },
        [](SampleZone& z) { z.reserved2 = 1; },
        [](SampleZone& z) { z.key = 61; },
        [](SampleZone& z) { z.padName = "XXY"; },
        [](SampleZone& z) { z.sampleName = "kick2.wav"; },
        [](SampleZone& z) { z.velocityLow = 2; },
        [](SampleZone& z) { z.velocityHigh = 126; },
        [](SampleZone& z) { z.keyRangeLow = 1; },
        [](SampleZone& z) { z.keyRangeHigh = 1; },
        [](SampleZone& z) { z.gainLeft = 2.0F; },
        [](SampleZone& z) { z.gainRight = 2.0F; },
        [](SampleZone& z) { z.group = 1; },
        [](SampleZone& z) { z.voices = 1; },
        [](SampleZone& z) { z.sourcePath = "/other/kick.wav"; },
        // Texts beyond their widths still count.
        [](SampleZone& z) { z.sourcePath = std::string(300, 'a') + "1"; },
    };
    Pad original;
    SampleZone zone = zoneWith(60, "kick.wav");
    zone.sourcePath = std::string(300, 'a') + "0";
    original.append(zone);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        Pad changed = original;
        changes[i](changed.at(0));
        EXPECT_NE(changed.fingerprint(), original.fingerprint()) << "change " << i;
    }
}

TEST(KitDocument, NewKitIsEmptyUntitledAndUnmodified) {
    KitDocument kit;
    kit.copyright = "Me";
    kit.kitName = "Rock";
    kit.sampleFolder = "Rock";
    kit.pads[4].append(zoneWith(40, "x.wav"));
    kit.pads[4].label = "TOM";
    kit.setModified(true);

    kit.newKit();

    EXPECT_EQ(kit.formatTag, "vst samples");
    EXPECT_EQ(kit.kitName, "Untitled");
    EXPECT_EQ(kit.sampleFolder, "ZARVO SAMPLES");
    EXPECT_EQ(kit.copyright, "Me");
    for (const Pad& pad : kit.pads) {
        EXPECT_TRUE(pad.empty());
        EXPECT_EQ(pad.label, "XXX");
    }
    EXPECT_EQ(kit.kitSize(), 0);
    EXPECT_FALSE(kit.modified());
    EXPECT_FALSE(kit.updateModified());
}

TEST(KitDocument, ModifiedFollowsTheSavedContent) {
    KitDocument kit;
    kit.pads[0].append(zoneWith(36, "kick.wav"));
    kit.pads[1].append(zoneWith(38, "snare.wav"));
    kit.takeSavedFingerprints();
    EXPECT_FALSE(kit.modified());

    kit.currentPad = 0;
    kit.current().at(0).key = 35;
    EXPECT_TRUE(kit.updateModified());
    kit.current().at(0).key = 36;
    EXPECT_FALSE(kit.updateModified());

    // An edit left on pad 1 keeps the kit modified while pad 2 is edited and restored.
    kit.current().at(0).group = 2;
    EXPECT_TRUE(kit.updateModified());
    kit.currentPad = 1;
    kit.current().at(0).voices = 4;
    kit.updateModified();
    kit.current().at(0).voices = 0;
    EXPECT_TRUE(kit.updateModified());

    kit.takeSavedFingerprints();
    EXPECT_FALSE(kit.modified());

    // The copyright is part of what was saved.
    kit.copyright = "Me";
    EXPECT_TRUE(kit.updateModified());
    kit.copyright.clear();
    EXPECT_FALSE(kit.updateModified());
    kit.copyright = "Me";
    kit.takeSavedFingerprints();
    EXPECT_FALSE(kit.updateModified());
}

class KitSize : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("padsmith-kitsize-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string makeFile(const std::string& name, std::size_t bytes) {
        const auto path = folder_ / name;
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
        return path.string();
    }

    std::filesystem::path folder_;
};

TEST_F(KitSize, CountsEachDistinctFileOnce) {
    KitDocument kit;
    SampleZone zone;
    zone.sourcePath = makeFile("kick.wav", 1000);
    kit.pads[0].append(zone);
    kit.pads[0].append(zone);
    kit.pads[9].append(zone);
    zone.sourcePath = makeFile("Kick.wav", 300); // differs only in case: another file
    kit.pads[3].append(zone);
    zone.sourcePath = (folder_ / "missing.wav").string();
    kit.pads[3].append(zone);
    zone.sourcePath.clear();
    kit.pads[5].append(zone);

    EXPECT_EQ(kit.computeKitSize(), 1300);
    EXPECT_EQ(kit.kitSize(), 1300);

    kit.newKit();
    EXPECT_EQ(kit.kitSize(), 0);
}

} // namespace
} // namespace padsmith
