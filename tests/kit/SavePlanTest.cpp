// SPDX-License-Identifier: GPL-3.0-or-later
// The save plan on its own: from the kit as saved, the kit now and what lies in the sample
// folder, the copies, renames, replacements and removals it plans.
#include "kit/SavePlan.h"

#include "kit/SampleFolders.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const fs::path kFolder = fs::temp_directory_path() / "padsmith-plan-none" / "Zarvo" / "Rock";

// A source starting with "~" lies in the sample folder, "/" elsewhere.
std::string expand(const std::string& source) {
    return source.starts_with("~") ? (kFolder / source.substr(1)).string() : source;
}

std::string shorten(const fs::path& path) {
    const std::string text = path.string();
    const std::string folder = kFolder.string() + "/";
    return text.starts_with(folder) ? "~" + text.substr(folder.size()) : text;
}

// "a, b" as {"a", "b"}; "" as none. Items are split at `separator`.
Strings items(const std::string& list, const std::string& separator = ", ") {
    Strings out;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find(separator, at), list.size());
        out.push_back(list.substr(at, end - at));
        at = end + separator.size();
    }
    return out;
}

// "name=source" as {name, source}.
std::pair<std::string, std::string> sample(const std::string& text) {
    const std::size_t equals = text.find('=');
    return {text.substr(0, equals), expand(text.substr(equals + 1))};
}

// One situation, each list written "a, b"; samples as "name=source".
struct Row {
    const char* what;
    std::string saved;    // the kit as saved
    std::string now;      // the kit now
    std::string copies;   // file names in the sample folder
    std::string readable; // sources that can be read ("~" for the folder)
    std::string expected; // "copy A>B", "replace A>B", "rename A>B", "remove A", "moved A>B",
                          // "missing N", "not copied N"
    // What else holds, "; " between: "shared", "fresh", "first save" (the kit was never saved
    // into this folder), "edited: sources", "foreign: names", "named by others: names" (a name
    // as "name=source" with the source the other kit gives it).
    std::string more = "";
};

Strings planned(const Row& row) {
    std::map<std::string, Strings> more;
    for (const std::string& item : items(row.more, "; ")) {
        const std::size_t colon = item.find(": ");
        more[item.substr(0, colon)] =
            colon == std::string::npos ? Strings{} : items(item.substr(colon + 2));
        EXPECT_TRUE(std::set<std::string>(
                        {"shared", "fresh", "first save", "edited", "foreign", "named by others"})
                        .contains(item.substr(0, colon)))
            << item;
    }
    const bool shared = more.contains("shared");
    const bool fresh = more.contains("fresh");
    KitDocument kit;
    kit.savedSampleFolder = more.contains("first save") ? kSharedSampleFolder : "Rock";
    for (const std::string& text : items(row.saved)) {
        const auto [name, source] = sample(text);
        kit.savedSamples.push_back({name, source});
    }
    const Strings now = items(row.now);
    for (std::size_t i = 0; i < now.size(); ++i) {
        SampleZone zone;
        std::tie(zone.sampleName, zone.sourcePath) = sample(now[i]);
        zone.key = static_cast<int>(36 + i);
        kit.pads[i % kPadCount].append(zone);
    }
    for (const std::string& source : more["edited"]) {
        kit.changedSources.insert(expand(source));
    }
    SaveFolders folders;
    folders.sampleFolder = shared ? kFolder.parent_path() / kSharedSampleFolder : kFolder;
    if (shared) {
        kit.savedSampleFolder = kSharedSampleFolder;
    }
    folders.shared = shared;
    for (const std::string& copy : items(row.copies)) {
        folders.copies.insert(copy);
    }
    for (const std::string& source : items(row.readable)) {
        folders.readableSources.insert(expand(source));
    }
    for (const std::string& named : more["named by others"]) {
        // "name" or "name=the source the other kit gives it"
        const std::string name = named.substr(0, named.find('='));
        folders.namedByOtherKits.insert(foldCase(name));
        if (name != named) {
            folders.otherKitsSources[name].insert(named.substr(name.size() + 1));
        }
    }
    for (const std::string& foreign : more["foreign"]) {
        folders.foreignCopies.insert(foreign);
    }
    folders.refresh = fresh;
    folders.fresh = fresh;

    const SavePlan plan = planSave(kit, folders);
    Strings out;
    for (const FileOperation& op : plan.operations) {
        using Kind = FileOperation::Kind;
        switch (op.kind) {
        case Kind::Copy:
        case Kind::Replace:
            out.push_back((op.kind == Kind::Copy ? "copy " : "replace ") + shorten(op.from) + ">" +
                          op.to.filename().string());
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
    // What; the kit as saved; the kit now; the sample folder's files; the readable sources; the
    // plan; what else holds.
    const Row rows[] = {
        {"a new sample is copied", "", "k.wav=/lib/k.wav", "", "/lib/k.wav",
         "copy /lib/k.wav>k.wav"},
        {"a copy that is there from the same source stays", "k.wav=/lib/k.wav", "k.wav=/lib/k.wav",
         "k.wav", "/lib/k.wav", ""},
        {"a renamed sample renames its copy", "a.wav=/lib/a.wav", "b.wav=/lib/a.wav", "a.wav",
         "/lib/a.wav", "rename a.wav>b.wav"},
        {"a swap of two names renames both", "a.wav=/lib/a.wav, b.wav=/lib/b.wav",
         "b.wav=/lib/a.wav, a.wav=/lib/b.wav", "a.wav, b.wav", "/lib/a.wav, /lib/b.wav",
         "rename a.wav>b.wav, rename b.wav>a.wav"},
        {"a chain of names renames each", "a.wav=/lib/a.wav, b.wav=/lib/b.wav",
         "b.wav=/lib/a.wav, c.wav=/lib/b.wav", "a.wav, b.wav", "/lib/a.wav, /lib/b.wav",
         "rename a.wav>b.wav, rename b.wav>c.wav"},
        {"a change of letter case only is a rename", "Kick.wav=/lib/k.wav", "kick.wav=/lib/k.wav",
         "Kick.wav", "/lib/k.wav", "rename Kick.wav>kick.wav"},
        {"a name passed on between the kit's own copies: both move, sources follow",
         "snare.wav=~snare.wav, kick.wav=~kick.wav",
         "snare old.wav=~snare.wav, snare.wav=~kick.wav", "snare.wav, kick.wav",
         "~snare.wav, ~kick.wav",
         "moved ~kick.wav>~snare.wav, moved ~snare.wav>~snare old.wav, rename kick.wav>snare.wav, "
         "rename snare.wav>snare old.wav"},
        {"a name passed to another source replaces the copy", "s.wav=/lib/s.wav",
         "s.wav=/lib/k.wav", "s.wav", "/lib/s.wav, /lib/k.wav", "replace /lib/k.wav>s.wav"},
        {"... but not a copy another kit script names: it stays, and is named", "s.wav=/lib/s.wav",
         "s.wav=/lib/k.wav", "s.wav", "/lib/s.wav, /lib/k.wav", "not copied s.wav",
         "named by others: s.wav"},
        {"a copy whose source was edited is replaced", "k.wav=/lib/k.wav", "k.wav=/lib/k.wav",
         "k.wav", "/lib/k.wav", "replace /lib/k.wav>k.wav", "edited: /lib/k.wav"},
        {"... also where other kits name it from that source, not from another",
         "k.wav=/lib/k.wav, h.wav=/lib/h.wav", "k.wav=/lib/k.wav, h.wav=/lib/h.wav", "k.wav, h.wav",
         "/lib/k.wav, /lib/h.wav", "replace /lib/k.wav>k.wav",
         "named by others: k.wav=/lib/k.wav, h.wav=/lib/k.wav, h.wav=/lib/h.wav; edited: "
         "/lib/k.wav, /lib/h.wav"},
        {"... and where they play it as it is (no path lines), or play another letter case's file",
         "k.wav=/lib/k.wav", "k.wav=/lib/k.wav", "k.wav, K.wav", "/lib/k.wav",
         "replace /lib/k.wav>k.wav",
         "named by others: k.wav=, K.wav=/lib/other.wav; edited: /lib/k.wav"},
        {"a rename onto someone else's file replaces it; the old copy goes",
         "kick.wav=/lib/kick.wav", "kick 2.wav=/lib/kick.wav", "kick.wav, kick 2.wav",
         "/lib/kick.wav", "remove kick.wav, replace /lib/kick.wav>kick 2.wav",
         "foreign: kick 2.wav"},
        {"... in the shared folder too (where the old copy stays)", "k.wav=/lib/kick.wav",
         "kick.wav=/lib/kick.wav", "k.wav, kick.wav", "/lib/kick.wav",
         "replace /lib/kick.wav>kick.wav", "shared; foreign: kick.wav"},
        {"... but where another kit names it, it stays, and is named", "k.wav=/lib/kick.wav",
         "kick.wav=/lib/kick.wav", "k.wav, kick.wav", "/lib/kick.wav", "not copied kick.wav",
         "shared; named by others: kick.wav; foreign: kick.wav"},
        {"a file the kit never named, there before the kit's first save, stays", "",
         "kick.wav=/lib/kick.wav", "kick.wav", "/lib/kick.wav", "",
         "foreign: kick.wav; first save"},
        {"... but one left in a folder the kit saved into is made again (in any letter case)",
         "snare.wav=/lib/snare.wav", "snare.wav=/lib/snare.wav, Kick.wav=/lib/kick.wav",
         "snare.wav, kick.wav", "/lib/kick.wav, /lib/snare.wav", "replace /lib/kick.wav>kick.wav",
         "foreign: Kick.wav"},
        {"a sample the kit gave up: its copy goes", "k.wav=/lib/k.wav", "", "k.wav", "/lib/k.wav",
         "remove k.wav"},
        {"... but not when its source cannot be read, is the copy, or another kit names it",
         "k.wav=/lib/k.wav, own.wav=~own.wav, o.wav=/lib/o.wav", "", "k.wav, own.wav, o.wav",
         "~own.wav, /lib/o.wav", "", "named by others: o.wav"},
        {"the shared folder: a rename copies, nothing is removed",
         "a.wav=/lib/a.wav, gone.wav=/lib/gone.wav", "b.wav=/lib/a.wav", "a.wav, gone.wav",
         "/lib/a.wav, /lib/gone.wav", "copy /lib/a.wav>b.wav", "shared"},
        {"a rename whose source cannot be read copies from the old copy when it must stay",
         "a.wav=/lib/a.wav", "b.wav=/lib/a.wav", "a.wav", "", "copy ~a.wav>b.wav",
         "named by others: a.wav"},
        {"a fresh folder: the kit's copies made again; a file it did not make and a source stay",
         "k.wav=/lib/k.wav", "k.wav=/lib/k.wav, s.wav=~src.wav", "k.wav, src.wav, stray.wav",
         "/lib/k.wav, ~src.wav", "copy ~src.wav>s.wav, replace /lib/k.wav>k.wav", "fresh"},
        {"a sample without a readable source and without a copy is missing", "",
         "g.wav=/gone/g.wav", "", "", "missing g.wav"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(planned(row), items(row.expected)) << row.what;
    }
}

} // namespace
} // namespace padsmith
