// SPDX-License-Identifier: GPL-3.0-or-later
// The file rules, held against real files: after each sequence of commands, what lies in the
// plug-in folder and in the user's library, and what the saved script names.
#include "FakeHost.h"
#include "KitScriptLines.h"
#include "kit/FolderKit.h"
#include "kit/InstrumentFile.h"
#include "kit/KitSave.h"
#include "kit/KitScript.h"
#include "kit/PadEdits.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneFiles.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// One run of commands on a fresh plug-in folder (Zarvo), library (lib: kick_soft.wav,
// snare.wav, hat.wav) and trash.
class FileRun : public test::PluginFolder {
public:
    FileRun() {
        askForFolder = false;
        folder.write("Zarvo/Zarvo.dll", "");
        for (const char* name : {"kick_soft.wav", "snare.wav", "hat.wav"}) {
            folder.write(std::string("lib/") + name, std::string(1, name[0]));
        }
        script = folder / "kits/Rock.txt";
        fs::create_directories(script.parent_path());
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    }
    ~FileRun() { setFileFaultHook({}); }

    void import(const std::vector<std::string>& files, int pad = 0) {
        std::vector<fs::path> paths;
        for (const std::string& file : files) {
            paths.push_back(folder / file);
        }
        apply(importSamples(kit, pad, -1, paths, keyRange, location, host).edit);
    }
    // Imported and saved: a kit as installed.
    bool installed(const std::vector<std::string>& files) {
        import(files);
        return save();
    }
    void apply(const KitEdit& edit) {
        applyEdit(kit, edit);
        undo.push_back(edit);
    }
    void undoLast() {
        applyEdit(kit, inverseOf(undo.back()));
        undo.pop_back();
    }
    // Saves as the editor does: the undo steps follow the sources the save moved.
    bool save() { return saveReport().saved(); }
    // Save with Shift, padsmith-kit install --fresh.
    bool saveFresh(KitDocument& which) {
        SaveOptions options;
        options.freshSampleFolder = true;
        return saveKit(which, script, location, options).saved();
    }
    SaveReport saveReport() {
        const SaveReport report = saveKit(kit, script, location);
        for (KitEdit& edit : undo) {
            followMovedSources(edit, report.movedSources);
        }
        return report;
    }
    // A kit made by hand in the plug-in folder, without path lines, read as the open kit: one
    // pad per sample ("snare.wav=s"), its copies (and so its sources) in Zarvo/Rock.
    void handKit(const std::vector<std::string>& samples) {
        std::string zones;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const std::string name = samples[i].substr(0, samples[i].find('='));
            folder.write("Zarvo/Rock/" + name, samples[i].substr(samples[i].find('=') + 1));
            const int pad = static_cast<int>(i + 1);
            zones += test::zoneLine(pad, 35 + pad, "P" + std::to_string(pad), name);
        }
        folder.write("Zarvo/Rock.txt", test::kitScript("Rock", "Rock", zones));
        read(folder / "Zarvo/Rock.txt");
    }
    std::string rename(int pad, int row, const std::string& name) {
        const SampleRename renamed = renameSample(kit, pad, row, name, location);
        apply(renamed.edit);
        return renamed.error;
    }
    // Shift+Delete answered Yes.
    SourceDeletion deleteFromDisk(int pad, std::vector<int> rows) {
        const ZoneDeletion deletion = deleteZones(kit, pad, std::move(rows));
        apply(deletion.edit);
        return trashSourceFiles(kit, deletion.removed, location, host);
    }
    void read(const fs::path& path) {
        PluginFolder::read(kit, path);
        script = path;
    }

    // "Rock/snare.wav=s" for every file below `relative`, "Rock.txt" for scripts.
    std::vector<std::string> listing(const std::string& relative) const {
        std::vector<std::string> files;
        for (const std::string& file : folder.listing(relative)) {
            const std::string name = file.substr(0, file.find('='));
            if (fs::path(name).filename() != "Zarvo.dll") {
                files.push_back(name.ends_with(".txt") ? name : file);
            }
        }
        return files;
    }
    // "snare.wav<-~/lib/snare.wav": each zone of the script at `path`, its source below "~".
    std::vector<std::string> scriptNames(const fs::path& path) const {
        std::string text;
        std::vector<std::string> names;
        if (!readWholeFile(path, text)) {
            return {"(no script)"};
        }
        const auto content = parseKitScript(text);
        for (std::size_t i = 0; i < content->zones.size(); ++i) {
            std::string line = content->zones[i].sampleName;
            if (i < content->paths.size()) {
                std::string source = content->paths[i].path;
                if (source.starts_with(folder.path().string())) {
                    source = "~" + source.substr(folder.path().string().size());
                }
                line += "<-" + source;
            }
            names.push_back(line);
        }
        return names;
    }

    KitDocument kit;
    ImportKeyRange keyRange;
    fs::path script;
    std::vector<KitEdit> undo;
};

using Strings = std::vector<std::string>;

// A kit script made elsewhere: one zone playing `sample` from the sample folder `folder`.
std::string script(const std::string& kit, const std::string& folder, const std::string& sample) {
    return test::kitScript(kit, folder, test::zoneLine(1, 40, "PAD", sample));
}

const Strings kLibrary = {"hat.wav=h", "kick_soft.wav=k", "snare.wav=s"};

struct Row {
    const char* what;
    std::function<void(FileRun&)> commands;
    Strings plugin;             // listing of Zarvo
    Strings names;              // what kits/Rock.txt names (or the script the run read last)
    Strings library = kLibrary; // listing of lib
};

TEST(FileRules, EachCommandSequence) {
    const Row rows[] = {
        {"import, never saved: no file touched",
         [](FileRun& run) {
             run.import({"lib/kick_soft.wav", "lib/snare.wav"});
         },
         {},
         {"(no script)"}},
        {"import keeps the source's name; a source path with a comma is refused, never "
         "written with a blank",
         [](FileRun& run) {
             run.folder.write("lib/kick,1.wav", "c");
             ASSERT_TRUE(run.installed({"lib/kick_soft.wav", "lib/kick,1.wav"}));
         },
         {"Rock.txt", "Rock/kick_soft.wav=k"},
         {"kick_soft.wav<-~/lib/kick_soft.wav"},
         {"hat.wav=h", "kick,1.wav=c", "kick_soft.wav=k", "snare.wav=s"}},
        {"rename, never saved: the installed kit stays as saved",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav"}));
             EXPECT_EQ(run.rename(0, 0, "snare 2.wav"), "");
         },
         {"Rock.txt", "Rock/snare.wav=s"},
         {"snare.wav<-~/lib/snare.wav"}},
        {"rename, saved: the copy is renamed, the source keeps its name",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav"}));
             EXPECT_EQ(run.rename(0, 0, "snare 2.wav"), "");
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/snare 2.wav=s"},
         {"snare 2.wav<-~/lib/snare.wav"}},
        {"rename onto a name another sample holds is refused",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/kick_soft.wav", "lib/snare.wav"}));
             EXPECT_NE(run.rename(0, 1, "KICK_SOFT.wav"), "");
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/kick_soft.wav=k", "Rock/snare.wav=s"},
         {"kick_soft.wav<-~/lib/kick_soft.wav", "snare.wav<-~/lib/snare.wav"}},
        {"edit: the copy stays until the save replaces it",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav"}));
             run.folder.write("lib/snare.wav", "S");
             sampleEditedOutside(run.kit, run.kit.pads[0].at(0));
             EXPECT_TRUE(run.kit.modified());
             EXPECT_EQ(TempFolder::read(run.folder / "Zarvo/Rock/snare.wav"), "s");
             ASSERT_TRUE(run.save());
             EXPECT_FALSE(run.kit.modified());
         },
         {"Rock.txt", "Rock/snare.wav=S"},
         {"snare.wav<-~/lib/snare.wav"},
         {"hat.wav=h", "kick_soft.wav=k", "snare.wav=S"}},
        {"Shift+Delete: the source goes to the trash, the save keeps the only copy, undo "
         "brings both back",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav", "lib/hat.wav"}));
             SourceDeletion deleted = run.deleteFromDisk(0, {0});
             ASSERT_EQ(deleted.trashed.size(), 1U);
             EXPECT_EQ(run.listing("data/Trash/files"), Strings{"snare.wav=s"});
             ASSERT_TRUE(run.save());
             EXPECT_EQ(run.listing("Zarvo"),
                       (Strings{"Rock.txt", "Rock/hat.wav=h", "Rock/snare.wav=s"}));
             restoreFromTrash(deleted.trashed, run.host);
             run.undoLast();
             EXPECT_EQ(run.listing("data/Trash"), Strings{});
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/hat.wav=h", "Rock/snare.wav=s"},
         {"snare.wav<-~/lib/snare.wav", "hat.wav<-~/lib/hat.wav"}},
        {"Shift+Delete without a trash: the file stays and is named",
         [](FileRun& run) {
             run.folder.write("nodata", "a file where the trash's folder would be");
             ::setenv("XDG_DATA_HOME", (run.folder / "nodata").c_str(), 1);
             run.import({"lib/snare.wav"});
             const SourceDeletion deleted = run.deleteFromDisk(0, {0});
             EXPECT_TRUE(deleted.trashed.empty());
             EXPECT_EQ(deleted.noTrash, std::vector<fs::path>{run.folder / "lib/snare.wav"});
         },
         {},
         {"(no script)"}},
        {"delete a pad, save: a copy whose source is readable goes",
         [](FileRun& run) {
             run.import({"lib/snare.wav"});
             run.import({"lib/hat.wav"}, 1);
             run.kit.pads[1].at(0).key = 42; // one note per pad
             ASSERT_TRUE(run.save());
             run.apply(deletePad(run.kit, 1));
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/snare.wav=s"},
         {"snare.wav<-~/lib/snare.wav"}},
        {"delete, save, undo with the source missing: the only copy stays",
         [](FileRun& run) {
             run.import({"lib/snare.wav"});
             run.import({"lib/hat.wav"}, 1);
             run.kit.pads[1].at(0).key = 42; // one note per pad
             ASSERT_TRUE(run.save());
             fs::remove(run.folder / "lib/hat.wav");
             run.apply(deletePad(run.kit, 1));
             ASSERT_TRUE(run.save());
             run.undoLast();
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/hat.wav=h", "Rock/snare.wav=s"},
         {"snare.wav<-~/lib/snare.wav", "hat.wav<-~/lib/hat.wav"},
         {"kick_soft.wav=k", "snare.wav=s"}},
        {"another kit's files: never renamed or deleted",
         [](FileRun& run) {
             run.folder.write("Zarvo/Jazz/jazz.wav", "j");
             run.folder.write("Zarvo/Jazz.txt", script("Jazz", "Jazz", "jazz.wav"));
             ASSERT_TRUE(run.installed({"Zarvo/Jazz/jazz.wav"}));
             EXPECT_EQ(run.rename(0, 0, "jazz 2.wav"), "");
             ASSERT_TRUE(run.save());
             const SourceDeletion deleted = run.deleteFromDisk(0, {0});
             EXPECT_EQ(deleted.spared, 1);
             EXPECT_TRUE(deleted.trashed.empty());
             ASSERT_TRUE(run.save());
         },
         {"Jazz.txt", "Jazz/jazz.wav=j", "Rock.txt"},
         {}},
        {"a kit without path lines: the renamed copy is its source and moves with it",
         [](FileRun& run) {
             run.handKit({"kick.wav=k"});
             EXPECT_EQ(run.rename(0, 0, "kick 2.wav"), "");
             ASSERT_TRUE(run.save());
             run.read(run.folder / "Zarvo/Rock.txt");
             EXPECT_EQ(run.kit.pads[0].at(0).sourcePath,
                       (run.folder / "Zarvo/Rock/kick 2.wav").string());
         },
         {"Rock.txt", "Rock/kick 2.wav=k"},
         {"kick 2.wav<-~/Zarvo/Rock/kick 2.wav"}},
        {"a pad kit of a kit never installed plays from a folder of its own",
         [](FileRun& run) {
             run.import({"lib/snare.wav", "lib/hat.wav"}, 4);
             run.kit.kitName = "Rock";
             ASSERT_EQ(savePadAsKit(run.kit, 4, run.location, false), PadKitResult::Written);
             run.read(run.folder / "Zarvo/Rock Snare.txt");
             EXPECT_EQ(run.kit.pads[4].at(0).sourcePath,
                       (run.folder / "Zarvo/Rock Snare/snare.wav").string());
         },
         {"Rock Snare.txt", "Rock Snare/hat.wav=h", "Rock Snare/snare.wav=s"},
         {"snare.wav", "hat.wav"}},
        {"a path longer than its field: the save is refused and writes nothing",
         [](FileRun& run) {
             const std::string deep =
                 "lib/" + std::string(150, 'd') + "/" + std::string(150, 'd') + "/long.wav";
             run.import({"lib/snare.wav"});
             run.kit.pads[0].at(0).sourcePath = run.folder.write(deep, "l").string();
             EXPECT_FALSE(run.save());
             fs::remove_all(run.folder / "lib" / std::string(150, 'd'));
         },
         {},
         {"(no script)"}},
        {"a relative source path is taken from the script's folder and saved absolute",
         [](FileRun& run) {
             run.folder.write("kits/Hand.txt",
                              test::kitScript("Hand", "Hand",
                                              test::zoneLine(1, 36, "HAT", "hat.wav"),
                                              test::pathLine(1, "../lib/hat.wav")));
             run.read(run.folder / "kits/Hand.txt");
             ASSERT_TRUE(run.save());
         },
         {"Hand.txt", "Hand/hat.wav=h"},
         {"hat.wav<-~/lib/hat.wav"}},
        {"install --fresh makes the kit's own copies again; another kit's copy, a stranger's "
         "file and a subfolder with the kit's sources stay",
         [](FileRun& run) {
             run.folder.write("Zarvo/Live.txt", script("Live", "Rock", "hat.wav"));
             run.folder.write("Zarvo/Rock/hat.wav", "j");
             run.folder.write("Zarvo/Rock/sub/kick.wav", "K");
             run.folder.write("Zarvo/Rock/stranger.wav", "x");
             ASSERT_TRUE(run.installed({"lib/snare.wav", "Zarvo/Rock/sub/kick.wav"}));
             run.folder.write("lib/snare.wav", "S"); // changed by another program
             ASSERT_TRUE(run.saveFresh(run.kit));
         },
         {"Live.txt", "Rock.txt", "Rock/hat.wav=j", "Rock/kick.wav=K", "Rock/snare.wav=S",
          "Rock/stranger.wav=x", "Rock/sub/kick.wav=K"},
         {"snare.wav<-~/lib/snare.wav", "kick.wav<-~/Zarvo/Rock/sub/kick.wav"},
         {"hat.wav=h", "kick_soft.wav=k", "snare.wav=S"}},
        {"shared folder: a sample named as another kit's sample there is refused until renamed, "
         "also with --fresh; the other kit's copy is never replaced",
         [](FileRun& run) {
             run.location.shareSamples = true;
             run.folder.write("Zarvo/Pop.txt", script("Pop", "ZARVO SAMPLES", "snare.wav"));
             run.folder.write("Zarvo/ZARVO SAMPLES/snare.wav", "p");
             run.import({"lib/snare.wav"});
             EXPECT_FALSE(run.save());
             EXPECT_FALSE(run.saveFresh(run.kit));
             EXPECT_EQ(run.rename(0, 0, "snare 2.wav"), "");
             ASSERT_TRUE(run.saveFresh(run.kit));
         },
         {"Pop.txt", "Rock.txt", "ZARVO SAMPLES/snare 2.wav=s", "ZARVO SAMPLES/snare.wav=p"},
         {"snare 2.wav<-~/lib/snare.wav"}},
        {"new --force over an installed kit: the new samples replace the old copies of their "
         "names, and the old kit's other copies go",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav", "lib/hat.wav"}));
             run.folder.write("new/snare.wav", "N");
             std::vector<std::string> unplayable;
             KitDocument made;
             made.newKit();
             fillKitFromPlan(
                 made, planFolderKit(listFolderSamples(
                           run.folder / "new", [](const fs::path&) { return true; }, unplayable)));
             takeSavedStateOf(made, run.script, run.location);
             ASSERT_TRUE(run.saveFresh(made));
         },
         {"Rock.txt", "Rock/snare.wav=N"},
         {"snare.wav<-~/new/snare.wav"}},
        {"a folder named \"\xC3\x83\xC2\xA9\" reads back as written, not as \"\xC3\xA9\"",
         [](FileRun& run) {
             run.folder.write("lib/\xC3\x83\xC2\xA9/kick.wav", "e");
             ASSERT_TRUE(run.installed({"lib/\xC3\x83\xC2\xA9/kick.wav"}));
             run.read(run.script);
             EXPECT_EQ(run.kit.pads[0].at(0).sourcePath,
                       (run.folder / "lib/\xC3\x83\xC2\xA9/kick.wav").string());
         },
         {"Rock.txt", "Rock/kick.wav=e"},
         {"kick.wav<-~/lib/\xC3\xA9/kick.wav"}, // the code page's two bytes
         {"hat.wav=h", "kick_soft.wav=k", "snare.wav=s", "\xC3\x83\xC2\xA9/kick.wav=e"}},
        {"Shift+Delete in a read-only folder: the file stays and is named, the trash gets "
         "nothing, undo and redo add nothing",
         [](FileRun& run) {
             const fs::path clap = run.folder.write("lib/ro/clap.wav", "c");
             setFileFaultHook([clap](FileStep step, const fs::path& from, const fs::path&) {
                 return from == clap && step != FileStep::Copy
                            ? std::make_error_code(std::errc::permission_denied)
                            : std::error_code{};
             });
             ASSERT_TRUE(run.installed({"lib/ro/clap.wav"}));
             const SourceDeletion deleted = run.deleteFromDisk(0, {0});
             EXPECT_TRUE(deleted.trashed.empty());
             EXPECT_EQ(deleted.noTrash, std::vector<fs::path>{clap});
             run.undoLast();
             EXPECT_EQ(run.listing("data"), Strings{});
         },
         {"Rock.txt", "Rock/clap.wav=c"},
         {"clap.wav<-~/lib/ro/clap.wav"},
         {"hat.wav=h", "kick_soft.wav=k", "ro/clap.wav=c", "snare.wav=s"}},
        {"a name passed to another source of a kit without path lines: both contents stay, "
         "and undo with a save brings the kit back",
         [](FileRun& run) {
             run.handKit({"snare.wav=s", "kick.wav=k"});
             EXPECT_EQ(run.rename(0, 0, "snare old.wav"), "");
             EXPECT_EQ(run.rename(1, 0, "snare.wav"), "");
             ASSERT_TRUE(run.save());
             EXPECT_EQ(run.listing("Zarvo"),
                       (Strings{"Rock.txt", "Rock/snare old.wav=s", "Rock/snare.wav=k"}));
             run.undoLast();
             run.undoLast();
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/kick.wav=k", "Rock/snare.wav=s"},
         {"snare.wav<-~/Zarvo/Rock/snare.wav", "kick.wav<-~/Zarvo/Rock/kick.wav"}},
        {"a swap of two sample names swaps the copies",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav", "lib/hat.wav"}));
             EXPECT_EQ(run.rename(0, 0, "x.wav"), "");
             EXPECT_EQ(run.rename(0, 1, "snare.wav"), "");
             EXPECT_EQ(run.rename(0, 0, "hat.wav"), "");
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/hat.wav=s", "Rock/snare.wav=h"},
         {"hat.wav<-~/lib/snare.wav", "snare.wav<-~/lib/hat.wav"}},
        {"a change of letter case only renames the copy",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav"}));
             EXPECT_EQ(run.rename(0, 0, "Snare.wav"), "");
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/Snare.wav=s"},
         {"Snare.wav<-~/lib/snare.wav"}},
        {"a source that links to the kit's own copy: deleting its zone keeps the copy",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav", "lib/hat.wav"}));
             fs::remove(run.folder / "lib/hat.wav");
             fs::create_symlink(run.folder / "Zarvo/Rock/hat.wav", run.folder / "lib/hat.wav");
             run.apply(deleteZones(run.kit, 0, {1}).edit);
             ASSERT_TRUE(run.save());
         },
         {"Rock.txt", "Rock/hat.wav=h", "Rock/snare.wav=s"},
         {"snare.wav<-~/lib/snare.wav"}},
        {"a rename onto someone else's file in the kit folder: the pad plays its own sample, "
         "the other file goes to the trash",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/kick_soft.wav"}));
             run.folder.write("Zarvo/Rock/kick 2.wav", "stranger");
             EXPECT_EQ(run.rename(0, 0, "kick 2.wav"), "");
             const SaveReport report = run.saveReport();
             ASSERT_TRUE(report.saved());
             ASSERT_EQ(report.trashed.size(), 1U);
             EXPECT_EQ(report.trashed[0].file, "Rock/kick 2.wav");
             EXPECT_EQ(run.listing("data/Trash/files"), Strings{"kick 2.wav=stranger"});
         },
         {"Rock.txt", "Rock/kick 2.wav=k"},
         {"kick 2.wav<-~/lib/kick_soft.wav"}},
        {"a sample folder that links elsewhere: an edited source replaces its copy there",
         [](FileRun& run) {
             fs::create_directories(run.folder / "elsewhere");
             fs::create_directories(run.folder / "Zarvo");
             fs::create_directory_symlink(run.folder / "elsewhere", run.folder / "Zarvo/Rock");
             ASSERT_TRUE(run.installed({"lib/snare.wav"}));
             run.folder.write("lib/snare.wav", "S");
             sampleEditedOutside(run.kit, run.kit.pads[0].at(0));
             ASSERT_TRUE(run.save());
             EXPECT_FALSE(run.kit.modified());
             EXPECT_EQ(TempFolder::read(run.folder / "elsewhere/snare.wav"), "S");
             EXPECT_EQ(run.listing("data/Trash/files"), Strings{"snare.wav=s"});
         },
         {"Rock.txt"},
         {"snare.wav<-~/lib/snare.wav"},
         {"hat.wav=h", "kick_soft.wav=k", "snare.wav=S"}},
        {"no space left midway: nothing changes, and the reason is said in words",
         [](FileRun& run) {
             ASSERT_TRUE(run.installed({"lib/snare.wav"}));
             EXPECT_EQ(run.rename(0, 0, "snare 2.wav"), "");
             run.import({"lib/hat.wav"}, 1);
             run.kit.pads[1].at(0).key = 42;
             for (const FileStep failing : {FileStep::Copy, FileStep::Place}) {
                 setFileFaultHook([failing](FileStep step, const fs::path&, const fs::path&) {
                     return step == failing ? std::make_error_code(std::errc::no_space_on_device)
                                            : std::error_code();
                 });
                 const SaveReport report = run.saveReport();
                 setFileFaultHook({});
                 EXPECT_EQ(report.outcome, SaveReport::Outcome::Failed)
                     << static_cast<int>(failing);
                 EXPECT_NE(report.failure.find("no space left on the device"), std::string::npos)
                     << report.failure;
                 // The kit still knows its saved state: a later save starts from there.
                 ASSERT_EQ(run.kit.savedSamples.size(), 1U);
                 EXPECT_EQ(run.kit.savedSamples[0].sampleName, "snare.wav");
                 EXPECT_EQ(run.listing("Zarvo"), (Strings{"Rock.txt", "Rock/snare.wav=s"}));
             }
         },
         {"Rock.txt", "Rock/snare.wav=s"},
         {"snare.wav<-~/lib/snare.wav"}},
        {"a source folder with a comma: the save is refused and writes nothing",
         [](FileRun& run) {
             run.import({"lib/snare.wav"});
             run.kit.pads[0].at(0).sourcePath =
                 run.folder.write("Drums, acoustic/snare.wav", "d").string();
             const SaveReport report = run.saveReport();
             EXPECT_EQ(report.outcome, SaveReport::Outcome::Refused);
             EXPECT_NE(saveReportMessage(report).find("Drums, acoustic"), std::string::npos);
             fs::remove_all(run.folder / "Drums, acoustic");
         },
         {},
         {"(no script)"}},
        {"a folder name that would read back as other letters, and no file there to tell: the "
         "save is refused",
         [](FileRun& run) {
             run.import({"lib/snare.wav"});
             run.kit.pads[0].at(0).sourcePath =
                 (run.folder / "\xC3\x83\xC2\xA9/snare.wav").string(); // "Ã©", missing
             EXPECT_EQ(run.saveReport().outcome, SaveReport::Outcome::Refused);
         },
         {},
         {"(no script)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FileRun run;
        row.commands(run);
        EXPECT_EQ(run.listing("Zarvo"), row.plugin);
        EXPECT_EQ(run.listing("lib"), row.library);
        EXPECT_EQ(run.scriptNames(run.script), row.names);
    }
}

} // namespace
} // namespace padsmith
