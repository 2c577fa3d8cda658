// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/PadMap.h"

#include "kit/Trigger.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace padsmith {
namespace {

struct Window {
    int key;
    int low;
    int high;
};

SampleZone zone(int key, int low, int high, std::string name = "take.wav") {
    SampleZone z;
    z.key = key;
    z.velocityLow = low;
    z.velocityHigh = high;
    z.sampleName = std::move(name);
    return z;
}

void fill(KitDocument& kit, int pad, const std::vector<Window>& windows) {
    for (const Window& w : windows) {
        kit.pads[static_cast<std::size_t>(pad)].append(zone(w.key, w.low, w.high));
    }
}

using Spans = std::vector<VelocitySpan>;

struct MapCase {
    const char* what;
    std::vector<Window> earlierPad; // pad 1, before the mapped pad in the trigger order
    std::vector<Window> mappedPad;  // pad 3
    // Of the first lane:
    Spans gaps;
    Spans elsewhere;
    // Of each block, in row order:
    std::vector<Spans> plays;
    std::vector<int> tiers;
    std::vector<int> takenByPad; // -1: the block plays its whole window
};

TEST(PadMap, LanesGapsAndZonesThatNeverPlay) {
    const std::vector<MapCase> cases = {
        {"two layers with a hole between them",
         {},
         {{36, 1, 40}, {36, 60, 127}},
         {{41, 59}},
         {},
         {{{1, 40}}, {{60, 127}}},
         {0, 0},
         {-1, -1}},
        {"a second take inside the first one's window never plays",
         {},
         {{38, 1, 127}, {38, 50, 80}},
         {},
         {},
         {{{1, 127}}, {}},
         {0, 1},
         {-1, 3}},
        {"a take that covers more than the one before it plays what is left",
         {},
         {{38, 1, 64}, {38, 33, 127}},
         {},
         {},
         {{{1, 64}}, {{65, 127}}},
         {0, 1},
         {-1, 3}},
        {"an earlier pad takes the key first",
         {{36, 1, 127}},
         {{36, 1, 64}},
         {},
         {{1, 127}},
         {{}},
         {0},
         {1}},
        {"a key split between two pads",
         {{36, 1, 64}},
         {{36, 65, 127}},
         {},
         {{1, 64}},
         {{{65, 127}}},
         {0},
         {-1}},
        {"an upper bound of 0 answers every velocity",
         {},
         {{40, 50, 0}, {40, 1, 10}},
         {},
         {},
         {{{1, 127}}, {}},
         {0, 1},
         {-1, 3}},
        {"a window the wrong way round answers nothing and takes nothing",
         {},
         {{42, 90, 20}},
         {{1, 127}},
         {},
         {{}},
         {0},
         {-1}},
        {"a take with the window of an earlier one never shares its tier",
         {},
         {{38, 1, 13}, {38, 13, 25}, {38, 25, 37}, {38, 1, 13}},
         {{38, 127}},
         {},
         {{{1, 13}}, {{14, 25}}, {{26, 37}}, {}},
         {0, 1, 0, 2},
         {-1, 3, 3, 3}},
        {"windows beyond 1..127 are cut", {}, {{44, 0, 200}}, {}, {}, {{{1, 127}}}, {0}, {-1}},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.what);
        KitDocument kit;
        fill(kit, 0, c.earlierPad);
        fill(kit, 2, c.mappedPad);
        const PadMap map = padMap(kit, 2);
        ASSERT_EQ(map.lanes.size(), 1U);
        EXPECT_EQ(map.lanes[0].key, c.mappedPad[0].key);
        EXPECT_EQ(map.lanes[0].gaps, c.gaps);
        EXPECT_EQ(map.lanes[0].elsewhere, c.elsewhere);
        ASSERT_EQ(map.blocks.size(), c.plays.size());
        int tiers = 0;
        for (std::size_t b = 0; b < map.blocks.size(); ++b) {
            const MapBlock& block = map.blocks[b];
            SCOPED_TRACE(b);
            EXPECT_EQ(block.row, static_cast<int>(b));
            EXPECT_EQ(block.lane, 0);
            EXPECT_EQ(block.plays, c.plays[b]);
            EXPECT_EQ(block.tier, c.tiers[b]);
            EXPECT_EQ(block.takenBy ? block.takenBy->pad + 1 : -1, c.takenByPad[b]);
            EXPECT_EQ(block.label, "take.wav");
            tiers = std::max(tiers, block.tier + 1);
        }
        EXPECT_EQ(map.lanes[0].tiers, tiers);
    }
}

TEST(PadMap, OneLanePerKeyInKeyOrder) {
    KitDocument kit;
    fill(kit, 5, {{42, 1, 127}, {36, 1, 64}, {42, 1, 127}, {36, 65, 127}});
    const PadMap map = padMap(kit, 5);
    ASSERT_EQ(map.lanes.size(), 2U);
    EXPECT_EQ(map.lanes[0].key, 36);
    EXPECT_EQ(map.lanes[1].key, 42);
    EXPECT_EQ(map.blocks[0].lane, 1);
    EXPECT_EQ(map.blocks[1].lane, 0);
    EXPECT_EQ(map.blocks[3].lane, 0);
    EXPECT_EQ(map.laneOf(42), 1);
    EXPECT_EQ(map.laneOf(43), -1);
    EXPECT_TRUE(padMap(kit, 6).lanes.empty());
    EXPECT_TRUE(padMap(kit, 18).blocks.empty());
}

// A click on the map plays what a note reaches within the pad: the same rule as the kit's.
TEST(PadMap, ClickedVelocityFindsTheZoneThatPlays) {
    KitDocument kit;
    fill(kit, 1, {{36, 1, 127}});
    fill(kit, 4, {{36, 1, 64}, {36, 1, 127}, {38, 0, 0}});
    EXPECT_EQ(triggeredRow(kit.pads[4], 36, 64), 0);
    EXPECT_EQ(triggeredRow(kit.pads[4], 36, 65), 1);
    EXPECT_EQ(triggeredRow(kit.pads[4], 38, 1), 2);
    EXPECT_EQ(triggeredRow(kit.pads[4], 37, 50), -1);
    // Kit-wide, pad 2 comes first.
    EXPECT_EQ(triggeredZone(kit, 36, 65)->pad, 1);
}

struct DragCase {
    const char* what;
    std::vector<Window> before;
    int row;
    VelocityEdge edge;
    int velocity;
    std::vector<Window> after;
};

TEST(PadMap, EdgeDragsAsKitEdits) {
    const VelocityEdge high = VelocityEdge::High;
    const VelocityEdge low = VelocityEdge::Low;
    const std::vector<DragCase> cases = {
        {"the touching neighbour follows up",
         {{36, 1, 64}, {36, 65, 127}},
         0,
         high,
         80,
         {{36, 1, 80}, {36, 81, 127}}},
        {"the touching neighbour follows down",
         {{36, 1, 64}, {36, 65, 127}},
         1,
         low,
         40,
         {{36, 1, 39}, {36, 40, 127}}},
        {"the neighbour keeps its last velocity",
         {{36, 1, 64}, {36, 65, 127}},
         0,
         high,
         127,
         {{36, 1, 126}, {36, 127, 127}}},
        {"a neighbour with a gap between stays",
         {{36, 1, 50}, {36, 60, 127}},
         0,
         high,
         70,
         {{36, 1, 70}, {36, 60, 127}}},
        {"a zone of another key stays",
         {{36, 1, 64}, {38, 65, 127}},
         0,
         high,
         80,
         {{36, 1, 80}, {38, 65, 127}}},
        {"the dragged zone keeps one velocity", {{36, 10, 64}}, 0, low, 100, {{36, 64, 64}}},
        {"a drag past 127 stops there", {{36, 10, 64}}, 0, high, 300, {{36, 10, 127}}},
        {"every velocity (upper bound 0) becomes a window first",
         {{36, 50, 0}},
         0,
         low,
         30,
         {{36, 30, 127}}},
        {"a window that answered nothing becomes the window drawn",
         {{36, 90, 20}},
         0,
         high,
         100,
         {{36, 20, 100}}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.what);
        KitDocument kit;
        fill(kit, 3, c.before);
        const KitDocument original = kit;
        const KitEdit edit = dragVelocityEdge(kit, 3, c.row, c.edge, c.velocity);
        EXPECT_EQ(edit.name, "Edit Velocity");
        applyEdit(kit, edit);
        const Pad& pad = kit.pads[3];
        ASSERT_EQ(pad.size(), c.after.size());
        for (std::size_t row = 0; row < pad.size(); ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(pad.at(row).key, c.after[row].key);
            EXPECT_EQ(pad.at(row).velocityLow, c.after[row].low);
            EXPECT_EQ(pad.at(row).velocityHigh, c.after[row].high);
        }
        // One step back gives the kit as it was.
        applyEdit(kit, inverseOf(edit));
        EXPECT_EQ(kit.pads, original.pads);
    }
}

TEST(PadMap, DragsThatChangeNothing) {
    KitDocument kit;
    fill(kit, 0, {{36, 1, 64}});
    EXPECT_TRUE(dragVelocityEdge(kit, 0, 0, VelocityEdge::High, 64).empty());
    EXPECT_TRUE(dragVelocityEdge(kit, 0, 1, VelocityEdge::High, 80).empty()); // no such row
    EXPECT_TRUE(dragVelocityEdge(kit, 18, 0, VelocityEdge::High, 80).empty());
}

} // namespace
} // namespace padsmith
