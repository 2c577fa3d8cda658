// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/InstrumentFile.h"

#include "FakeHost.h"
#include "FileSizeLimit.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using test::FakeHost;
using test::TempFolder;

class InstrumentFileTest : public ::testing::Test {
protected:
    // "Rock" with the pad "Snare" at pad 12: two zones whose samples exist.
    KitDocument rockKit() {
        KitDocument kit;
        kit.kitName = "Rock";
        kit.sampleFolder = "Rock";
        Pad& pad = kit.pads[11];
        pad.label = "Snare";
        SampleZone soft;
        soft.padNumber = 12;
        soft.padName = "Snare";
        soft.key = 38;
        soft.velocityHigh = 99;
        soft.sampleName = "snare soft.wav";
        soft.gainLeft = 0.25F; // -12 dB
        soft.gainRight = 2.0F;
        soft.sourcePath = folder.write("library/snare soft.wav", "soft").string();
        pad.append(soft);
        SampleZone hard = soft;
        hard.velocityLow = 100;
        hard.velocityHigh = 127;
        hard.sampleName = "snare hard.wav";
        hard.gainLeft = 1.0F;
        hard.group = 2;
        hard.voices = 3;
        hard.sourcePath = folder.write("library/snare hard.wav", "hard").string();
        pad.append(hard);
        return kit;
    }
    InstrumentImport import(KitDocument& kit, int padIndex, const fs::path& path) {
        return importInstrument(kit, kit.pads[static_cast<std::size_t>(padIndex)], padIndex, path,
                                finder, CodePage());
    }

    TempFolder folder;
    FakeHost host;
    SampleFinder finder{host};
};

TEST_F(InstrumentFileTest, PadTravelsToAnotherKitAndPadUnchangedButForTheRoundedGain) {
    KitDocument rock = rockKit();
    const fs::path file = folder / "snare.zvi";
    ASSERT_TRUE(exportInstrument(rock, 11, file, CodePage()));
    EXPECT_EQ(TempFolder::read(file), formatInstrument(rock.pads[11], 11));

    // Into pad 3 of an empty kit: the zones take pad 3's number, the pad the name.
    KitDocument jazz;
    const InstrumentImport result = import(jazz, 2, file);
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.content.complete);
    EXPECT_EQ(result.imported, 2U);
    EXPECT_FALSE(result.searchDeclined);
    EXPECT_TRUE(host.prompts.empty()); // every sample was where the file says

    Pad expected = rock.pads[11];
    for (SampleZone& zone : expected) {
        zone.padNumber = 3;
    }
    expected.at(0).gainLeft = 0.3F; // one decimal: -12 dB comes back as -6 dB
    EXPECT_EQ(jazz.pads[2].zones(), expected.zones());
    EXPECT_EQ(jazz.pads[2].label, "Snare");
    EXPECT_EQ(gainToDecibels(jazz.pads[2].at(0).gainLeft), -6);
}

TEST_F(InstrumentFileTest, ImportAppendsToAPadThatHasZonesAndKeepsItsName) {
    KitDocument rock = rockKit();
    const fs::path file = folder / "snare.zvi";
    ASSERT_TRUE(exportInstrument(rock, 11, file, CodePage()));

    KitDocument kit;
    Pad& pad = kit.pads[0];
    pad.label = "Kick";
    SampleZone kick;
    kick.padName = "Kick";
    kick.sampleName = "kick.wav";
    kick.sourcePath = folder.write("library/kick.wav", "kick").string();
    pad.append(kick);

    EXPECT_EQ(import(kit, 0, file).imported, 2U);
    ASSERT_EQ(pad.size(), 3U);
    EXPECT_EQ(pad.at(0), kick);
    EXPECT_EQ(pad.at(1).sampleName, "snare soft.wav");
    EXPECT_EQ(pad.at(2).sampleName, "snare hard.wav");
    EXPECT_EQ(pad.at(2).padName, "Snare");
    EXPECT_EQ(pad.label, "Kick");
}

TEST_F(InstrumentFileTest, ExportNamesTheZonesAfterThePadAndKeepsTheOldFileOnFailure) {
    KitDocument rock = rockKit();
    rock.pads[11].label = "Rim";
    const fs::path file = folder / "snare.zvi";
    ASSERT_TRUE(exportInstrument(rock, 11, file, CodePage()));
    EXPECT_EQ(rock.pads[11].at(1).padName, "Rim");
    const std::string written = TempFolder::read(file);

    // A folder standing where the file should go, or a disk that is full: nothing replaced.
    fs::create_directories(folder / "taken.zvi");
    EXPECT_FALSE(exportInstrument(rock, 11, folder / "taken.zvi", CodePage()));
#ifdef PADSMITH_HAS_FILE_SIZE_LIMIT
    for (int i = 0; i < 200; ++i) {
        rock.pads[11].append(rock.pads[11].at(0));
    }
    {
        const test::FileSizeLimit diskFull(1024);
        EXPECT_FALSE(exportInstrument(rock, 11, file, CodePage()));
    }
    EXPECT_EQ(TempFolder::read(file), written);
#endif
}

TEST_F(InstrumentFileTest, MissingSamplesAreSearchedAndADeclinedSearchEndsTheImport) {
    const std::string text = "Zarvo Drumkit instrument,\r\n"
                             " 5,  0, 0, 40,Tom,tom.wav,  1,127,  0,  0, 1.0, 1.0,  0,  0,"
                             "/gone/tom.wav,\r\n"
                             " 5,  0, 0, 41,Tom,lost.wav,  1,127,  0,  0, 1.0, 1.0,  0,  0,"
                             "/gone/lost.wav,\r\n"
                             "-1\r\n\r\nPadsmith by Mervane";
    const fs::path file = folder.write("tom.zvi", text);
    const fs::path found = folder.write("moved/deep/tom.wav", "tom");

    KitDocument kit;
    host.answers = {(folder / "moved").string()};
    const InstrumentImport result = import(kit, 4, file);
    EXPECT_EQ(result.imported, 2U);
    ASSERT_EQ(host.prompts.size(), 1U); // asked once
    EXPECT_EQ(kit.pads[4].at(0).sourcePath, found.string());
    EXPECT_EQ(kit.pads[4].at(1).sourcePath, markMissing("/gone/lost.wav"));
    // The import leaves the search folder for the next one, and asks nothing more.
    EXPECT_EQ(finder.searchFolder(), folder / "moved");

    // Without a folder to search, the import stops at the first missing sample.
    finder.forget();
    KitDocument other;
    const InstrumentImport declined = import(other, 0, file);
    EXPECT_TRUE(declined.searchDeclined);
    EXPECT_EQ(declined.imported, 0U);
    EXPECT_TRUE(other.pads[0].empty());
    EXPECT_EQ(other.pads[0].label, "XXX");
}

// The names an instrument file gives its samples pass the kit's name rule: a name another
// sample of the kit (or of the file) has, or one the rule refuses, gives way to the source's own
// file name, and the zone stays out when that is no better.
TEST_F(InstrumentFileTest, SampleNamesFromTheFileFollowTheKitsNameRule) {
    const std::string kickA = folder.write("a/kick.wav", "a").string();
    const std::string kickB = folder.write("b/kick.wav", "b").string();
    const std::string kick2 = folder.write("c/kick 2.wav", "c").string();
    const std::string hatD = folder.write("d/hat.wav", "d").string();
    const std::string hatE = folder.write("e/hat.wav", "e").string();
    const std::string x = folder.write("e/x.wav", "x").string();
    KitDocument kit;
    SampleZone kick;
    kick.sampleName = "Kick.wav";
    kick.sourcePath = kickA;
    kit.pads[0].append(kick);

    struct Row {
        std::string name;
        std::string source;
        std::string imported; // empty: left out
    };
    const std::vector<Row> rows = {
        {"kick.wav", kickA, "kick.wav"},   // the same source may share the name
        {"kick.wav", kickB, ""},           // another source, and its own name is taken too
        {"kick.wav", kick2, "kick 2.wav"}, // another source, its own name is free
        {"../x.wav", x, "x.wav"},          // refused by the rule
        {"hat.wav", hatD, "hat.wav"},
        {"hat.wav", hatE, ""}, // taken by the zone before it in the same file
    };
    std::string text = "Zarvo Drumkit instrument,\r\n";
    for (const Row& row : rows) {
        text += " 3,  0, 0, 40,Pad," + row.name + ",  1,127,  0,  0, 1.0, 1.0,  0,  0," +
                row.source + ",\r\n";
    }
    text += "-1\r\n\r\nPadsmith by Mervane";
    const InstrumentImport result = import(kit, 2, folder.write("names.zvi", text));

    std::vector<std::string> imported;
    for (std::size_t i = 0; i < kit.pads[2].size(); ++i) {
        imported.push_back(kit.pads[2].at(i).sampleName);
    }
    std::vector<std::string> expected;
    for (const Row& row : rows) {
        if (!row.imported.empty()) {
            expected.push_back(row.imported);
        }
    }
    EXPECT_EQ(imported, expected);
    ASSERT_EQ(result.refused.size(), 2U);
    EXPECT_EQ(result.refused[0],
              "kick.wav: kick.wav is already the name of another sample of this kit; both would "
              "play one file.");
}

TEST_F(InstrumentFileTest, FileReadInPartBringsTheZonesBeforeTheBrokenLine) {
    KitDocument rock = rockKit();
    const std::string whole = formatInstrument(rock.pads[11], 11);
    // Cut inside the second zone line, with LF line ends as a Unix tool might leave it.
    std::string cut = whole.substr(0, whole.find("snare hard"));
    for (std::size_t at = cut.find('\r'); at != std::string::npos; at = cut.find('\r')) {
        cut.erase(at, 1);
    }
    const fs::path file = folder.write("cut.zvi", cut);
    KitDocument kit;
    const InstrumentImport result = import(kit, 0, file);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.content.complete);
    EXPECT_EQ(result.content.stopLine, 3);
    EXPECT_EQ(result.imported, 1U);
    EXPECT_EQ(kit.pads[0].at(0).sampleName, "snare soft.wav");
}

TEST_F(InstrumentFileTest, WhatIsNotAnInstrumentFileIsNotRead) {
    KitDocument kit;
    EXPECT_FALSE(import(kit, 0, folder / "none.zvi").opened);
    fs::create_directories(folder / "folder.zvi");
    EXPECT_FALSE(import(kit, 0, folder / "folder.zvi").opened);
    // A device or a pipe would flood or block the reader.
    EXPECT_FALSE(import(kit, 0, "/dev/zero").opened);
    const fs::path fifo = folder / "pipe.zvi";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(import(kit, 0, fifo).opened);
    EXPECT_TRUE(kit.pads[0].empty());
}

TEST_F(InstrumentFileTest, PadKitFileNamesStayInThePluginFolder) {
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"Rock", "Snare"}, "Rock Snare.txt"},
        {{"Rock", "AC/DC"}, "Rock AC DC.txt"},
        {{"Rock", "a\\b,c"}, "Rock a b c.txt"},
        {{"Rock", "../x"}, "Rock .. x.txt"},
        {{" Rock ", " Snare\r\n"}, "Rock Snare.txt"},
        {{"", "Snare"}, "Snare.txt"},
        {{"", "/"}, nullptr},
        {{"", ".."}, nullptr},
        {{".", ""}, nullptr},
        {{",", "\\"}, nullptr},
    };
    for (const auto& [names, expected] : cases) {
        const auto name = padKitFileName(names.first, names.second);
        if (expected == nullptr) {
            EXPECT_FALSE(name.has_value()) << names.first << "|" << names.second;
        } else {
            EXPECT_EQ(name.value_or("(none)"), expected);
        }
    }
}

TEST_F(InstrumentFileTest, PadSavedAsKitNeverReplacesAFileUnasked) {
    const fs::path plugin = folder / "Zarvo";
    fs::create_directories(plugin);
    KitDocument kit = rockKit();
    kit.copyright = "Me";
    kit.takeSavedFingerprints();
    fs::path target;
    // The pad kit's header names it and its own sample folder; the rest is the pad as it is.
    const auto padKitText = [&kit] {
        KitDocument padKit = kit;
        padKit.kitName = "Rock Snare";
        padKit.sampleFolder = "Rock Snare";
        return formatPadKitScript(padKit, 11);
    };

    EXPECT_EQ(savePadAsKit(kit, 0, {plugin, false, CodePage()}, false, &target),
              PadKitResult::EmptyPad);
    EXPECT_TRUE(fs::is_empty(plugin));

    ASSERT_EQ(savePadAsKit(kit, 11, {plugin, false, CodePage()}, false, &target),
              PadKitResult::Written);
    EXPECT_EQ(target, plugin / "Rock Snare.txt");
    EXPECT_EQ(TempFolder::read(target), padKitText());
    EXPECT_EQ(TempFolder::read(target).find(kit.pads[11].at(0).sourcePath), std::string::npos);
    // The script and the pad kit's own sample folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(plugin), fs::directory_iterator()), 2);
    EXPECT_TRUE(fs::is_directory(plugin / "Rock Snare"));
    EXPECT_FALSE(kit.updateModified());
    EXPECT_EQ(kit.kitName, "Rock");

    // A kit of that name is there (the pad is named like another kit): asked first.
    folder.write("Zarvo/Rock Snare.txt", "the user's own kit");
    EXPECT_EQ(savePadAsKit(kit, 11, {plugin, false, CodePage()}, false, &target),
              PadKitResult::Exists);
    EXPECT_EQ(TempFolder::read(target), "the user's own kit");
    EXPECT_EQ(savePadAsKit(kit, 11, {plugin, false, CodePage()}, true, &target),
              PadKitResult::Written);
    EXPECT_EQ(TempFolder::read(target), padKitText());

    // A hostile pad name writes inside the plug-in folder, or not at all.
    kit.pads[11].label = "../../x";
    ASSERT_EQ(savePadAsKit(kit, 11, {plugin, false, CodePage()}, false, &target),
              PadKitResult::Written);
    EXPECT_EQ(target, plugin / "Rock .. .. x.txt");
    EXPECT_FALSE(fs::exists(folder / "x.txt"));
    kit.kitName = "";
    kit.pads[11].label = "..";
    EXPECT_EQ(savePadAsKit(kit, 11, {plugin, false, CodePage()}, false, &target),
              PadKitResult::BadName);
}

} // namespace
} // namespace padsmith
