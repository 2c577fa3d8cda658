// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneFiles.h"

#include "FakeHost.h"
#include "kit/KitEdit.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"

#include <cstdlib>
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

class ZoneFilesTest : public ::testing::Test, protected test::PluginFolder {
protected:
    void SetUp() override {
        kit.kitName = "Rock";
        kit.sampleFolder = "Rock";
    }
    // A zone on `pad` playing `relative` below the temporary folder, which is written.
    SampleZone addZone(int pad, const std::string& relative, const std::string& bytes = "x") {
        SampleZone zone;
        zone.padNumber = pad + 1;
        zone.sourcePath = folder.write(relative, bytes).string();
        zone.sampleName = fs::path(relative).filename().string();
        kit.pads[static_cast<std::size_t>(pad)].append(zone);
        return zone;
    }
    static std::string read(const fs::path& file) { return TempFolder::read(file); }

    KitDocument kit;
    ImportKeyRange keyRange;
};

// Import never touches a file: the zone names the chosen file where it lies, and its sample
// takes the file's own name unless the kit script could not hold it.
TEST_F(ZoneFilesTest, ImportKeepsEveryFileAndItsNameWhereTheScriptCanHoldIt) {
    addZone(1, "other/taken.wav", "another sample");
    const std::string longFolder =
        "lib/" + std::string(kTextMax / 2, 'd') + "/" + std::string(kTextMax / 2, 'd');
    struct Row {
        std::string file;   // below the temporary folder
        std::string sample; // the zone's sample name; empty: not imported
    } const rows[] = {
        {"lib/kick_soft.wav", "kick_soft.wav"},
        {"lib/#1 kick.wav", "#1 kick.wav"},
        {"lib/kick,1.wav", ""}, // a path line would read the comma as its end
        {"lib/ ride .wav", "ride .wav"},
        {"lib/Café (hard).wav", "Café (hard).wav"},
        {"lib/Łódź.wav", ""},        // the code page cannot hold it
        {"lib/taken.wav", ""},       // another sample of the kit has that name
        {longFolder + "/x.wav", ""}, // the path does not fit its field
        {"Zarvo/ZARVO SAMPLES/crash_1.wav", "crash_1.wav"},
    };
    std::vector<fs::path> chosen;
    for (const Row& row : rows) {
        chosen.push_back(folder.write(row.file, row.file));
    }
    const SampleImport import = importSamples(kit, 0, -1, chosen, keyRange, location, host);
    const Pad& pad = import.edit.changes.at(0).after;
    std::size_t next = 0;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(read(chosen[i]), rows[i].file) << rows[i].file;
        const bool left = std::find(import.notImported.begin(), import.notImported.end(),
                                    chosen[i]) != import.notImported.end();
        EXPECT_EQ(left, rows[i].sample.empty()) << rows[i].file;
        if (!left) {
            ASSERT_LT(next, pad.size());
            EXPECT_EQ(pad.at(next).sampleName, rows[i].sample);
            EXPECT_EQ(pad.at(next).sourcePath, chosen[i].string());
            ++next;
        }
    }
    EXPECT_EQ(next, pad.size());
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_NE(host.messages[0].second.find("taken.wav"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "lib"), fs::directory_iterator()), 8);
}

// A zone the import replaces gives its name up: its own file may come back under that name.
TEST_F(ZoneFilesTest, ImportOverAZoneMayTakeItsName) {
    addZone(0, "old/snare.wav");
    const fs::path chosen = folder.write("new/snare.wav", "new");
    const SampleImport import = importSamples(kit, 0, 0, {chosen}, keyRange, location, host);
    EXPECT_TRUE(import.notImported.empty());
    EXPECT_EQ(import.edit.changes.at(0).after.at(0).sourcePath, chosen.string());
}

TEST_F(ZoneFilesTest, RenameTouchesNoFileAndEveryZoneOfTheSourceFollows) {
    const SampleZone kick = addZone(0, "lib/kick.wav", "kick");
    kit.pads[3].append(kick); // the same file on another pad
    addZone(1, "lib/snare.wav", "snare");
    folder.write("Zarvo/Rock/kick.wav", "copy");
    const SampleRename rename = renameSample(kit, 0, 0, "Kick Hard.wav", location);
    EXPECT_TRUE(rename.error.empty());
    EXPECT_EQ(read(folder / "lib/kick.wav"), "kick");
    EXPECT_EQ(read(plugin / "Rock/kick.wav"), "copy");
    ASSERT_EQ(rename.edit.changes.size(), 2U);
    for (const PadChange& change : rename.edit.changes) {
        EXPECT_EQ(change.after.at(0).sampleName, "Kick Hard.wav");
        EXPECT_EQ(change.after.at(0).sourcePath, kick.sourcePath);
    }

    // Refused: names the rule refuses, and the name of another sample in any letter case.
    for (const char* bad : {"", "..", "a,b.wav", "sub/kick.wav", " kick.wav", "SNARE.WAV"}) {
        const SampleRename refused = renameSample(kit, 0, 0, bad, location);
        EXPECT_FALSE(refused.error.empty()) << bad;
        EXPECT_TRUE(refused.edit.empty());
    }
    // The same name again changes nothing and says nothing.
    const SampleRename same = renameSample(kit, 0, 0, "kick.wav", location);
    EXPECT_TRUE(same.error.empty());
    EXPECT_TRUE(same.edit.empty());
}

TEST_F(ZoneFilesTest, RenameWithSharingCopiesAndLeavesTheSharedCopy) {
    addZone(0, "lib/kick.wav", "kick");
    kit.sampleFolder = kSharedSampleFolder;
    location.shareSamples = true;
    ASSERT_TRUE(test::saveShown(kit, folder / "Rock.txt", location, host, false));
    folder.write("Zarvo/ZARVO SAMPLES/kick.wav", "shared");
    const SampleRename rename = renameSample(kit, 0, 0, "boom.wav", location);
    applyEdit(kit, rename.edit);
    ASSERT_TRUE(test::saveShown(kit, folder / "Rock.txt", location, host, false));
    EXPECT_EQ(read(plugin / "ZARVO SAMPLES/boom.wav"), "kick");
    EXPECT_EQ(read(plugin / "ZARVO SAMPLES/kick.wav"), "shared");
}

TEST_F(ZoneFilesTest, TrashSparesFilesOtherZonesOrKitsPlay) {
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    const SampleZone a = addZone(0, "lib/a.wav");
    const SampleZone b = addZone(0, "lib/b.wav");
    const SampleZone c = addZone(0, "lib/c.wav");
    const SampleZone shared = addZone(0, "Zarvo/ZARVO SAMPLES/s.wav");
    kit.pads[6].append(b); // b is also played by pad 7
    SampleZone folderZone;
    folderZone.sourcePath = (folder / "lib").string(); // never a folder
    SampleZone unknown;
    unknown.sourcePath = kUnknownSource;

    const ZoneDeletion deletion = deleteZones(kit, 0, {0, 1, 3});
    applyEdit(kit, deletion.edit);
    std::vector<SampleZone> removed = deletion.removed;
    removed.push_back(a); // the same file twice counts once
    removed.push_back(folderZone);
    removed.push_back(unknown);
    const SourceDeletion result = trashSourceFiles(kit, removed, location, host);
    EXPECT_EQ(result.trashed.size(), 1U);
    EXPECT_EQ(result.kept, 1);
    EXPECT_EQ(result.spared, 1);
    EXPECT_EQ(host.previewStops, 1);
    EXPECT_FALSE(fs::exists(a.sourcePath));
    EXPECT_EQ(read(folder / "data/Trash/files/a.wav"), "x");
    EXPECT_NE(read(folder / "data/Trash/info/a.wav.trashinfo").find("Path=" + a.sourcePath),
              std::string::npos);
    EXPECT_TRUE(fs::exists(b.sourcePath));
    EXPECT_TRUE(fs::exists(c.sourcePath));
    EXPECT_TRUE(fs::exists(shared.sourcePath));
    EXPECT_TRUE(fs::is_directory(folder / "lib"));

    // Undo puts it back and clears the trash's record; redo trashes it again.
    std::vector<TrashedFile> trashed = result.trashed;
    restoreFromTrash(trashed, host);
    EXPECT_TRUE(fs::exists(a.sourcePath));
    EXPECT_FALSE(fs::exists(folder / "data/Trash/info/a.wav.trashinfo"));
    moveToTrashAgain(trashed, host);
    EXPECT_FALSE(fs::exists(a.sourcePath));
    EXPECT_TRUE(fs::exists(folder / "data/Trash/info/a.wav.trashinfo"));
}

} // namespace
} // namespace padsmith
