// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneCommands.h"

#include <gtest/gtest.h>

namespace padsmith {
namespace {

SampleZone zone(int pad, int key, const std::string& sample, const std::string& padName = "XXX") {
    SampleZone z;
    z.padNumber = pad + 1;
    z.key = key;
    z.padName = padName;
    z.sampleName = sample;
    z.sourcePath = "/samples/" + sample;
    z.velocityLow = key % 100 + 1;
    return z;
}

// Pad `pad` with zones named "0.wav" ... on keys 40, 41, ...
KitDocument kitWithZones(int pad, int count, const std::string& label = "XXX") {
    KitDocument kit;
    for (int i = 0; i < count; ++i) {
        kit.pads[static_cast<std::size_t>(pad)].append(
            zone(pad, 40 + i, std::to_string(i) + ".wav", label));
    }
    kit.pads[static_cast<std::size_t>(pad)].label = label;
    kit.currentPad = pad;
    return kit;
}

std::vector<std::string> sampleNames(const Pad& pad) {
    std::vector<std::string> names;
    for (const SampleZone& z : pad) {
        names.push_back(z.sampleName);
    }
    return names;
}

Pad afterOf(const KitEdit& edit) {
    EXPECT_EQ(edit.changes.size(), 1U);
    return edit.changes.at(0).after;
}

TEST(SampleNames, ShortPadName) {
    EXPECT_EQ(shortPadName("kick 01  soft .wav", 5), "KKCKS");
    EXPECT_EQ(shortPadName("kick 01.wav", 5), "KICK");
    EXPECT_EQ(shortPadName("snare hard.wav", 5), "SSNRH");
    EXPECT_EQ(shortPadName("open hihat 2.aif", 5), "OPNHH");
    EXPECT_EQ(shortPadName("1 crash cymbal.wav", 5), "1CRSH");
    // Only the last extension goes; accented and other bytes are no letters.
    EXPECT_EQ(shortPadName("ab.cd.wav", 5), "ABCD");
    EXPECT_EQ(shortPadName("01.wav", 5), "");
    EXPECT_EQ(shortPadName(".wav", 5), "");
    EXPECT_EQ(shortPadName("", 5), "");
    EXPECT_EQ(shortPadName("x", 5), "X");
}

TEST(ImportZones, IntoAnEmptyUnnamedPad) {
    KitDocument kit;
    ImportKeyRange keyRange;
    const KitEdit edit = importZones(
        kit, 3, -1,
        {{"kick 01  soft .wav", "/s/kick 01  soft .wav"}, {"kick 01.wav", "/s/kick 01.wav"}},
        keyRange);
    const Pad& pad = afterOf(edit);
    EXPECT_EQ(edit.changes[0].pad, 3);
    ASSERT_EQ(pad.size(), 2U);
    // The folder import's name and key for the first sample's drum.
    EXPECT_EQ(pad.label, "Kick");
    EXPECT_EQ(pad.at(0).padName, "Kick");
    EXPECT_EQ(pad.at(1).padName, "Kick");
    EXPECT_EQ(pad.at(0).key, 36);
    EXPECT_EQ(pad.at(1).key, 36);
    EXPECT_EQ(pad.at(0).padNumber, 4);
    EXPECT_EQ(pad.at(0).sourcePath, "/s/kick 01  soft .wav");
    EXPECT_EQ(pad.at(0).keyRangeLow, 0);
    EXPECT_EQ(kit.pads[3].size(), 0U); // the kit itself is not touched
}

TEST(ImportZones, AnEmptyPadNeverTakesAKeyAnotherPadPlays) {
    KitDocument kit;
    kit.pads[0].append(zone(0, 38, "snare.wav"));
    kit.pads[0].label = "Snare";
    kit.pads[1].append(zone(1, 40, "snare 2.wav"));
    ImportKeyRange keyRange;
    const Pad& pad =
        afterOf(importZones(kit, 2, -1, {{"Snare Hard 01.wav", "/s/Snare Hard 01.wav"}}, keyRange));
    EXPECT_EQ(pad.label, "Snare 2");
    EXPECT_EQ(pad.at(0).key, 39); // 38 and its other key 40 are played: the next free above 38
    const Pad& none = afterOf(importZones(kit, 2, -1, {{"Tone.wav", "/s/Tone.wav"}}, keyRange));
    EXPECT_EQ(none.label, "Tone");
    EXPECT_EQ(none.at(0).key, 60);
}

TEST(ImportZones, ReplacesFromTheCurrentRowThenAppends) {
    KitDocument kit = kitWithZones(0, 5, "DRUM");
    kit.pads[0].at(4).keyRangeLow = 10;
    kit.pads[0].at(4).keyRangeHigh = 20;
    ImportKeyRange keyRange;
    const std::vector<ImportedSample> three = {
        {"a.wav", "/n/a.wav"}, {"b.wav", "/n/b.wav"}, {"c.wav", "/n/c.wav"}};

    const Pad& middle = afterOf(importZones(kit, 0, 1, three, keyRange));
    EXPECT_EQ(sampleNames(middle),
              (std::vector<std::string>{"0.wav", "a.wav", "b.wav", "c.wav", "4.wav"}));
    for (int row = 1; row <= 3; ++row) {
        const SampleZone& old = kit.pads[0].at(static_cast<std::size_t>(row));
        const SampleZone& now = middle.at(static_cast<std::size_t>(row));
        EXPECT_EQ(now.key, old.key);
        EXPECT_EQ(now.velocityLow, old.velocityLow);
        EXPECT_EQ(now.padName, "DRUM"); // a named zone keeps its name
    }
    EXPECT_EQ(middle.label, "DRUM");

    // Row 4 current: replaced, then two appended with its key and the key range last replaced.
    const Pad& end = afterOf(importZones(kit, 0, 4, three, keyRange));
    ASSERT_EQ(end.size(), 7U);
    EXPECT_EQ(end.at(5).padName, "B");
    EXPECT_EQ(end.at(6).padName, "C");
    EXPECT_EQ(end.at(4).sampleName, "a.wav");
    EXPECT_EQ(end.at(4).keyRangeHigh, 20);
    for (std::size_t row = 5; row < 7; ++row) {
        EXPECT_EQ(end.at(row).key, 44);
        EXPECT_EQ(end.at(row).keyRangeLow, 10);
        EXPECT_EQ(end.at(row).keyRangeHigh, 20);
        EXPECT_EQ(end.at(row).velocityLow, 1); // fresh zones, not copies
    }

    // No row current: all appended after the last zone, with its key.
    const Pad& appended = afterOf(importZones(kit, 0, -1, three, keyRange));
    ASSERT_EQ(appended.size(), 8U);
    EXPECT_EQ(appended.at(5).key, 44);
}

TEST(ImportZones, KeyRangeOfAppendedZonesComesFromTheLastKitRead) {
    KitDocument kit = kitWithZones(2, 1);
    kit.pads[7].append(zone(7, 50, "last.wav"));
    kit.pads[7].at(0).keyRangeLow = 36;
    kit.pads[7].at(0).keyRangeHigh = 48;
    ImportKeyRange keyRange;
    keyRange.takeFromLastZoneOf(kit);
    const Pad& pad = afterOf(importZones(kit, 2, -1, {{"x.wav", "/x.wav"}}, keyRange));
    EXPECT_EQ(pad.at(1).keyRangeLow, 36);
    EXPECT_EQ(pad.at(1).keyRangeHigh, 48);
    EXPECT_EQ(pad.at(1).padNumber, 3);
}

TEST(MoveRememberedRows, KeepsSpacing) {
    KitDocument kit = kitWithZones(0, 8);
    const auto moved = moveRememberedRows(kit, rememberRows(kit, 0, {6, 3}), 1);
    ASSERT_TRUE(moved);
    EXPECT_EQ(sampleNames(afterOf(moved->edit)),
              (std::vector<std::string>{"0.wav", "3.wav", "1.wav", "2.wav", "6.wav", "4.wav",
                                        "5.wav", "7.wav"}));
    EXPECT_EQ(moved->selectedRows, (std::vector<int>{1, 4}));
}

TEST(MoveRememberedRows, DownToTheEndButNotPastIt) {
    KitDocument kit = kitWithZones(0, 4);
    const RememberedRows rows = rememberRows(kit, 0, {0, 1});
    const auto moved = moveRememberedRows(kit, rows, 2);
    ASSERT_TRUE(moved);
    EXPECT_EQ(sampleNames(afterOf(moved->edit)),
              (std::vector<std::string>{"2.wav", "3.wav", "0.wav", "1.wav"}));
    EXPECT_EQ(moved->selectedRows, (std::vector<int>{2, 3}));
    EXPECT_FALSE(moveRememberedRows(kit, rows, 3));

    // Rows with a gap, moved down by one.
    const auto gap = moveRememberedRows(kit, rememberRows(kit, 0, {0, 2}), 1);
    ASSERT_TRUE(gap);
    EXPECT_EQ(sampleNames(afterOf(gap->edit)),
              (std::vector<std::string>{"1.wav", "0.wav", "3.wav", "2.wav"}));
    // Onto the first row itself: nothing changes.
    const auto still = moveRememberedRows(kit, rows, 0);
    ASSERT_TRUE(still);
    EXPECT_TRUE(still->edit.empty());
}

TEST(MoveRememberedRows, StaleRowsMoveNothing) {
    KitDocument kit = kitWithZones(0, 4);
    const RememberedRows rows = rememberRows(kit, 0, {2, 3});
    EXPECT_TRUE(moveRememberedRows(kit, rows, 0));
    EXPECT_FALSE(moveRememberedRows(kit, {}, 0));

    KitDocument fewer = kit;
    fewer.pads[0].erase(1);
    EXPECT_FALSE(moveRememberedRows(fewer, rows, 0)); // a zone was deleted since
    KitDocument more = kit;
    more.pads[0].append(zone(0, 1, "new.wav"));
    EXPECT_FALSE(moveRememberedRows(more, rows, 0)); // one was added
    KitDocument otherPad = kit;
    otherPad.pads[5] = kit.pads[0];
    otherPad.currentPad = 5;
    EXPECT_FALSE(moveRememberedRows(otherPad, rows, 0)); // another pad is current
    EXPECT_FALSE(moveRememberedRows(kit, rows, -1));     // no current row
}

TEST(DeleteZones, RowAfterwards) {
    const KitDocument kit = kitWithZones(0, 5);
    const ZoneDeletion middle = deleteZones(kit, 0, {3, 1});
    EXPECT_EQ(sampleNames(afterOf(middle.edit)),
              (std::vector<std::string>{"0.wav", "2.wav", "4.wav"}));
    EXPECT_EQ(middle.currentRow, 1);
    ASSERT_EQ(middle.removed.size(), 2U);
    EXPECT_EQ(middle.removed[0].sampleName, "1.wav");

    EXPECT_EQ(deleteZones(kit, 0, {4}).currentRow, 3); // the last row: the one above it
    EXPECT_EQ(deleteZones(kit, 0, {3, 4}).currentRow, 2);
    const ZoneDeletion all = deleteZones(kit, 0, {0, 1, 2, 3, 4});
    EXPECT_TRUE(afterOf(all.edit).empty());
    EXPECT_EQ(all.currentRow, -1);

    const ZoneDeletion none = deleteZones(kit, 0, {7, -1});
    EXPECT_TRUE(none.edit.empty());
    EXPECT_TRUE(none.removed.empty());
}

} // namespace
} // namespace padsmith
