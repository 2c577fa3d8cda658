// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeHost.h"
#include "FileSizeLimit.h"
#include "KitScriptLines.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"

#include <gtest/gtest.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// A zone line whose key range is its key.
std::string zoneLine(int pad, int key, const std::string& padName, const std::string& sample) {
    return test::zoneLine(pad, key, padName, sample, key, key);
}

std::string script(const std::string& sampleFolder, const std::string& zones,
                   const std::string& paths) {
    return test::kitScript("Stored Name", sampleFolder, zones, paths, "Me");
}

class KitScriptFileTest : public ::testing::Test, protected test::PluginFolder {
protected:
    // A kit whose two samples exist in the user's library.
    KitDocument libraryKit() {
        KitDocument kit;
        kit.copyright = "Me";
        kit.pads[0].label = "KICK";
        kit.pads[4].label = "SNARE";
        SampleZone kick;
        kick.key = 36;
        kick.sampleName = "kick.wav";
        kick.sourcePath = folder.write("library/kick.wav", "kick").string();
        kit.pads[0].append(kick);
        SampleZone snare;
        snare.padNumber = 5;
        snare.key = 38;
        snare.sampleName = "snare.wav";
        snare.sourcePath = folder.write("library/snare.wav", "snare").string();
        kit.pads[4].append(snare);
        return kit;
    }
};

TEST_F(KitScriptFileTest, SaveInstallsAndReadsBack) {
    location.shareSamples = true;
    KitDocument kit = libraryKit();
    kit.currentPad = 4;
    const fs::path path = folder / "kits" / "Rock.txt";
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));

    EXPECT_EQ(kit.kitName, "Rock");
    EXPECT_EQ(kit.sampleFolder, "ZARVO SAMPLES");
    EXPECT_EQ(kit.pads[0].at(0).padName, "KICK");
    EXPECT_FALSE(kit.modified());
    EXPECT_EQ(TempFolder::read(path), formatKitScript(kit));
    EXPECT_EQ(TempFolder::read(plugin / "Rock.txt"), formatKitScript(kit));
    EXPECT_EQ(TempFolder::read(plugin / "ZARVO SAMPLES" / "kick.wav"), "kick");
    EXPECT_EQ(TempFolder::read(plugin / "ZARVO SAMPLES" / "snare.wav"), "snare");
    EXPECT_EQ(kit.currentPad, 4);
    EXPECT_TRUE(host.selections.empty()); // the save itself makes no window calls

    KitDocument back;
    back.currentPad = 7;
    ASSERT_TRUE(read(back, path));
    EXPECT_EQ(back.currentPad, 7);
    EXPECT_EQ(back.kitName, "Rock");
    EXPECT_EQ(back.copyright, "Me");
    EXPECT_EQ(back.pads[4].label, "SNARE");
    EXPECT_EQ(back.pads[1].label, "XXX");
    for (int p : {0, 4}) {
        EXPECT_EQ(back.pads[p].zones(), kit.pads[p].zones()) << p;
    }
    EXPECT_EQ(back.kitSize(), 9);
    EXPECT_FALSE(back.modified());
    EXPECT_TRUE(host.prompts.empty());
}

TEST_F(KitScriptFileTest, WrongOrUnreadableFileLeavesTheKitAlone) {
    KitDocument kit = libraryKit();
    const KitDocument before = kit;
    EXPECT_FALSE(read(kit, folder.write("notes.txt", "vst sample,\r\n")));
    EXPECT_EQ(host.messages.back(),
              std::make_pair(MessageIcon::None, std::string("Unknown format !")));
    EXPECT_FALSE(read(kit, folder / "missing.txt"));
    EXPECT_FALSE(read(kit, folder.path()));
    EXPECT_EQ(host.messages.size(), 3U);
    EXPECT_EQ(host.previewStops, 0);
    for (int p = 0; p < kPadCount; ++p) {
        EXPECT_EQ(kit.pads[p].zones(), before.pads[p].zones());
        EXPECT_EQ(kit.pads[p].label, before.pads[p].label);
    }
    EXPECT_EQ(kit.kitName, before.kitName);
}

TEST_F(KitScriptFileTest, PathLinesFillZonesPerPadAndExtraLinesAreSkipped) {
    location.shareSamples = true;
    const std::string a = folder.write("lib/a.wav", "a").string();
    const std::string b = folder.write("lib/b.wav", "bb").string();
    const std::string c = folder.write("lib/c.wav", "ccc").string();
    const std::string zones = zoneLine(3, 40, "TOM", "a.wav") + zoneLine(3, 41, "TOM2", "b.wav") +
                              zoneLine(5, 42, "HAT", "c.wav");
    const std::string paths =
        " 3," + a + ",\r\n 3," + b + ",\r\n 3," + c + ",\r\n 5," + c + ",\r\n";
    KitDocument kit;
    ASSERT_TRUE(read(kit, folder.write("My Kit.v2.txt", script("Old", zones, paths))));
    EXPECT_EQ(kit.pads[2].size(), 2U);
    EXPECT_EQ(kit.pads[2].at(0).sourcePath, a);
    EXPECT_EQ(kit.pads[2].at(1).sourcePath, b);
    EXPECT_EQ(kit.pads[4].at(0).sourcePath, c);
    EXPECT_EQ(kit.pads[2].label, "TOM"); // from the first zone
    EXPECT_EQ(kit.kitName, "My Kit.v2");
    EXPECT_EQ(kit.sampleFolder, "ZARVO SAMPLES");
    EXPECT_EQ(kit.kitSize(), 6);
    EXPECT_GE(host.pumps, 7);
}

TEST_F(KitScriptFileTest, EmptyPathSectionTakesSamplesFromTheStoredFolder) {
    const std::string zones =
        zoneLine(1, 36, "KICK", "kick.wav") + zoneLine(2, 38, "SN", "../x.wav");
    KitDocument kit;
    ASSERT_TRUE(read(kit, folder.write("Rock.txt", script("Rock Kit", zones, ""))));
    EXPECT_EQ(kit.pads[0].at(0).sourcePath, (plugin / "Rock Kit" / "kick.wav").string());
    // A sample name that would lead out of the folder is not followed.
    EXPECT_TRUE(isMarkedMissing(kit.pads[1].at(0).sourcePath));
    EXPECT_EQ(kit.sampleFolder, "Rock"); // sharing off: the kit's own folder
}

TEST_F(KitScriptFileTest, MissingSamplesAskOnceAndDeclineKeepsThePaths) {
    const std::string hat = folder.write("lib/hat.wav", "hat").string();
    const std::string zones = zoneLine(1, 36, "KICK", "kick.wav") +
                              zoneLine(1, 37, "KICK", "k2.wav") + zoneLine(2, 42, "HH", "hat.wav");
    const std::string paths =
        " 1,C:\\Gone\\kick.wav,\r\n 1,<??\?> C:\\Gone\\k2.wav,\r\n 2," + hat + ",\r\n";
    const fs::path path = folder.write("Rock.txt", script("Rock", zones, paths));

    KitDocument kit;
    ASSERT_TRUE(read(kit, path)); // cancelled: the read still succeeds
    EXPECT_EQ(host.prompts.size(), 1U);
    EXPECT_EQ(kit.pads[0].at(0).sourcePath, "<??\?> C:\\Gone\\kick.wav");
    EXPECT_EQ(kit.pads[0].at(1).sourcePath, "<??\?> C:\\Gone\\k2.wav");
    EXPECT_EQ(kit.pads[1].at(0).sourcePath, hat);
    // Saved again, the recorded paths are still there for a later search.
    const fs::path saved = folder / "Saved.txt";
    ASSERT_TRUE(test::saveShown(kit, saved, location, host, false));
    const auto content = parseKitScript(TempFolder::read(saved));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->paths.at(0).path, "<??\?> C:\\Gone\\kick.wav");
    EXPECT_EQ(content->paths.at(2).path, hat);

    folder.write("moved/deep/kick.wav", "k");
    host.answers = {(folder / "moved").string()};
    ASSERT_TRUE(read(kit, path));
    EXPECT_EQ(host.prompts.size(), 2U); // asked again for the new read, once
    EXPECT_EQ(kit.pads[0].at(0).sourcePath, (folder / "moved/deep/kick.wav").string());
    EXPECT_EQ(kit.pads[0].at(1).sourcePath, "<??\?> C:\\Gone\\k2.wav");
}

TEST_F(KitScriptFileTest, KitReadInPartKeepsWhatWasReadAndSaysWhere) {
    const std::string kick = folder.write("lib/kick.wav", "kick").string();
    const std::string snare = folder.write("lib/snare.wav", "snare").string();
    const std::string zones =
        zoneLine(1, 36, "KICK", "kick.wav") +
        " 2,  0, 0,1000,SN,snare.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n" +
        zoneLine(3, 42, "HH", "hat.wav");
    const std::string text =
        script("Rock", zones, " 1," + kick + ",\r\n 2," + snare + ",\r\n 3,/lib/hat.wav,\r\n");
    const fs::path path = folder.write("Rock.txt", text);

    KitDocument kit;
    ScriptReadReport report;
    SampleFinder finder(host);
    ASSERT_TRUE(readKitScript(kit, path, location, host, finder, &report));
    EXPECT_TRUE(report.readInPart());
    ASSERT_EQ(kit.pads[0].size(), 1U);
    EXPECT_EQ(kit.pads[0].at(0).sourcePath, kick); // its own path, not one made up
    EXPECT_TRUE(kit.pads[1].empty());
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_NE(host.messages[0].second.find("Rock.txt was read only in part"), std::string::npos);
    EXPECT_NE(host.messages[0].second.find("Only 1 of 3 zone lines could be read: line 7"),
              std::string::npos);
    EXPECT_EQ(TempFolder::read(path), text);

    // Complete kits say nothing.
    host.messages.clear();
    ASSERT_TRUE(readKitScript(
        kit, folder.write("Whole.txt", script("W", zoneLine(1, 36, "K", "k.wav"), "")), location,
        host, finder, &report));
    EXPECT_FALSE(report.readInPart());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(KitScriptFileTest, SamplesThatCannotBeCopiedAreNamed) {
    KitDocument kit = libraryKit();
    SampleZone gone = kit.pads[0].at(0);
    gone.sampleName = "gone.wav";
    gone.sourcePath = markMissing("/nowhere/gone.wav");
    kit.pads[0].append(gone);
    SampleZone there = gone;
    there.sampleName = "there.wav";
    there.sourcePath = "???";
    kit.pads[0].append(there);
    folder.write("Zarvo/Rock/there.wav", "already there"); // found by the plug-in: no failure
    std::vector<std::string> notCopied;
    ASSERT_TRUE(test::saveShown(kit, folder / "Rock.txt", location, host, false, &notCopied));
    // Named with the source that is missing.
    EXPECT_EQ(notCopied, std::vector<std::string>{(fs::path("Rock") / "gone.wav").string() +
                                                  " (from /nowhere/gone.wav, which is missing)"});
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_NE(host.messages[0].second.find("gone.wav"), std::string::npos);
    EXPECT_EQ(TempFolder::read(plugin / "Rock" / "kick.wav"), "kick");

    // Where the file system has neither a safe rename nor hard links, copies still arrive.
    simulateFileSystemWithoutLinks(true);
    const bool saved = test::saveShown(kit, folder / "Jazz.txt", location, host, false, &notCopied);
    simulateFileSystemWithoutLinks(false);
    ASSERT_TRUE(saved);
    EXPECT_EQ(TempFolder::read(plugin / "Jazz" / "snare.wav"), "snare");
    // gone.wav; there.wav, whose source is unknown, comes from the folder the kit had.
    EXPECT_EQ(notCopied.size(), 1U);
    EXPECT_EQ(TempFolder::read(plugin / "Jazz" / "there.wav"), "already there");
}

TEST_F(KitScriptFileTest, DoubleNoteWritesNothing) {
    KitDocument kit = libraryKit();
    kit.pads[4].at(0).key = 36; // same key and velocities as the kick on pad 1
    const fs::path path = folder / "Rock.txt";
    EXPECT_FALSE(test::saveShown(kit, path, location, host, false));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(plugin));
    EXPECT_EQ(kit.kitName, "Untitled");
}

TEST_F(KitScriptFileTest, FailedSaveKeepsTheOldFileAndTheKit) {
    KitDocument kit = libraryKit();
    const fs::path folderTarget = folder / "Rock.txt";
    fs::create_directories(folderTarget);
    EXPECT_FALSE(test::saveShown(kit, folderTarget, location, host, true));
    EXPECT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(kit.kitName, "Untitled");
    EXPECT_EQ(kit.pads[0].at(0).padName, "XXX");
    EXPECT_TRUE(fs::is_empty(plugin)); // nothing installed
    EXPECT_FALSE(fs::exists(plugin / "Rock"));
}

#ifdef PADSMITH_HAS_FILE_SIZE_LIMIT
TEST_F(KitScriptFileTest, SaveThatFailsMidwayKeepsTheOldFile) {
    KitDocument kit = libraryKit();
    const fs::path path = folder / "Rock.txt";
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    const std::string saved = TempFolder::read(path);
    // A kit far bigger than the disk has room for.
    for (int i = 0; i < 4000; ++i) {
        SampleZone zone = kit.pads[0].at(0);
        zone.sampleName = "layer " + std::to_string(i) + ".wav";
        kit.pads[0].append(zone);
    }
    {
        const test::FileSizeLimit diskFull(16 * 1024);
        EXPECT_FALSE(test::saveShown(kit, path, location, host, true));
    }
    EXPECT_EQ(TempFolder::read(path), saved);
    EXPECT_EQ(TempFolder::read(plugin / "Rock.txt"), saved);
    EXPECT_EQ(TempFolder::read(plugin / "Rock" / "kick.wav"), "kick"); // nothing emptied
}
#endif

// A fresh save makes the kit's copies again; a file the kit did not make is not its to remove.
TEST_F(KitScriptFileTest, OwnSampleFolderNeverOverwrittenAndFreshSaveMakesItsCopiesAgain) {
    KitDocument kit = libraryKit();
    folder.write("Zarvo/Rock/kick.wav", "older kick");
    folder.write("Zarvo/Rock/stale.wav", "stale");
    const fs::path path = folder / "Rock.txt";
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    EXPECT_EQ(kit.sampleFolder, "Rock");
    EXPECT_EQ(TempFolder::read(plugin / "Rock" / "kick.wav"), "older kick"); // no overwrite
    EXPECT_EQ(TempFolder::read(plugin / "Rock" / "snare.wav"), "snare");
    EXPECT_TRUE(fs::exists(plugin / "Rock" / "stale.wav"));

    ASSERT_TRUE(test::saveShown(kit, path, location, host, true));
    EXPECT_EQ(TempFolder::read(plugin / "Rock" / "kick.wav"), "kick");
    EXPECT_TRUE(fs::exists(plugin / "Rock" / "stale.wav"));
    EXPECT_FALSE(fs::exists(plugin / "ZARVO SAMPLES"));
}

TEST_F(KitScriptFileTest, FreshSaveKeepsSamplesTheKitCopiesFrom) {
    // A kit read without source paths takes its samples from its own folder: emptying that
    // folder first would lose them.
    folder.write("Zarvo/Rock/kick.wav", "kick");
    folder.write("Zarvo/Rock/stale.wav", "stale");
    KitDocument kit;
    ASSERT_TRUE(read(
        kit, folder.write("kits/Rock.txt", script("Rock", zoneLine(1, 36, "K", "kick.wav"), ""))));
    ASSERT_TRUE(test::saveShown(kit, folder / "kits" / "Rock.txt", location, host, true));
    EXPECT_EQ(TempFolder::read(plugin / "Rock" / "kick.wav"), "kick");
    EXPECT_TRUE(fs::exists(plugin / "Rock" / "stale.wav")); // not the kit's copy
}

TEST_F(KitScriptFileTest, FreshSaveNeverEmptiesFoldersItMustNot) {
    KitDocument kit = libraryKit();
    folder.write("Zarvo/ZARVO SAMPLES/other kit.wav", "x");
    folder.write("Zarvo/Zarvo.dll", "x");
    folder.write("keep.wav", "x");
    fs::create_directories(folder / "kits");
    folder.write("Zarvo/Jazz.txt", "another kit");
    // A kit folder that links to the user's own library.
    folder.write("mine/take 1.wav", "x");
    std::error_code noLinks; // Windows may refuse links to unprivileged users
    fs::create_directory_symlink(folder / "mine", plugin / "Linked", noLinks);
    // On systems that ignore letter case this is the shared folder too.
    folder.write("Zarvo/zarvo samples/other kit.wav", "x");
    // Kit names that name files of the plug-in folder: the plug-in and another kit's script.
    for (const char* name : {".txt", "ZARVO SAMPLES.txt", "zarvo samples.txt", "Zarvo Samples.txt",
                             "Zarvo.dll.txt", "Jazz.txt.txt", "Linked.txt"}) {
        // Where a file stands in the sample folder's place, or the folder in the script's,
        // the save fails whole; either way nothing below may be touched.
        test::saveShown(kit, folder / "kits" / name, location, host, true);
    }
    // Names that would make the plug-in folder itself the sample folder are refused.
    for (const char* name : {"..txt", "...txt", " .txt", ",.txt"}) {
        EXPECT_FALSE(test::saveShown(kit, folder / "kits" / name, location, host, true)) << name;
        EXPECT_FALSE(fs::exists(folder / "kits" / name)) << name;
    }
    EXPECT_TRUE(fs::exists(plugin / "ZARVO SAMPLES" / "other kit.wav"));
    EXPECT_TRUE(fs::exists(plugin / "zarvo samples" / "other kit.wav"));
    EXPECT_EQ(TempFolder::read(plugin / "Zarvo.dll"), "x");
    EXPECT_EQ(TempFolder::read(plugin / "Jazz.txt"), "another kit");
    EXPECT_TRUE(fs::exists(folder / "mine" / "take 1.wav"));
    EXPECT_TRUE(fs::exists(folder / "keep.wav"));
}

TEST_F(KitScriptFileTest, HeaderNamesTheFolderTheSamplesGoTo) {
    KitDocument kit = libraryKit();
    const fs::path path = folder / "kits" / " Rock, Live.txt";
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    const auto content = parseKitScript(TempFolder::read(path));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kitName, "Rock  Live");
    EXPECT_EQ(content->sampleFolder, "Rock  Live");
    EXPECT_EQ(TempFolder::read(plugin / "Rock  Live" / "kick.wav"), "kick");
    EXPECT_EQ(kit.kitName, "Rock  Live");

    // Reading it back shows the same name, whatever the file name holds.
    KitDocument back;
    ASSERT_TRUE(read(back, path));
    EXPECT_EQ(back.kitName, "Rock  Live");
    EXPECT_EQ(back.sampleFolder, "Rock  Live");
}

TEST_F(KitScriptFileTest, SavingAgainReplacesTheScriptBesideThePlugIn) {
    KitDocument kit = libraryKit();
    const fs::path path = folder / "Rock.txt";
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    kit.pads[0].at(0).key = 40;
    ASSERT_TRUE(test::saveShown(kit, path, location, host, false));
    EXPECT_EQ(TempFolder::read(plugin / "Rock.txt"), TempFolder::read(path));
    EXPECT_NE(TempFolder::read(plugin / "Rock.txt").find(" 40,"), std::string::npos);
}

} // namespace
} // namespace padsmith
