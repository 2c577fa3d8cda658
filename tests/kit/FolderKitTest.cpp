// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/FolderKit.h"

#include <gtest/gtest.h>
#include <set>

namespace padsmith {
namespace {

FolderKitPlan planOf(const std::vector<std::string>& paths) {
    std::vector<FolderSample> samples;
    for (const std::string& path : paths) {
        samples.push_back({path, "/lib/" + path});
    }
    return planFolderKit(samples);
}

// "name key: file low-high, file low-high" for each pad.
std::vector<std::string> summary(const FolderKitPlan& plan) {
    std::vector<std::string> lines;
    for (const FolderGroup& pad : plan.pads) {
        std::string line = pad.name + " " + std::to_string(pad.key) + ":";
        for (std::size_t i = 0; i < pad.samples.size(); ++i) {
            line += " " + pad.samples[i].relativePath + " " + std::to_string(pad.windows[i].first) +
                    "-" + std::to_string(pad.windows[i].second);
        }
        lines.push_back(line);
    }
    return lines;
}

TEST(FolderKit, FilesBecomePadsKeysAndWindows) {
    struct Row {
        std::vector<std::string> files;
        std::vector<std::string> pads;
    };
    const std::vector<Row> rows = {
        {{"Kick_Hard_03.wav", "Kick_Soft_01.wav", "Kick_Hard_01.wav"},
         {"Kick 36: Kick_Soft_01.wav 1-56 Kick_Hard_01.wav 57-93 Kick_Hard_03.wav 94-127"}},
        {{"SN v10.wav", "SN v2.wav", "HH closed-pp.aif", "HH closed-ff.aif", "Tom Floor Soft.wav"},
         {"Snare 38: SN v2.wav 1-74 SN v10.wav 75-127",
          "Closed Hat 42: HH closed-pp.aif 1-74 HH closed-ff.aif 75-127",
          "Floor Tom 41: Tom Floor Soft.wav 1-127"}},
        // Two kick folders: the second takes the kick's other key; a second ride the ride's.
        {{"Kick A/Hard.wav", "Kick A/Soft.wav", "Kick B/Kick.wav", "Ride 1.wav", "Ride/Edge.wav"},
         {"Kick 36: Kick A/Soft.wav 1-74 Kick A/Hard.wav 75-127",
          "Kick 2 35: Kick B/Kick.wav 1-127", "Ride 51: Ride 1.wav 1-127",
          "Ride 2 59: Ride/Edge.wav 1-127"}},
        // Layers in folders of their own stay one pad.
        {{"Snare/Soft/01.wav", "Snare/Hard/01.wav"},
         {"Snare 38: Snare/Soft/01.wav 1-74 Snare/Hard/01.wav 75-127"}},
        // Numbered toms are drums of their own, the first the highest; a third kick and names
        // that name no drum go from key 60 up.
        {{"Tom 1.wav", "Tom 2.wav", "Kick.wav", "Kick In.wav", "Kick Sub.wav", "Bottle.wav"},
         {"Kick 36: Kick.wav 1-127", "Kick 2 35: Kick In.wav 1-127",
          "Kick 3 60: Kick Sub.wav 1-127", "Tom 50: Tom 1.wav 1-127", "Tom 2 47: Tom 2.wav 1-127",
          "Bottle 61: Bottle.wav 1-127"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(summary(planOf(row.files)), row.pads) << row.files.front();
    }
}

TEST(FolderKit, GroupsBeyondEighteenPadsAreLeftOut) {
    std::vector<std::string> files;
    for (int i = 0; i < 20; ++i) {
        // "Perc Az" ...: a lone "P" or "F" would be a dynamic, not another sound.
        files.push_back("Perc " + std::string(1, static_cast<char>('A' + i)) + "z.wav");
    }
    const FolderKitPlan plan = planOf(files);
    EXPECT_EQ(plan.pads.size(), 18U);
    ASSERT_EQ(plan.leftOut.size(), 2U);
    EXPECT_EQ(plan.leftOut[1].samples.front().relativePath, "Perc Tz.wav");
    std::set<int> keys;
    for (const FolderGroup& pad : plan.pads) {
        EXPECT_TRUE(keys.insert(pad.key).second) << pad.key;
    }

    // Second kicks give way to a bell that has no pad yet.
    files.push_back("Ride Bell.wav");
    const FolderKitPlan withBell = planOf(files);
    EXPECT_EQ(withBell.pads.size(), 18U);
    EXPECT_EQ(withBell.pads[0].name, "Bell");
    EXPECT_EQ(withBell.pads[0].key, 53);
    EXPECT_EQ(withBell.leftOut.size(), 3U);
}

TEST(FolderKit, PreviewEditsKeepKeysApart) {
    FolderKitPlan plan = planOf({"Kick.wav", "Snare.wav", "Clap.wav"});
    // The clap takes the snare's key: the snare gets the clap's.
    setPlanKey(plan, 2, 38);
    EXPECT_EQ(plan.pads[1].key, 39);
    EXPECT_EQ(plan.pads[2].key, 38);
    setPlanKey(plan, 0, 200); // out of range: nothing changes
    EXPECT_EQ(plan.pads[0].key, 36);
    // The clap to pad 6: pads 3 to 5 are empty and make no zones.
    movePlanGroup(plan, 2, 5);
    ASSERT_EQ(plan.pads.size(), 6U);
    KitDocument kit;
    fillKitFromPlan(kit, plan);
    EXPECT_TRUE(kit.pads[2].empty());
    EXPECT_EQ(kit.pads[5].label, "Clap");
    EXPECT_EQ(kit.pads[5].at(0).padNumber, 6);
    // And back onto the empty pad 3: the plan ends at its last group again.
    movePlanGroup(plan, 5, 2);
    EXPECT_EQ(plan.pads.size(), 3U);
}

TEST(FolderKit, SampleNamesAreUniqueInTheKit) {
    const FolderKitPlan plan =
        planOf({"Snare/Soft/01.wav", "Snare/Hard/01.wav", "Kick/01.WAV", "Perc/a,b.wav"});
    KitDocument kit;
    fillKitFromPlan(kit, plan);
    ASSERT_EQ(kit.pads[0].size(), 1U);
    EXPECT_EQ(kit.pads[0].at(0).sampleName, "01.WAV");
    // A comma would end the field in the kit script.
    EXPECT_EQ(kit.pads[2].at(0).sampleName, "a b.wav");
    EXPECT_EQ(kit.pads[1].at(0).sampleName, "Snare Soft 01.wav");
    EXPECT_EQ(kit.pads[1].at(1).sampleName, "Snare Hard 01.wav");
    EXPECT_EQ(kit.pads[1].at(1).sourcePath, "/lib/Snare/Hard/01.wav");
    EXPECT_EQ(kit.pads[1].at(1).key, 38);
    EXPECT_EQ(kit.pads[1].at(1).velocityLow, 75);
    EXPECT_EQ(kit.pads[1].label, "Snare");
    EXPECT_EQ(kit.pads[1].at(0).padNumber, 2);
}

} // namespace
} // namespace padsmith
