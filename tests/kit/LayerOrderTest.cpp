// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/LayerOrder.h"

#include "kit/DrumWords.h"

#include <gtest/gtest.h>

namespace padsmith {
namespace {

TEST(DrumWords, NamesAndPathsTellTheDrum) {
    struct Row {
        std::string path;
        std::optional<Drum> drum;
    };
    const std::vector<Row> rows = {
        {"Kick_Hard_03.wav", Drum::Kick},
        {"BD 808.wav", Drum::Kick},
        {"Bass Drum soft.aif", Drum::Kick},
        {"SN v10.wav", Drum::Snare},
        {"SnareV2.wav", Drum::Snare},
        {"HH closed-pp.aif", Drum::ClosedHat},
        {"HHOpen 2.wav", Drum::OpenHat},
        {"Hi Hat Pedal.wav", Drum::PedalHat},
        {"ohh_01.wav", Drum::OpenHat},
        {"Tom Floor Soft.wav", Drum::FloorTom},
        {"Hi Tom.wav", Drum::HighTom},
        {"tom_low.wav", Drum::LowTom},
        {"Tom 2.wav", Drum::Tom},
        {"Toms/Floor Soft.wav", Drum::FloorTom},
        {"Hats/Open 1.wav", Drum::OpenHat},
        // Rim shots are snare hits; the stick across the rim is the side stick. The phrase that
        // spans more of the name wins, then the earlier row.
        {"Snare/Rim 01.wav", Drum::RimShot},
        {"Snare Rimshot v1.wav", Drum::RimShot},
        {"Snare Rim Shot 3.wav", Drum::RimShot},
        {"RS 808.wav", Drum::RimShot},
        {"Snare Side Stick.wav", Drum::Rim},
        {"Cross Stick 02.wav", Drum::Rim},
        {"Rim Click.wav", Drum::Rim},
        {"Snare/Rim Click 2.wav", Drum::Rim},
        {"Hi Hat Open.wav", Drum::OpenHat},
        {"Kit\\Snares\\Center 01.wav", Drum::Snare},
        {"Cowbell.wav", Drum::Cowbell},
        {"cow bell.wav", Drum::Cowbell},
        {"Ride Bell.wav", Drum::Bell},
        {"Ride Edge.wav", Drum::Ride},
        {"China 18.wav", Drum::China},
        {"Crash_2.wav", Drum::Crash},
        {"Tamb.wav", Drum::Tambourine},
        {"Clap 3.wav", Drum::Clap},
        {"Side Stick.wav", Drum::Rim},
        {"Perc/Bottle.wav", Drum::Perc},
        // The abbreviations of drum machines: BD SD LT MT HT RS CP CB CY RD.
        {"808 LT.wav", Drum::LowTom},
        {"CB2_01.aiff", Drum::Cowbell},
        {"RD2_01.aiff", Drum::Ride},
        // Whole words only: "bell" is not in "Bella", "oh" is an open hat only beside a hat.
        {"Bella.wav", std::nullopt},
        {"Room OH.wav", std::nullopt},
        {"Snaredrum.wav", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(drumOfPath(row.path), row.drum) << row.path;
    }
}

TEST(DrumWords, EveryDrumHasANameAndKeysAreGeneralMidi) {
    EXPECT_EQ(drumInfo(Drum::Kick).keys, (std::vector<int>{36, 35}));
    EXPECT_EQ(drumInfo(Drum::Snare).keys.front(), 38);
    EXPECT_EQ(drumInfo(Drum::ClosedHat).keys.front(), 42);
    EXPECT_EQ(drumInfo(Drum::OpenHat).keys.front(), 46);
    EXPECT_EQ(drumInfo(Drum::Cowbell).keys.front(), 56);
    EXPECT_EQ(drumInfo(Drum::Rim).keys.front(), 37);
    EXPECT_EQ(drumInfo(Drum::RimShot).keys.front(), 40);
    EXPECT_TRUE(drumInfo(Drum::Perc).keys.empty());
    for (const DrumWordRow& row : drumWordTable()) {
        EXPECT_FALSE(drumInfo(row.drum).name.empty());
    }
}

TEST(LayerOrder, NamesOrderSoftestToHardest) {
    struct Row {
        std::vector<std::string> names;
        std::vector<std::size_t> order;
    };
    const std::vector<Row> rows = {
        {{"Kick_Hard_01.wav", "Kick_Soft_01.wav", "Kick_Medium_01.wav"}, {1, 2, 0}},
        {{"SN v10.wav", "SN v2.wav", "SN v1.wav"}, {2, 1, 0}},
        {{"HH closed-ff.aif", "HH closed-pp.aif", "HH closed-mf.aif", "HH closed-p.aif"},
         {1, 3, 2, 0}},
        {{"Kick_Hard_03.wav", "Kick_Hard_01.wav", "Kick_Hard_02.wav"}, {1, 2, 0}},
        {{"PearlKick-Hardest.wav", "PearlKick-Med.wav", "PearlKick-Soft.wav",
          "PearlKick-Softest.wav"},
         {3, 2, 1, 0}},
        {{"Snare layer 3.wav", "Snare layer 1.wav", "Snare Layer 2.wav"}, {1, 2, 0}},
        {{"tom vel 12.wav", "tom vel 9.wav"}, {1, 0}},
        // A plain name sits between mp and mf; names without any hint keep natural order.
        {{"Snare f.wav", "Snare.wav", "Snare mp.wav"}, {2, 1, 0}},
        {{"snare b.wav", "snare c.wav", "snare a.wav"}, {2, 0, 1}},
        {{"Snare.wav", "Snare 10.wav", "Snare 9.wav"}, {0, 2, 1}},
        // "Pop" holds a "p", not the word "p"; "Softly" is not "soft".
        {{"Pop Softly.wav", "Pop ff.wav"}, {0, 1}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(layerOrder(row.names), row.order) << row.names.front();
    }
}

TEST(LayerOrder, SoundNamesDropLayerAndTakeWords) {
    EXPECT_EQ(soundName("Kick_Hard_03.wav"), "kick");
    EXPECT_EQ(soundName("Kicks/kick soft 1.wav"), "kick");
    EXPECT_EQ(soundName("SN v10.wav"), "sn");
    EXPECT_EQ(soundName("HH closed-pp.aif"), "hh closed");
    EXPECT_EQ(soundName("Tom 2 Hard rr3.wav"), "tom 2");
    EXPECT_EQ(soundName("Snare Rim vel 3.wav"), "snare rim");
}

TEST(LayerOrder, LayeredPadOrdersOneKeyAndSpreadsIt) {
    Pad pad;
    for (const auto& [name, key] : std::vector<std::pair<std::string, int>>{
             {"Kick Hard.wav", 36}, {"Other.wav", 40}, {"Kick Soft.wav", 36}, {"Kick.wav", 36}}) {
        SampleZone zone;
        zone.sampleName = name;
        zone.key = key;
        zone.velocityLow = 5;
        zone.velocityHigh = 6;
        pad.append(zone);
    }
    const Pad layered = layeredPad(pad, 36);
    ASSERT_EQ(layered.size(), 4U);
    EXPECT_EQ(layered.at(0).sampleName, "Kick Soft.wav");
    EXPECT_EQ(layered.at(1).sampleName, "Other.wav");
    EXPECT_EQ(layered.at(2).sampleName, "Kick.wav");
    EXPECT_EQ(layered.at(3).sampleName, "Kick Hard.wav");
    EXPECT_EQ(std::make_pair(layered.at(0).velocityLow, layered.at(0).velocityHigh),
              std::make_pair(1, 56));
    EXPECT_EQ(std::make_pair(layered.at(2).velocityLow, layered.at(2).velocityHigh),
              std::make_pair(57, 93));
    EXPECT_EQ(std::make_pair(layered.at(3).velocityLow, layered.at(3).velocityHigh),
              std::make_pair(94, 127));
    // The zone on another key keeps its window.
    EXPECT_EQ(layered.at(1).velocityLow, 5);
    EXPECT_EQ(layerWindows(2), (std::vector<std::pair<int, int>>{{1, 74}, {75, 127}}));
}

} // namespace
} // namespace padsmith
