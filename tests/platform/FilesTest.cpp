// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Files.h"

#include "FileSizeLimit.h"
#include "TempFolder.h"
#include "platform/FilePlan.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace padsmith {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class FilesTest : public ::testing::Test, protected test::TempFolder {
protected:
    std::vector<std::string> treeScan(std::string_view pattern, int stopAfter = -1) {
        std::vector<std::string> seen;
        scanFolderTree(root, pattern, [&](const FoundEntry& entry) {
            seen.push_back(fs::relative(entry.fullPath, root).generic_string());
            return static_cast<int>(seen.size()) != stopAfter;
        });
        return seen;
    }
    const fs::path root = path();
};

TEST(PathPieces, BackslashSeparatesOnlyInWindowsPaths) {
    EXPECT_EQ(fileNameOf("\\\\server\\share\\kick.wav"), "kick.wav");
    EXPECT_EQ(fileNameOf("D:/Drums\\hat.wav"), "hat.wav");
    EXPECT_EQ(folderOf("D:/Drums\\hat.wav"), "D:/Drums");
    EXPECT_TRUE(isWindowsPath("C:\\x.wav"));
    EXPECT_TRUE(isWindowsPath("a\\b.wav"));
    EXPECT_FALSE(isWindowsPath("/lib/a\\b.wav"));
#if !defined(_WIN32)
    // A Linux file name may hold a backslash.
    EXPECT_EQ(fileNameOf("/lib/a\\b.wav"), "a\\b.wav");
    EXPECT_EQ(folderOf("/lib/a\\b.wav"), "/lib");
    EXPECT_EQ(baseNameOf("/lib/a\\b.wav"), "a\\b");
    EXPECT_FALSE(isPlainName("a\\b.wav"));
#endif
}

TEST(PathPieces, SplitAtEitherSeparator) {
    EXPECT_EQ(fileNameOf("C:\\Samples\\kick.wav"), "kick.wav");
    EXPECT_EQ(fileNameOf("/no/such/dir/snare.wav"), "snare.wav");
    EXPECT_EQ(fileNameOf("kick.wav"), "kick.wav");
    EXPECT_EQ(baseNameOf("C:\\a\\snare.01.wav"), "snare.01");
    EXPECT_EQ(baseNameOf("/x/noext"), "noext");
    EXPECT_EQ(folderOf("C:\\rock.txt"), "C:");
    EXPECT_EQ(folderOf("C:\\Kits\\rock.txt"), "C:\\Kits");
    EXPECT_EQ(folderOf("rock.txt"), "rock.txt");
    EXPECT_EQ(folderOf("/rock.txt"), "/");
    EXPECT_EQ(parentOf("/a/b/c"), "/a/b");
    EXPECT_EQ(parentOf("/"), "/");
    EXPECT_EQ(parentOf("x"), "x");
}

TEST_F(FilesTest, PathPiecesOfAnExistingFolder) {
    const std::string folder = root.string();
    EXPECT_EQ(fileNameOf(folder), "");
    EXPECT_EQ(baseNameOf(folder), "");
    EXPECT_EQ(folderOf(folder), folder);
    EXPECT_EQ(parentOf(folder), root.parent_path().string());
}

TEST(PathPieces, JoinNeverLeavesTheFolder) {
    EXPECT_EQ(joinPath("/plug", "ZARVO SAMPLES"), fs::path("/plug/ZARVO SAMPLES"));
    EXPECT_EQ(joinPath("/plug/", "kick.wav"), fs::path("/plug/kick.wav"));
    EXPECT_EQ(joinPath("/plug", "/etc/passwd"), fs::path("/plug/etc/passwd"));
    EXPECT_EQ(joinPath("/plug", ""), fs::path("/plug"));
}

TEST(SizeText, UnitsAndTwoDecimalsWithComma) {
    EXPECT_EQ(sizeText(1023), "1023 bytes");
    EXPECT_EQ(sizeText(1024), "1 KB");
    EXPECT_EQ(sizeText(1100), "1,07 KB");
    EXPECT_EQ(sizeText(1536), "1,50 KB");
    EXPECT_EQ(sizeText(1034), "1,01 KB"); // a fraction below 10 keeps its leading zero
    EXPECT_EQ(sizeText(0xFFFFF), "1024 KB");
    EXPECT_EQ(sizeText(1048576), "1 MB");
    EXPECT_EQ(sizeText(3000000), "2,86 MB");
    EXPECT_EQ(sizeText(1073741824), "1 GB");
    // Beyond 32 bits: 64-bit arithmetic does not overflow.
    EXPECT_EQ(sizeText(5LL * 1073741824), "5 GB");
    EXPECT_EQ(sizeText(3221225472LL + 536870912LL), "3,50 GB");
}

TEST(ShortenPath, KeepsRootAndLastThreeParts) {
    EXPECT_EQ(shortenPath("/a/b.txt"), "/a/b.txt");
    EXPECT_EQ(shortenPath("/a/b/c.txt"), "/a/b/c.txt");
    EXPECT_EQ(shortenPath("/a/b/c/d.txt"), "/.../b/c/d.txt");
    EXPECT_EQ(shortenPath("/home/u/Kits/Rock/Live/kit.txt"), "/.../Rock/Live/kit.txt");
    EXPECT_EQ(shortenPath(""), "");
    EXPECT_EQ(shortenPath("kit.txt"), "kit.txt");
}

TEST(Wildcards, StarAndQuestionMark) {
    EXPECT_TRUE(wildcardMatch("*.txt", "rock.txt"));
    EXPECT_FALSE(wildcardMatch("*.txt", "rock.txt.bak"));
    EXPECT_FALSE(wildcardMatch("*.txt", "ROCK.TXT"));
    EXPECT_TRUE(wildcardMatch("*.txt", "ROCK.TXT", true));
    EXPECT_TRUE(wildcardMatch("k?ck*", "kick hard.wav"));
    EXPECT_TRUE(wildcardMatch("*", ""));
}

TEST_F(FilesTest, CreateFolderChain) {
    EXPECT_TRUE(createFolderChain(root / "x" / "y" / "z"));
    EXPECT_TRUE(fs::is_directory(root / "x" / "y" / "z"));
    EXPECT_TRUE(createFolderChain(root / "x"));
    write("file", "");
    EXPECT_FALSE(createFolderChain(root / "file"));
    EXPECT_FALSE(createFolderChain(root / "file" / "below"));
}

TEST_F(FilesTest, ScanIsDepthFirstInNameOrderFilesBeforeSubfolders) {
    write("b.wav", "");
    write("a.wav", "");
    write("a/z.wav", "");
    write("a/deep/a.wav", "");
    write("c/a.wav", "");
    write(".hidden.wav", "");
    write(".dot/a.wav", "");
    write("c/notes.txt", "");
    EXPECT_EQ(treeScan("*.wav"),
              (std::vector<std::string>{"a.wav", "b.wav", "a/z.wav", "a/deep/a.wav", "c/a.wav"}));
    // The first match in that order is the one a stopping visitor keeps.
    EXPECT_EQ(treeScan("a.wav", 1), std::vector<std::string>{"a.wav"});
    EXPECT_EQ(treeScan("z.wav", 1), std::vector<std::string>{"a/z.wav"});
    EXPECT_TRUE(treeScan("missing.wav").empty());

    // The name-only listing walks the folders in the same order; files of one folder together.
    std::vector<std::string> folders;
    std::vector<std::string> files;
    listFilesInTree(root, [&](const fs::path& folder, std::string_view name) {
        const std::string relative = fs::relative(folder, root).generic_string();
        if (folders.empty() || folders.back() != relative) {
            folders.push_back(relative);
        }
        files.push_back(relative + "/" + std::string(name));
    });
    EXPECT_EQ(folders, (std::vector<std::string>{".", "a", "a/deep", "c"}));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"./a.wav", "./b.wav", "a/deep/a.wav", "a/z.wav",
                                               "c/a.wav", "c/notes.txt"}));
}

TEST_F(FilesTest, FlatScanStaysInItsFolder) {
    write("b.txt", "");
    write("a.txt", "");
    write("sub/c.txt", "");
    write(".x.txt", "");
    std::vector<std::string> names;
    scanFolder(root, "*.txt", [&](const FoundEntry& entry) {
        names.push_back(entry.name);
        EXPECT_EQ(entry.fullPath, root / entry.name);
        return true;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FilesTest, CopyNeverReplacesUnlessTold) {
    const fs::path first = write("src1/kick.wav", "first");
    const fs::path second = write("src2/kick.wav", "second");
    const fs::path folder = root / "plug" / "ZARVO SAMPLES";
    EXPECT_EQ(copyFileToFolder(first, folder, false), CopyResult::Copied);
    EXPECT_EQ(copyFileToFolder(second, folder, false), CopyResult::AlreadyThere);
    EXPECT_EQ(read(folder / "kick.wav"), "first");
    EXPECT_EQ(copyFileToFolder(second, folder, true), CopyResult::Copied);
    EXPECT_EQ(read(folder / "kick.wav"), "second");
    // Copying a file onto itself keeps it.
    EXPECT_EQ(copyFileToFolder(folder / "kick.wav", folder, true), CopyResult::Copied);
    EXPECT_EQ(read(folder / "kick.wav"), "second");
    // Only the copy remains: no temporary files are left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
#if !defined(_WIN32)
    // A backslash in a Linux file name stays part of the name: such a file is not copied
    // under a shorter name (and to the plug-in the name would lead into a subfolder).
    EXPECT_EQ(copyFileToFolder(write("src3/a\\b.wav", "odd"), folder, false), CopyResult::Failed);
    EXPECT_FALSE(fs::exists(folder / "b.wav"));
#endif
}

TEST_F(FilesTest, FailedCopyLeavesNothingBehind) {
    const fs::path folder = root / "samples";
    EXPECT_EQ(copyFileToFolder(root / "missing.wav", folder, false), CopyResult::Failed);
    EXPECT_EQ(copyFileToFolder(root, folder, false), CopyResult::Failed); // a folder is not copied
    // The copy is made but cannot be put in place: it is removed again.
    const fs::path source = write("src/kick.wav", "kick");
    fs::create_directories(folder / "kick.wav" / "inside");
    EXPECT_EQ(copyFileToFolder(source, folder, true), CopyResult::Failed);
    fs::remove_all(folder / "kick.wav");
    EXPECT_TRUE(fs::is_empty(folder));

    const fs::path unreadable = write("locked.wav", "data");
    fs::permissions(unreadable, fs::perms::none);
    if (std::ifstream(unreadable)) {
        GTEST_SKIP() << "running with permissions that read anything";
    }
    EXPECT_EQ(copyFileToFolder(unreadable, folder, false), CopyResult::Failed);
    EXPECT_FALSE(fs::exists(folder / "locked.wav"));
    EXPECT_TRUE(fs::is_empty(folder));
    fs::permissions(unreadable, fs::perms::owner_read, fs::perm_options::add);
    // a later copy is not blocked
    EXPECT_EQ(copyFileToFolder(unreadable, folder, false), CopyResult::Copied);
    EXPECT_EQ(read(folder / "locked.wav"), "data");
}

#ifdef PADSMITH_HAS_FILE_SIZE_LIMIT
TEST_F(FilesTest, WritesThatFailMidwayLeaveTheOldStateWhole) {
    const std::string big(1 << 20, 'x');
    const fs::path target = write("kit.txt", "old kit");
    const fs::path source = write("library/kick.wav", big);
    const fs::path folder = root / "samples";
    fs::create_directories(folder);
    {
        const test::FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(replaceFileContents(target, big));
        EXPECT_EQ(copyFileToFolder(source, folder, false), CopyResult::Failed);
    }
    EXPECT_EQ(read(target), "old kit");
    EXPECT_TRUE(fs::is_empty(folder)); // no partial copy that would block the next one
    for (const auto& entry : fs::directory_iterator(root)) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
    EXPECT_EQ(copyFileToFolder(source, folder, false), CopyResult::Copied);
    EXPECT_EQ(read(folder / "kick.wav").size(), big.size());
}
#endif

// Some network and FUSE mounts refuse both the rename that never replaces and hard links.
class NoLinksTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        simulateFileSystemWithoutLinks(true);
    }
    void TearDown() override {
        simulateFileSystemWithoutLinks(false);
        FilesTest::TearDown();
    }
};

TEST_F(NoLinksTest, CopiesStillArriveAndNeverReplace) {
    const fs::path folder = root / "samples";
    EXPECT_EQ(copyFileToFolder(write("a/kick.wav", "kick"), folder, false), CopyResult::Copied);
    EXPECT_EQ(read(folder / "kick.wav"), "kick");
    EXPECT_EQ(copyFileToFolder(write("b/kick.wav", "other"), folder, false),
              CopyResult::AlreadyThere);
    EXPECT_EQ(read(folder / "kick.wav"), "kick");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    EXPECT_TRUE(movePath(folder / "kick.wav", root / "moved.wav"));
    EXPECT_EQ(read(root / "moved.wav"), "kick");
    EXPECT_FALSE(fs::exists(folder / "kick.wav"));
    EXPECT_FALSE(movePath(root / "moved.wav", write("taken.wav", "taken")));
    EXPECT_EQ(read(root / "taken.wav"), "taken");
}

#ifdef PADSMITH_HAS_FILE_SIZE_LIMIT
TEST_F(NoLinksTest, ACopyThatBreaksOffLeavesNothing) {
    const fs::path source = write("library/kick.wav", std::string(1 << 20, 'x'));
    const fs::path folder = root / "samples";
    fs::create_directories(folder);
    {
        const test::FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(copyFileToFolder(source, folder, false), CopyResult::Failed);
    }
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(copyFileToFolder(source, folder, false), CopyResult::Copied);
}
#endif

TEST_F(FilesTest, ReadsOnlyRegularFilesUpToTheLimit) {
    std::string bytes = "kept";
    EXPECT_FALSE(readWholeFile(write("big.wav", std::string(100, 'x')), bytes, 99));
    EXPECT_TRUE(readWholeFile(root / "big.wav", bytes, 100));
    EXPECT_EQ(bytes.size(), 100U);
    EXPECT_FALSE(readWholeFile(root, bytes));
#if !defined(_WIN32)
    bytes = "kept";
    EXPECT_FALSE(readWholeFile("/dev/zero", bytes)); // would never end
    EXPECT_EQ(bytes, "kept");
    const fs::path fifo = root / "pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readWholeFile(fifo, bytes)); // would wait for a writer forever
#endif
}

TEST_F(FilesTest, SizeIsThatOfARegularFileOnly) {
    EXPECT_EQ(fileSize(write("take.wav", std::string(1234, 'x'))), 1234);
    EXPECT_EQ(fileSize(write("empty.wav", {})), 0);
    EXPECT_EQ(fileSize(root / "missing.wav"), 0);
    fs::create_directory(root / "folder.wav");
    EXPECT_EQ(fileSize(root / "folder.wav"), 0);
#if !defined(_WIN32)
    const fs::path fifo = root / "pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(fileSize(fifo), 0);
#endif
}

TEST_F(FilesTest, MoveNeverReplaces) {
    const fs::path from = write("a.wav", "a");
    const fs::path to = write("b.wav", "b");
    EXPECT_FALSE(movePath(from, to));
    EXPECT_EQ(read(from), "a");
    EXPECT_EQ(read(to), "b");
    EXPECT_TRUE(movePath(from, root / "c.wav"));
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(read(root / "c.wav"), "a");
    write("dir1/x", "");
    write("dir2/y", "");
    EXPECT_FALSE(movePath(root / "dir1", root / "dir2"));
    EXPECT_TRUE(movePath(root / "dir1", root / "dir3"));
    EXPECT_TRUE(fs::exists(root / "dir3" / "x"));
}

TEST_F(FilesTest, MoveAndCopyTellWhyTheyFailed) {
    const fs::path a = write("a.wav", "a");
    const fs::path b = write("b.wav", "b");
    std::error_code error;
    EXPECT_FALSE(movePath(a, b, error));
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_FALSE(movePath(root / "gone.wav", root / "c.wav", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(movePath(a, root / "no" / "folder.wav", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(movePath(a, root / "c.wav", error));
    EXPECT_FALSE(error);

    EXPECT_FALSE(copyFile(b, root / "c.wav", false, error));
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_EQ(read(root / "c.wav"), "a");
    EXPECT_TRUE(copyFile(b, root / "d.wav", false, error));
    EXPECT_EQ(read(root / "d.wav"), "b");
    EXPECT_TRUE(copyFile(b, root / "c.wav", true, error));
    EXPECT_EQ(read(root / "c.wav"), "b");
}

// A file the system will not let go of (a read-only folder) is never copied instead: it would
// then be in two places, and the move reported as done.
TEST_F(FilesTest, AMoveThatCannotTakeTheOriginalLeavesItWhereItWas) {
    const fs::path from = write("ro/kick.wav", "kick");
    setFileFaultHook([&](FileStep step, const fs::path& source, const fs::path&) {
        const bool original = source == from;
        return original && (step == FileStep::Move || step == FileStep::Remove)
                   ? std::make_error_code(std::errc::permission_denied)
                   : std::error_code{};
    });
    std::error_code error;
    EXPECT_FALSE(movePath(from, root / "kick.wav", error));
    EXPECT_EQ(error, std::errc::permission_denied);
    simulateFileSystemWithoutLinks(true); // the copy-and-remove way
    EXPECT_FALSE(movePath(from, root / "kick.wav", error));
    EXPECT_EQ(error, std::errc::permission_denied);
    simulateFileSystemWithoutLinks(false);
    // Between file systems, where one exists to try.
    const fs::path other = fs::path("/dev/shm") / root.filename();
    if (fs::create_directories(other, error) && !fs::equivalent(other, root)) {
        EXPECT_FALSE(movePath(from, other / "kick.wav", error));
        EXPECT_EQ(error, std::errc::permission_denied);
        EXPECT_TRUE(fs::is_empty(other));
        setFileFaultHook({});
        EXPECT_FALSE(movePath(from, other / "kick.wav", error, AcrossDevices::Refuse));
        EXPECT_EQ(error, std::errc::cross_device_link);
        EXPECT_TRUE(movePath(from, other / "kick.wav", error));
        EXPECT_EQ(read(other / "kick.wav"), "kick");
        fs::remove_all(other, error);
        write("ro/kick.wav", "kick");
    }
    setFileFaultHook({});
    EXPECT_EQ(read(from), "kick");
    EXPECT_FALSE(fs::exists(root / "kick.wav"));
}

TEST_F(FilesTest, ReplaceFileContentsIsAllOrNothing) {
    const fs::path target = write("kit.txt", "old");
    EXPECT_TRUE(replaceFileContents(target, "new contents"));
    EXPECT_EQ(read(target), "new contents");
    EXPECT_TRUE(replaceFileContents(root / "fresh.txt", "x"));
    EXPECT_EQ(read(root / "fresh.txt"), "x");

    // A target that is a folder is refused and left alone.
    fs::create_directories(root / "folder.txt");
    EXPECT_FALSE(replaceFileContents(root / "folder.txt", "x"));
    EXPECT_TRUE(fs::is_directory(root / "folder.txt"));
    EXPECT_FALSE(replaceFileContents(root / "no" / "such" / "kit.txt", "x"));
    std::vector<std::string> left;
    scanFolder(root, "*",
               [&](const FoundEntry& entry) { return (left.push_back(entry.name), true); });
    EXPECT_EQ(left, (std::vector<std::string>{"folder.txt", "fresh.txt", "kit.txt"}));
    int hidden = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        hidden += entry.path().filename().string().front() == '.' ? 1 : 0;
    }
    EXPECT_EQ(hidden, 0); // no temporary file stays behind

    // In a read-only folder nothing can be written; the old file stays whole.
    fs::permissions(root, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::ofstream(root / "probe")) {
        GTEST_SKIP() << "running with permissions that write anywhere";
    }
    EXPECT_FALSE(replaceFileContents(target, "lost"));
    EXPECT_EQ(read(target), "new contents");
}

// A plan carried out all or nothing: a failure at any step leaves every file as it was, and
// content that a step overwrites or removes is never lost.
TEST_F(FilesTest, FilePlanIsAllOrNothingAndLosesNoContent) {
    using Kind = FileOperation::Kind;
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    write("lib/new.wav", "N");
    write("lib/a.wav", "a");
    write("kit/a.wav", "a");        // held by its source: may go for good
    write("kit/b.wav", "b");        // held nowhere else
    write("kit/old.wav", "o");      // held nowhere else
    write("kit/Kit.txt", "script"); // written last
    const std::vector<FileOperation> plan{
        {Kind::Rename, root / "kit/b.wav", root / "kit/c.wav", {}},
        {Kind::Copy, root / "lib/new.wav", root / "kit/b.wav", {}},
        {Kind::Replace, root / "lib/new.wav", root / "kit/old.wav", {}},
        {Kind::Remove, root / "kit/a.wav", {}, {root / "lib/a.wav"}},
    };
    const std::vector<FileWrite> writes{{root / "kit/Kit.txt", "new script"}};
    const std::vector<std::string> before = listing("kit");
    for (const FileStep failing :
         {FileStep::Copy, FileStep::Write, FileStep::Move, FileStep::Place}) {
        setFileFaultHook([failing](FileStep step, const fs::path&, const fs::path&) {
            return step == failing ? std::make_error_code(std::errc::no_space_on_device)
                                   : std::error_code();
        });
        const FilePlanResult result = carryOutAll(plan, writes);
        setFileFaultHook({});
        const int step = static_cast<int>(failing);
        EXPECT_FALSE(result.done) << step;
        ASSERT_TRUE(result.failure) << step;
        EXPECT_EQ(reasonInWords(result.failure->error), "no space left on the device");
        EXPECT_EQ(listing("kit"), before) << step; // temporary files included
    }

    std::size_t reported = 0;
    const FilePlanResult result =
        carryOutAll(plan, writes, [&](std::size_t done, std::size_t total) {
            EXPECT_EQ(total, 5U);
            reported = done;
        });
    ASSERT_TRUE(result.done);
    EXPECT_EQ(reported, 5U);
    EXPECT_EQ(listing("kit"),
              (std::vector<std::string>{"Kit.txt=new script", "b.wav=N", "c.wav=b", "old.wav=N"}));
    ASSERT_EQ(result.trashed.size(), 1U); // the old content of old.wav; a.wav's is in lib
    EXPECT_EQ(result.trashed[0].original, root / "kit/old.wav");
    EXPECT_EQ(read(result.trashed[0].inTrash), "o");

    // Without a trash, content held nowhere else stays beside its place under a new name.
    ::setenv("XDG_DATA_HOME", write("no-trash", "a file where the trash would be").c_str(), 1);
    write("lib/newer.wav", "M");
    write("kit/old.wav", "q");
    const FilePlanResult kept =
        carryOutAll({{Kind::Replace, root / "lib/newer.wav", root / "kit/old.wav", {}}});
    ASSERT_TRUE(kept.done);
    ASSERT_EQ(kept.keptAs.size(), 1U);
    EXPECT_EQ(read(root / "kit/old (replaced).wav"), "q");
    EXPECT_EQ(read(root / "kit/old.wav"), "M");
}

} // namespace
} // namespace padsmith
