// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SampleFolders.h"

#include "FakeHost.h"
#include "KitScriptLines.h"
#include "kit/KitScript.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using test::FakeHost;
using test::TempFolder;

const std::string kPrompt =
    "Can't find your Zarvo samples. Please select folder for auto searching.";

TEST(MissingMark, OneMarkOnly) {
    EXPECT_EQ(markMissing("C:\\x\\kick.wav"), "<??\?> C:\\x\\kick.wav");
    EXPECT_TRUE(isMarkedMissing(markMissing("/x")));
    EXPECT_FALSE(isMarkedMissing("/x"));
    EXPECT_EQ(markMissing(markMissing("/x")), "<??\?> /x");
    EXPECT_EQ(withoutMissingMark("<??\?> /x"), "/x");
}

class FindSampleTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeHost host;
    SampleFinder finder{host};
};

TEST_F(FindSampleTest, ExistingPathNeedsNoSearch) {
    const std::string path = folder.write("kick.wav", "k").string();
    EXPECT_EQ(finder.findSample(0, 0, path), path);
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_TRUE(host.selections.empty());
}

TEST_F(FindSampleTest, FirstMatchInDepthFirstOrder) {
    folder.write("lib/b/kick.wav", "b");
    folder.write("lib/a/deep/kick.wav", "deep");
    folder.write("lib/a/kick.wav", "a");
    folder.write("lib/.hidden/snare.wav", "hidden");
    folder.write("lib/z/Snare.WAV", "z");
    folder.write("lib/c/Hat.wav", "c");
    folder.write("lib/c/HAT.wav", "c");
    host.answers = {(folder / "lib").string()};

    EXPECT_EQ(finder.findSample(2, 1, "C:\\Old\\kick.wav"), (folder / "lib/a/kick.wav").string());
    EXPECT_EQ(host.selections, (std::vector<std::pair<int, int>>{{2, 1}}));
    EXPECT_TRUE(host.everBusy);
    EXPECT_EQ(host.busyDepth, 0);
    // Other letter case when no exact name exists; dot folders are never searched.
    EXPECT_EQ(finder.findSample(3, 0, "/gone/snare.wav"), (folder / "lib/z/Snare.WAV").string());
    EXPECT_EQ(finder.findSample(3, 0, "/gone/hat.wav"), (folder / "lib/c/HAT.wav").string());
    // Not there at all: marked, and a marked path is searched again by its own name.
    EXPECT_EQ(finder.findSample(3, 1, "/gone/tom.wav"), "<??\?> /gone/tom.wav");
    EXPECT_EQ(finder.findSample(3, 2, "<??\?> /old/kick.wav"),
              (folder / "lib/a/kick.wav").string());
    // One question for the whole read.
    EXPECT_EQ(host.prompts, std::vector<std::string>{kPrompt});
}

TEST_F(FindSampleTest, AsksAgainAfterForgetAndGivesUpOnCancel) {
    host.answers = {folder.path().string()};
    EXPECT_EQ(finder.findSample(0, 0, "/gone/a.wav"), "<??\?> /gone/a.wav");
    EXPECT_EQ(finder.findSample(0, 1, "/gone/b.wav"), "<??\?> /gone/b.wav");
    EXPECT_EQ(host.prompts.size(), 1U);
    finder.forget();
    EXPECT_EQ(finder.findSample(0, 0, "/gone/a.wav"), std::nullopt); // cancelled
    EXPECT_EQ(host.prompts.size(), 2U);
}

TEST_F(FindSampleTest, IndexIsTakenOnceAndPathBackIsUnmarked) {
    finder.setSearchFolder(folder.path());
    EXPECT_EQ(finder.findSample(0, 0, "/gone/late.wav"), "<??\?> /gone/late.wav");
    // The tree is walked once per search folder: a file added afterwards is not seen...
    const std::string late = folder.write("late.wav", "x").string();
    EXPECT_EQ(finder.findSample(0, 0, "/gone/late.wav"), "<??\?> /gone/late.wav");
    // ...but a marked path whose file is back at its place is simply unmarked.
    EXPECT_EQ(finder.findSample(0, 0, markMissing(late)), late);
}

// A zone renamed in the kit names its copy otherwise than its source: when the recorded file
// name is found nowhere, the sample name is looked for, but never inside the plug-in folder,
// where a common name belongs to another kit as likely as not.
TEST_F(FindSampleTest, FallsBackToTheSampleNameOutsideThePluginFolder) {
    folder.write("search/lib/kick soft.wav", "lib");
    folder.write("search/lib/snare.wav", "lib");
    folder.write("search/plug/Other Kit/tom.wav", "other kit's");
    folder.write("search/plug/Other Kit/hat.wav", "other kit's");
    folder.write("search/zz/hat.wav", "lib");
    folder.write("search/plug/Other Kit/RIDE.wav", "other kit's");
    folder.write("search/zz/Ride.WAV", "lib");
    folder.write("search/zz/RIDE.wav", "lib");
    finder.setSearchFolder(folder / "search");
    finder.setPluginFolder(folder / "search/plug/");
    const std::string lib = (folder / "search/lib").string();
    struct Row {
        const char* recorded;
        const char* sampleName;
        std::string found;
    };
    const Row rows[] = {
        {"/gone/kick_soft.wav", "kick soft.wav", lib + "/kick soft.wav"},    // renamed sample
        {"/gone/snare.wav", "snare 2.wav", lib + "/snare.wav"},              // recorded name first
        {"/gone/x.wav", "tom.wav", "<??\?> /gone/x.wav"},                    // only in the plug-in
        {"/gone/y.wav", "hat.wav", (folder / "search/zz/hat.wav").string()}, // the one outside
        // In another letter case: the first folder outside, and there the first in name order.
        {"/gone/r.wav", "ride.wav", (folder / "search/zz/RIDE.wav").string()},
        {"/gone/z.wav", "../snare.wav", "<??\?> /gone/z.wav"}, // not a plain name
        {"/gone/w.wav", "", "<??\?> /gone/w.wav"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(finder.findSample(0, 0, row.recorded, row.sampleName), row.found) << row.recorded;
    }
    // Without a plug-in folder the sample name is found anywhere.
    finder.setPluginFolder({});
    EXPECT_EQ(finder.findSample(0, 0, "/gone/x.wav", "tom.wav"),
              (folder / "search/plug/Other Kit/tom.wav").string());
}

// A plug-in folder with kit scripts and a shared sample folder.
class DeleteUnusedTest : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = folder / "Zarvo";
        fs::create_directories(plugin / "ZARVO SAMPLES");
    }
    void kit(const std::string& file, const std::string& sampleFolder,
             const std::vector<std::string>& samples) {
        std::string zones;
        for (const std::string& sample : samples) {
            zones += test::zoneLine(1, 36, "KICK", sample, 36, 36);
        }
        folder.write("Zarvo/" + file, test::kitScript("Kit", sampleFolder, zones));
    }
    fs::path sample(const std::string& name) {
        return folder.write("Zarvo/ZARVO SAMPLES/" + name, "x");
    }
    TempFolder folder;
    FakeHost host;
    fs::path plugin;
};

TEST_F(DeleteUnusedTest, KeepsWhatSharedKitsNameInAnyCaseAndDeletesTheRest) {
    kit("rock.txt", "ZARVO SAMPLES", {"kick.wav", "SNARE.wav"});
    kit("JAZZ.TXT", "ZARVO SAMPLES", {"ride.wav"});
    kit("case.txt", "ZARVO SAMPLES",
        {"Clap.WAV", "ZAP.wav", "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG.wav"});
    kit("own.txt", "own", {"tom.wav"});               // its own folder: does not protect
    kit("notes.md", "ZARVO SAMPLES", {"hat.wav"});    // not a kit script file
    folder.write("Zarvo/readme.txt", "hello, world"); // not a kit script
    for (const char* name : {"kick.wav", "snare.wav", "ride.wav", "tom.wav", "hat.wav", "clap.wav",
                             "zap.wav", "the quick brown fox jumps over the lazy dog.wav"}) {
        sample(name);
    }
    sample(".keep");
    folder.write("Zarvo/ZARVO SAMPLES/user folder/crash.wav", "x");
    folder.write("Zarvo/tom.wav", "outside");

    const auto wouldGo = deleteUnusedSamples(plugin, host, true);
    EXPECT_EQ(wouldGo, (std::vector<fs::path>{plugin / "ZARVO SAMPLES" / "hat.wav",
                                              plugin / "ZARVO SAMPLES" / "tom.wav"}));
    EXPECT_TRUE(fs::exists(plugin / "ZARVO SAMPLES" / "hat.wav")); // a dry run deletes nothing

    EXPECT_EQ(deleteUnusedSamples(plugin, host), wouldGo);
    EXPECT_GE(host.previewStops, 1);
    EXPECT_EQ(host.busyDepth, 0);
    for (const char* kept :
         {"kick.wav", "snare.wav", "ride.wav", ".keep", "user folder/crash.wav", "clap.wav",
          "zap.wav", "the quick brown fox jumps over the lazy dog.wav"}) {
        EXPECT_TRUE(fs::exists(plugin / "ZARVO SAMPLES" / kept)) << kept;
    }
    EXPECT_FALSE(fs::exists(plugin / "ZARVO SAMPLES" / "hat.wav"));
    EXPECT_TRUE(fs::exists(plugin / "tom.wav"));
    EXPECT_TRUE(fs::exists(plugin / "rock.txt"));
    EXPECT_FALSE(fs::exists(plugin / "Temp"));
}

TEST_F(DeleteUnusedTest, KeepsSamplesOfLinesForOtherPadsAndOfKitsItCannotRead) {
    folder.write("Zarvo/odd.txt",
                 test::kitScript("Kit", "ZARVO SAMPLES",
                                 test::zoneLine(0, 36, "KICK", "pad0.wav", 36, 36) +
                                     test::zoneLine(19, 37, "KICK", "pad19.wav", 37, 37)));
    sample("pad0.wav");
    sample("pad19.wav");
    sample("unused.wav");
    EXPECT_EQ(deleteUnusedSamples(plugin, host, true),
              std::vector<fs::path>{plugin / "ZARVO SAMPLES" / "unused.wav"});
    EXPECT_TRUE(host.messages.empty());

    // A kit script whose file is gone (a link to an unplugged drive) may use any sample.
    std::error_code noLinks;
    fs::create_symlink(folder / "unplugged" / "live.txt", plugin / "live.txt", noLinks);
    if (noLinks) {
        GTEST_SKIP() << "no symbolic links here";
    }
    EXPECT_TRUE(deleteUnusedSamples(plugin, host).empty());
    EXPECT_TRUE(fs::exists(plugin / "ZARVO SAMPLES" / "unused.wav"));
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_NE(host.messages[0].second.find("live.txt"), std::string::npos);
}

TEST_F(DeleteUnusedTest, ScriptReadInPartStopsTheCleaningWhereItMayNameSamples) {
    kit("rock.txt", "ZARVO SAMPLES", {"kick.wav"});
    sample("kick.wav");
    sample("unused.wav");
    // A broken path section or a kit with its own folder cannot hide shared samples.
    kit("paths.txt", "ZARVO SAMPLES", {"kick.wav"});
    std::string text = TempFolder::read(plugin / "paths.txt");
    text.replace(text.rfind("-1"), 2, " 1,/x.wav\r\n-1");
    folder.write("Zarvo/paths.txt", text);
    kit("own.txt", "own", {"kick.wav", " 1,1000,"});
    EXPECT_EQ(deleteUnusedSamples(plugin, host, true),
              std::vector<fs::path>{plugin / "ZARVO SAMPLES" / "unused.wav"});
    EXPECT_TRUE(host.messages.empty());

    // A zone line that does not convert may hide any sample after it.
    kit("live.txt", "ZARVO SAMPLES", {"kick.wav", "snare.wav,  1,1000"});
    EXPECT_TRUE(deleteUnusedSamples(plugin, host, true).empty());
    EXPECT_TRUE(deleteUnusedSamples(plugin, host).empty());
    EXPECT_TRUE(fs::exists(plugin / "ZARVO SAMPLES" / "unused.wav"));
    ASSERT_EQ(host.messages.size(), 2U);
    EXPECT_NE(host.messages[0].second.find("live.txt was read only in part"), std::string::npos);
    EXPECT_NE(host.messages[0].second.find("line 7"), std::string::npos);
}

TEST_F(DeleteUnusedTest, SampleNamesNeverReachOutside) {
    kit("evil.txt", "ZARVO SAMPLES", {"../rock.txt", "../../victim.wav", "/etc/passwd"});
    kit("rock.txt", "ZARVO SAMPLES", {"kick.wav"});
    folder.write("victim.wav", "x");
    sample("kick.wav");
    sample("unused.wav");
    EXPECT_EQ(deleteUnusedSamples(plugin, host),
              std::vector<fs::path>{plugin / "ZARVO SAMPLES" / "unused.wav"});
    EXPECT_TRUE(fs::exists(folder / "victim.wav"));
    EXPECT_TRUE(fs::exists(plugin / "rock.txt"));
    EXPECT_TRUE(fs::exists(plugin / "evil.txt"));
    EXPECT_TRUE(fs::exists(plugin / "ZARVO SAMPLES" / "kick.wav"));
}

} // namespace
} // namespace padsmith
