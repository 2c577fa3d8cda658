// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/Trigger.h"

#include <gtest/gtest.h>
#include <optional>

namespace padsmith {
namespace {

SampleZone zone(int pad, int key, int low, int high) {
    SampleZone z;
    z.padNumber = pad + 1;
    z.key = key;
    z.velocityLow = low;
    z.velocityHigh = high;
    return z;
}

TEST(NoteOnMessage, OnlyNoteOnsWithAVelocityCount) {
    const std::optional<NoteOn> on = noteOnIn(packMidiMessage(0x99, 36, 100));
    ASSERT_TRUE(on);
    EXPECT_EQ(on->channel, 9);
    EXPECT_EQ(on->note, 36);
    EXPECT_EQ(on->velocity, 100);
    // Velocity 0 is how most keyboards release a key.
    EXPECT_FALSE(noteOnIn(packMidiMessage(0x90, 36, 0)));
    EXPECT_FALSE(noteOnIn(packMidiMessage(0x80, 36, 100))); // note-off
    EXPECT_FALSE(noteOnIn(packMidiMessage(0xB0, 7, 100)));  // controller
    EXPECT_FALSE(noteOnIn(packMidiMessage(0xF8, 0, 0)));    // clock
}

TEST(TriggeredZone, VelocitySplitAcrossTwoPads) {
    KitDocument kit;
    kit.pads[0].append(zone(0, 36, 0, 64));
    kit.pads[1].append(zone(1, 36, 65, 127));
    const std::optional<ZoneRef> loud = triggeredZone(kit, 36, 100);
    ASSERT_TRUE(loud);
    EXPECT_EQ(loud->pad, 1);
    EXPECT_EQ(loud->position, 0);
    const std::optional<ZoneRef> soft = triggeredZone(kit, 36, 64);
    ASSERT_TRUE(soft);
    EXPECT_EQ(soft->pad, 0);
    EXPECT_FALSE(triggeredZone(kit, 37, 100));
}

TEST(TriggeredZone, UpperBoundZeroAnswersEveryVelocity) {
    KitDocument kit;
    kit.pads[4].append(zone(4, 38, 50, 0));
    for (const int velocity : {1, 49, 127}) {
        const std::optional<ZoneRef> found = triggeredZone(kit, 38, velocity);
        ASSERT_TRUE(found) << velocity;
        EXPECT_EQ(found->pad, 4);
    }
}

TEST(TriggeredZone, FirstInPadOrderThenListOrder) {
    KitDocument kit;
    kit.pads[3].append(zone(3, 40, 1, 127));
    kit.pads[2].append(zone(2, 41, 1, 127));
    kit.pads[2].append(zone(2, 40, 100, 127));
    kit.pads[2].append(zone(2, 40, 1, 127));
    const std::optional<ZoneRef> found = triggeredZone(kit, 40, 50);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->pad, 2);
    EXPECT_EQ(found->position, 2);
}

TEST(KeyEntry, EverySelectedZoneTakesTheNoteInOneEdit) {
    KitDocument kit;
    for (int row = 0; row < 4; ++row) {
        kit.pads[6].append(zone(6, 50 + row, 1, 127));
    }
    const KeyEntry entry = enterKey(kit, 6, {3, 0, 2}, 40);
    EXPECT_FALSE(entry.refusedRow);
    ASSERT_EQ(entry.edit.changes.size(), 1U);
    const Pad& after = entry.edit.changes[0].after;
    EXPECT_EQ(after.at(0).key, 40);
    EXPECT_EQ(after.at(1).key, 51); // not selected
    EXPECT_EQ(after.at(2).key, 40);
    EXPECT_EQ(after.at(3).key, 40);
    EXPECT_EQ(kit.pads[6].at(0).key, 50); // the kit changes only when the edit is applied
    applyEdit(kit, entry.edit);
    EXPECT_EQ(kit.pads[6].at(3).key, 40);
    applyEdit(kit, inverseOf(entry.edit));
    EXPECT_EQ(kit.pads[6].at(3).key, 53);
}

TEST(KeyEntry, StopsAtTheFirstRefusalKeepingTheZonesBefore) {
    KitDocument kit;
    kit.pads[0].append(zone(0, 40, 100, 127)); // another pad plays note 40 loud
    kit.pads[2].append(zone(2, 60, 1, 50));
    kit.pads[2].append(zone(2, 61, 90, 127)); // would overlap pad 1's window
    kit.pads[2].append(zone(2, 62, 1, 50));
    const KeyEntry entry = enterKey(kit, 2, {0, 1, 2}, 40);
    ASSERT_TRUE(entry.refusedRow);
    EXPECT_EQ(*entry.refusedRow, 1);
    const Pad& after = entry.edit.changes.at(0).after;
    EXPECT_EQ(after.at(0).key, 40);
    EXPECT_EQ(after.at(1).key, 61);
    EXPECT_EQ(after.at(2).key, 62);

    // Refused at the first row: nothing to undo.
    EXPECT_TRUE(enterKey(kit, 2, {1, 2}, 40).edit.empty());
    // Zones of the same pad never clash with each other.
    EXPECT_FALSE(enterKey(kit, 0, {0}, 40).refusedRow);
}

} // namespace
} // namespace padsmith
