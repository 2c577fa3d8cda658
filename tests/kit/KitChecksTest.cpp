// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitChecks.h"

#include "kit/KitHost.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace padsmith {
namespace {

// Records what the check shows, in order.
class RecordingHost : public KitHost {
public:
    void selectPad(int pad, int zone) override {
        events.push_back("select " + std::to_string(pad) + "/" + std::to_string(zone));
    }
    void showMessage(MessageIcon icon, const std::string& text) override {
        events.push_back(std::string(icon == MessageIcon::Warning ? "warning " : "other ") + text);
    }
    std::vector<std::string> events;
};

SampleZone zone(int pad, int key, int low, int high) {
    SampleZone z;
    z.padNumber = pad + 1;
    z.key = key;
    z.velocityLow = low;
    z.velocityHigh = high;
    return z;
}

TEST(DoubleNote, OverlapAcrossPadsOnly) {
    struct Case {
        int lowA, highA, lowB, highB;
        bool samePad;
        bool sameKey;
        bool conflict;
    };
    const std::vector<Case> cases = {
        {1, 64, 64, 127, false, true, true},   // one shared velocity is enough
        {1, 63, 64, 127, false, true, false},  // adjacent windows are fine
        {64, 127, 1, 64, false, true, true},   // either order
        {1, 127, 50, 60, false, true, true},   // one inside the other
        {1, 127, 1, 127, true, true, false},   // layers of one pad
        {1, 127, 1, 127, false, false, false}, // other key
    };
    for (const Case& c : cases) {
        KitDocument kit;
        const int otherPad = c.samePad ? 2 : 5;
        kit.pads[2].append(zone(2, 36, c.lowA, c.highA));
        kit.pads[static_cast<std::size_t>(otherPad)].append(
            zone(otherPad, c.sameKey ? 36 : 37, c.lowB, c.highB));
        EXPECT_EQ(checkDoubleNote(kit, kit.pads[2].at(0), 0, 36, nullptr), c.conflict)
            << c.lowA << "-" << c.highA << " / " << c.lowB << "-" << c.highB;
        EXPECT_EQ(checkKitNotes(kit, nullptr), c.conflict);
    }
}

TEST(DoubleNote, NewKeyIsCheckedWithTheZonesOwnWindow) {
    KitDocument kit;
    kit.pads[0].append(zone(0, 36, 1, 50));
    kit.pads[1].append(zone(1, 38, 40, 127));
    // Moving pad 1's zone to key 38 would clash; its current key does not matter.
    EXPECT_TRUE(checkDoubleNote(kit, kit.pads[0].at(0), 0, 38, nullptr));
    EXPECT_FALSE(checkDoubleNote(kit, kit.pads[0].at(0), 0, 39, nullptr));
    kit.pads[0].at(0).velocityHigh = 39;
    EXPECT_FALSE(checkDoubleNote(kit, kit.pads[0].at(0), 0, 38, nullptr));
}

TEST(DoubleNote, ReportShowsTheOtherZoneThenReturns) {
    KitDocument kit;
    kit.pads[0].append(zone(0, 40, 1, 127));
    kit.pads[3].append(zone(3, 36, 1, 127));
    kit.pads[3].append(zone(3, 40, 1, 127));
    kit.pads[7].append(zone(7, 40, 1, 127));
    RecordingHost host;

    const auto other = findDoubleNote(kit, kit.pads[3].at(1), 40);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->pad, 0);
    EXPECT_EQ(other->position, 0);
    EXPECT_TRUE(host.events.empty());

    EXPECT_TRUE(checkDoubleNote(kit, kit.pads[3].at(1), 1, 40, &host));
    const std::vector<std::string> expected = {
        "select 0/0", "warning Double defined NOTE in your drum set!", "select 3/1"};
    EXPECT_EQ(host.events, expected);

    // The whole-kit check reports once, for the first zone in pad order.
    host.events.clear();
    EXPECT_TRUE(checkKitNotes(kit, &host));
    const std::vector<std::string> first = {
        "select 3/1", "warning Double defined NOTE in your drum set!", "select 0/0"};
    EXPECT_EQ(host.events, first);
}

TEST(DoubleNote, KitCheckUsesThePadAZoneSitsIn) {
    // A zone moved to another pad whose number was not refreshed must not clash with itself.
    KitDocument kit;
    kit.pads[4].append(zone(1, 36, 1, 127));
    EXPECT_FALSE(checkKitNotes(kit, nullptr));
    EXPECT_TRUE(findAllDoubleNotes(kit).empty());
}

TEST(DoubleNote, AllPairsAreListedOnce) {
    // Pad 9's zones clash with pad 2's: the first clash of each of them lies on a lower pad,
    // and still every pair must be listed.
    KitDocument kit;
    kit.pads[1].append(zone(1, 40, 1, 127));
    kit.pads[1].append(zone(1, 40, 1, 127)); // a layer of the same pad
    kit.pads[4].append(zone(4, 40, 1, 60));
    kit.pads[8].append(zone(8, 40, 70, 127));
    kit.pads[8].append(zone(8, 40, 50, 65));
    kit.pads[8].append(zone(8, 41, 1, 127));
    using Pair = std::pair<ZoneRef, ZoneRef>;
    std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> found;
    for (const Pair& pair : findAllDoubleNotes(kit)) {
        found.push_back(
            {{pair.first.pad, pair.first.position}, {pair.second.pad, pair.second.position}});
    }
    const std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> expected = {
        {{1, 0}, {4, 0}}, {{1, 0}, {8, 0}}, {{1, 0}, {8, 1}}, {{1, 1}, {4, 0}},
        {{1, 1}, {8, 0}}, {{1, 1}, {8, 1}}, {{4, 0}, {8, 1}}};
    EXPECT_EQ(found, expected);
}

TEST(DoubleNote, AllPairsMatchAZoneByZoneComparison) {
    // Kits of many takes: few keys shared by pads, windows repeated, empty, reversed and out
    // of range. The pairs must be those (and in the order) a comparison of every zone with
    // every later zone of another pad gives, and so must the first pair and their groups by
    // first zone.
    std::mt19937 random(35);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 20; ++round) {
        KitDocument kit;
        for (int p = 0; p < kPadCount; ++p) {
            const int zones = pick(0, 40);
            for (int z = 0; z < zones; ++z) {
                const int low = pick(-2, 130);
                const int high = pick(0, 3) == 0 ? low : pick(-2, 130);
                kit.pads[static_cast<std::size_t>(p)].append(zone(p, 36 + pick(0, 3), low, high));
            }
        }
        std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> expected;
        for (int p = 0; p < kPadCount; ++p) {
            const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
            for (std::size_t r = 0; r < pad.size(); ++r) {
                for (int q = p + 1; q < kPadCount; ++q) {
                    const Pad& other = kit.pads[static_cast<std::size_t>(q)];
                    for (std::size_t s = 0; s < other.size(); ++s) {
                        const SampleZone& a = pad.at(r);
                        const SampleZone& b = other.at(s);
                        if (a.key == b.key && std::max(a.velocityLow, b.velocityLow) <=
                                                  std::min(a.velocityHigh, b.velocityHigh)) {
                            expected.push_back(
                                {{p, static_cast<int>(r)}, {q, static_cast<int>(s)}});
                        }
                    }
                }
            }
        }
        std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> found;
        for (const auto& [first, second] : findAllDoubleNotes(kit)) {
            found.push_back({{first.pad, first.position}, {second.pad, second.position}});
        }
        EXPECT_EQ(found, expected) << "round " << round;
        // The first pair, which checkKitNotes and a save refuse the kit for.
        const auto firstPair = findFirstDoubleNote(kit);
        ASSERT_EQ(firstPair.has_value(), !expected.empty()) << "round " << round;
        if (firstPair) {
            EXPECT_EQ(std::pair(std::pair(firstPair->first.pad, firstPair->first.position),
                                std::pair(firstPair->second.pad, firstPair->second.position)),
                      expected.front())
                << "round " << round;
        }
        // Gathered by their first zone: each zone's count and the first two of its pairs.
        std::vector<std::pair<std::pair<int, int>, std::vector<std::pair<int, int>>>> groups;
        std::vector<std::size_t> counts;
        for (const auto& [first, second] : expected) {
            if (groups.empty() || groups.back().first != first) {
                groups.push_back({first, {}});
                counts.push_back(0);
            }
            if (groups.back().second.size() < 2) {
                groups.back().second.push_back(second);
            }
            ++counts.back();
        }
        decltype(groups) gathered;
        std::vector<std::size_t> gatheredCounts;
        for (const DoubleNoteGroup& group : findDoubleNoteGroups(kit, 2)) {
            gathered.push_back({{group.zone.pad, group.zone.position}, {}});
            for (const ZoneRef other : group.first) {
                gathered.back().second.push_back({other.pad, other.position});
            }
            gatheredCounts.push_back(group.count);
        }
        EXPECT_EQ(gathered, groups) << "round " << round;
        EXPECT_EQ(gatheredCounts, counts) << "round " << round;
    }
}

} // namespace
} // namespace padsmith
