// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"

#include "TempFolder.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace padsmith {
namespace {

namespace fs = std::filesystem;

// A library folder and a trash of its own ($XDG_DATA_HOME/Trash) per test.
class TrashTest : public ::testing::Test, protected test::TempFolder {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", root.c_str(), 1); }
    void TearDown() override { setFileFaultHook({}); }
    // "kick.wav=k" for each file in the trash's files folder, "kick.wav.trashinfo" for records.
    std::vector<std::string> trash() const {
        std::vector<std::string> names = listing("Trash/files");
        for (const std::string& record : listing("Trash/info")) {
            names.push_back(record.substr(0, record.find('=')));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    const fs::path root = path();
};

using Names = std::vector<std::string>;

// Another program (or a crash between the two steps) can leave a file in the trash without its
// record. Taking the name anyway would fail ("File exists") or replace that file.
TEST_F(TrashTest, ANameTakenWithoutItsRecordGetsTheNextFreeName) {
    write("Trash/files/kick.wav", "old");
    const fs::path kick = write("lib/kick.wav", "new");
    std::error_code error;
    const std::optional<TrashedFile> trashed = moveToTrash(kick, error);
    ASSERT_TRUE(trashed) << error.message();
    EXPECT_EQ(trashed->inTrash, root / "Trash/files/kick.wav 2");
    EXPECT_FALSE(fs::exists(kick));
    EXPECT_EQ(trash(), (Names{"kick.wav 2.trashinfo", "kick.wav 2=new", "kick.wav=old"}));
}

// A file whose folder cannot be written (acted out: the system refuses to move it) stays where it
// is, and the trash gets neither a copy nor a record.
TEST_F(TrashTest, AFileThatCannotLeaveItsFolderStaysAndTheTrashGetsNothing) {
    const fs::path kick = write("readonly/kick.wav", "k");
    setFileFaultHook([&](FileStep step, const fs::path& from, const fs::path&) {
        return from == kick && step != FileStep::Copy
                   ? std::make_error_code(std::errc::read_only_file_system)
                   : std::error_code{};
    });
    std::error_code error;
    EXPECT_FALSE(moveToTrash(kick, error));
    EXPECT_EQ(error, std::errc::read_only_file_system);
    EXPECT_EQ(read(kick), "k");
    EXPECT_EQ(trash(), Names{});
}

// Undo puts the file back, redo trashes it again: each deletion has one entry in the trash at
// most, however often the two follow each other, and a restore that cannot happen (the old place
// is taken) makes the next redo no second entry.
TEST_F(TrashTest, UndoAndRedoKeepOneEntryPerFile) {
    const fs::path kick = write("lib/kick.wav", "k");
    std::error_code error;
    std::optional<TrashedFile> trashed = moveToTrash(kick, error);
    ASSERT_TRUE(trashed);
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(restoreFromTrash(*trashed));
        EXPECT_EQ(read(kick), "k");
        EXPECT_EQ(trash(), Names{});
        EXPECT_TRUE(restoreFromTrash(*trashed)); // a second undo changes nothing
        EXPECT_TRUE(moveToTrashAgain(*trashed));
        EXPECT_TRUE(moveToTrashAgain(*trashed));
        EXPECT_FALSE(fs::exists(kick));
        EXPECT_EQ(trash(), (Names{"kick.wav.trashinfo", "kick.wav=k"}));
    }
    write("lib/kick.wav", "someone else's");
    EXPECT_FALSE(restoreFromTrash(*trashed));
    EXPECT_TRUE(moveToTrashAgain(*trashed));
    EXPECT_EQ(read(kick), "someone else's");
    EXPECT_EQ(trash(), (Names{"kick.wav.trashinfo", "kick.wav=k"}));

    // Put back, then gone from its place before the redo: nothing to trash.
    fs::remove(kick);
    EXPECT_TRUE(restoreFromTrash(*trashed));
    fs::remove(kick);
    EXPECT_FALSE(moveToTrashAgain(*trashed));
    EXPECT_EQ(trash(), Names{});
}

} // namespace
} // namespace padsmith
