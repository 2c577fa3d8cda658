// SPDX-License-Identifier: GPL-3.0-or-later
// The save plan on its own: from the kit as saved, the kit now and what lies in the sample
// folder, the copies, renames, replacements and removals it plans.
#include "kit/SavePlan.h"

#include "kit/SampleFolders.h"

#include <gtest/gtest.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// "name=source" pairs; a source starting with "~" lies in the sample folder, "/" elsewhere.
using Samples = std::vector<std::pair<std::string, std::string>>;

const fs::path kFolder = fs::temp_directory_path() / "padsmith-plan-none" / "Zarvo" / "Rock";

std::string expand(const std::string& source) {
    return source.starts_with("~") ? (kFolder / source.substr(1)).string() : source;
}

std::string shorten(const fs::path& path) {
    const std::string text = path.string();
    const std::string folder = kFolder.string() + "/";
    return text.starts_with(folder) ? "~" + text.substr(folder.size()) : text;
}

struct Row {
    const char* what;
    Samples saved;
    Samples now;
    Strings copies;   // file names in the sample folder
    Strings readable; // sources that can be read ("~" for the folder)
    Strings expected; // "copy A>B", "replace A>B", "rename A>B", "remove A", "moved A>B",
                      // "missing N", "not copied N"
    bool shared = false;
    Strings namedByOthers = {}; // "name", or "name=source" with the source they give it
    Strings foreign = {};
    bool fresh = false;
    Strings edited = {};
    bool firstSave = false; // the kit was never saved into this folder
};

Strings planned(const Row& row) {
    KitDocument kit;
    kit.savedSampleFolder = row.firstSave ? kSharedSampleFolder : "Rock";
    for (const auto& [name, source] : row.saved) {
        kit.savedSamples.push_back({name, expand(source)});
    }
    for (std::size_t i = 0; i < row.now.size(); ++i) {
        SampleZone zone;
        zone.sampleName = row.now[i].first;
        zone.sourcePath = expand(row.now[i].second);
        zone.key = static_cast<int>(36 + i);
        kit.pads[i % kPadCount].append(zone);
    }
    for (const std::string& source : row.edited) {
        kit.changedSources.insert(expand(source));
    }
    SaveFolders folders;
    folders.sampleFolder = row.shared ? kFolder.parent_path() / kSharedSampleFolder : kFolder;
    if (row.shared) {
        kit.savedSampleFolder = kSharedSampleFolder;
    }
    folders.shared = row.shared;
    folders.copies.insert(row.copies.begin(), row.copies.end());
    for (const std::string& source : row.readable) {
        folders.readableSources.insert(expand(source));
    }
    for (const std::string& named : row.namedByOthers) {
        // "name" or "name=the source the other kit gives it"
        const std::string name = named.substr(0, named.find('='));
        folders.namedByOtherKits.insert(foldCase(name));
        if (name != named) {
            folders.otherKitsSources[name].insert(named.substr(name.size() + 1));
        }
    }
    folders.foreignCopies.insert(row.foreign.begin(), row.foreign.end());
    folders.refresh = row.fresh;
    folders.fresh = row.fresh;

    const SavePlan plan = planSave(kit, folders);
    Strings out;
    for (const FileOperation& op : plan.operations) {
        using Kind = FileOperation::Kind;
        switch (op.kind) {
        case Kind::Copy:
            out.push_back("copy " + shorten(op.from) + ">" + op.to.filename().string());
            break;
        case Kind::Replace:
            out.push_back("replace " + shorten(op.from) + ">" + op.to.filename().string());
            break;
        case Kind::Rename:
            out.push_back("rename " + op.from.filename().string() + ">" +
                          op.to.filename().string());
            break;
        case Kind::Remove:
            out.push_back("remove " + op.from.filename().string());
            break;
        }
    }
    for (const auto& [from, to] : plan.movedSources) {
        out.push_back("moved " + shorten(from) + ">" + shorten(to));
    }
    for (const MissingCopy& missing : plan.missing) {
        out.push_back("missing " + missing.sampleName);
    }
    for (const NotCopied& stranger : plan.notCopied) {
        out.push_back("not copied " + stranger.file.filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(SavePlan, EachSituation) {
    const Row rows[] = {
        {"a new sample is copied",
         {},
         {{"k.wav", "/lib/k.wav"}},
         {},
         {"/lib/k.wav"},
         {"copy /lib/k.wav>k.wav"}},
        {"a copy that is there from the same source stays",
         {{"k.wav", "/lib/k.wav"}},
         {{"k.wav", "/lib/k.wav"}},
         {"k.wav"},
         {"/lib/k.wav"},
         {}},
        {"a renamed sample renames its copy",
         {{"a.wav", "/lib/a.wav"}},
         {{"b.wav", "/lib/a.wav"}},
         {"a.wav"},
         {"/lib/a.wav"},
         {"rename a.wav>b.wav"}},
        {"a swap of two names renames both",
         {{"a.wav", "/lib/a.wav"}, {"b.wav", "/lib/b.wav"}},
         {{"b.wav", "/lib/a.wav"}, {"a.wav", "/lib/b.wav"}},
         {"a.wav", "b.wav"},
         {"/lib/a.wav", "/lib/b.wav"},
         {"rename a.wav>b.wav", "rename b.wav>a.wav"}},
        {"a chain of names renames each",
         {{"a.wav", "/lib/a.wav"}, {"b.wav", "/lib/b.wav"}},
         {{"b.wav", "/lib/a.wav"}, {"c.wav", "/lib/b.wav"}},
         {"a.wav", "b.wav"},
         {"/lib/a.wav", "/lib/b.wav"},
         {"rename a.wav>b.wav", "rename b.wav>c.wav"}},
        {"a change of letter case only is a rename",
         {{"Kick.wav", "/lib/k.wav"}},
         {{"kick.wav", "/lib/k.wav"}},
         {"Kick.wav"},
         {"/lib/k.wav"},
         {"rename Kick.wav>kick.wav"}},
        {"a name passed on between the kit's own copies: both move, sources follow",
         {{"snare.wav", "~snare.wav"}, {"kick.wav", "~kick.wav"}},
         {{"snare old.wav", "~snare.wav"}, {"snare.wav", "~kick.wav"}},
         {"snare.wav", "kick.wav"},
         {"~snare.wav", "~kick.wav"},
         {"moved ~kick.wav>~snare.wav", "moved ~snare.wav>~snare old.wav",
          "rename kick.wav>snare.wav", "rename snare.wav>snare old.wav"}},
        {"a name passed to another source replaces the copy",
         {{"s.wav", "/lib/s.wav"}},
         {{"s.wav", "/lib/k.wav"}},
         {"s.wav"},
         {"/lib/s.wav", "/lib/k.wav"},
         {"replace /lib/k.wav>s.wav"}},
        {"... but not a copy another kit script names: it stays, and is named",
         {{"s.wav", "/lib/s.wav"}},
         {{"s.wav", "/lib/k.wav"}},
         {"s.wav"},
         {"/lib/s.wav", "/lib/k.wav"},
         {"not copied s.wav"},
         false,
         {"s.wav"}},
        {"a copy whose source was edited is replaced",
         {{"k.wav", "/lib/k.wav"}},
         {{"k.wav", "/lib/k.wav"}},
         {"k.wav"},
         {"/lib/k.wav"},
         {"replace /lib/k.wav>k.wav"},
         false,
         {},
         {},
         false,
         {"/lib/k.wav"}},
        {"... also where other kits name it from that source, not from another",
         {{"k.wav", "/lib/k.wav"}, {"h.wav", "/lib/h.wav"}},
         {{"k.wav", "/lib/k.wav"}, {"h.wav", "/lib/h.wav"}},
         {"k.wav", "h.wav"},
         {"/lib/k.wav", "/lib/h.wav"},
         {"replace /lib/k.wav>k.wav"},
         false,
         {"k.wav=/lib/k.wav", "h.wav=/lib/k.wav", "h.wav=/lib/h.wav"},
         {},
         false,
         {"/lib/k.wav", "/lib/h.wav"}},
        {"... and where they play it as it is (no path lines), or play another letter case's file",
         {{"k.wav", "/lib/k.wav"}},
         {{"k.wav", "/lib/k.wav"}},
         {"k.wav", "K.wav"},
         {"/lib/k.wav"},
         {"replace /lib/k.wav>k.wav"},
         false,
         {"k.wav=", "K.wav=/lib/other.wav"},
         {},
         false,
         {"/lib/k.wav"}},
        {"a rename onto someone else's file replaces it; the old copy goes",
         {{"kick.wav", "/lib/kick.wav"}},
         {{"kick 2.wav", "/lib/kick.wav"}},
         {"kick.wav", "kick 2.wav"},
         {"/lib/kick.wav"},
         {"remove kick.wav", "replace /lib/kick.wav>kick 2.wav"},
         false,
         {},
         {"kick 2.wav"}},
        {"... in the shared folder too (where the old copy stays)",
         {{"k.wav", "/lib/kick.wav"}},
         {{"kick.wav", "/lib/kick.wav"}},
         {"k.wav", "kick.wav"},
         {"/lib/kick.wav"},
         {"replace /lib/kick.wav>kick.wav"},
         true,
         {},
         {"kick.wav"}},
        {"... but where another kit names it, it stays, and is named",
         {{"k.wav", "/lib/kick.wav"}},
         {{"kick.wav", "/lib/kick.wav"}},
         {"k.wav", "kick.wav"},
         {"/lib/kick.wav"},
         {"not copied kick.wav"},
         true,
         {"kick.wav"},
         {"kick.wav"}},
        {"a file the kit never named, there before the kit's first save, stays",
         {},
         {{"kick.wav", "/lib/kick.wav"}},
         {"kick.wav"},
         {"/lib/kick.wav"},
         {},
         false,
         {},
         {"kick.wav"},
         false,
         {},
         true},
        {"... but one left in a folder the kit saved into is made again (in any letter case)",
         {{"snare.wav", "/lib/snare.wav"}},
         {{"snare.wav", "/lib/snare.wav"}, {"Kick.wav", "/lib/kick.wav"}},
         {"snare.wav", "kick.wav"},
         {"/lib/kick.wav", "/lib/snare.wav"},
         {"replace /lib/kick.wav>kick.wav"},
         false,
         {},
         {"Kick.wav"}},
        {"a sample the kit gave up: its copy goes",
         {{"k.wav", "/lib/k.wav"}},
         {},
         {"k.wav"},
         {"/lib/k.wav"},
         {"remove k.wav"}},
        {"... but not when its source cannot be read, is the copy, or another kit names it",
         {{"k.wav", "/lib/k.wav"}, {"own.wav", "~own.wav"}, {"o.wav", "/lib/o.wav"}},
         {},
         {"k.wav", "own.wav", "o.wav"},
         {"~own.wav", "/lib/o.wav"},
         {},
         false,
         {"o.wav"}},
        {"the shared folder: a rename copies, nothing is removed",
         {{"a.wav", "/lib/a.wav"}, {"gone.wav", "/lib/gone.wav"}},
         {{"b.wav", "/lib/a.wav"}},
         {"a.wav", "gone.wav"},
         {"/lib/a.wav", "/lib/gone.wav"},
         {"copy /lib/a.wav>b.wav"},
         true},
        {"a rename whose source cannot be read copies from the old copy when it must stay",
         {{"a.wav", "/lib/a.wav"}},
         {{"b.wav", "/lib/a.wav"}},
         {"a.wav"},
         {},
         {"copy ~a.wav>b.wav"},
         false,
         {"a.wav"}},
        {"a fresh folder: the kit's copies made again; a file it did not make and a source stay",
         {{"k.wav", "/lib/k.wav"}},
         {{"k.wav", "/lib/k.wav"}, {"s.wav", "~src.wav"}},
         {"k.wav", "src.wav", "stray.wav"},
         {"/lib/k.wav", "~src.wav"},
         {"copy ~src.wav>s.wav", "replace /lib/k.wav>k.wav"},
         false,
         {},
         {},
         true},
        {"a sample without a readable source and without a copy is missing",
         {},
         {{"g.wav", "/gone/g.wav"}},
         {},
         {},
         {"missing g.wav"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(planned(row), row.expected) << row.what;
    }
}

} // namespace
} // namespace padsmith
