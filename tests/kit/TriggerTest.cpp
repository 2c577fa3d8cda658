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

} // namespace
} // namespace padsmith
