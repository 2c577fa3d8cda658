// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A plug-in folder with several kits and a user's library, made from a seed, and the checks
// that hold after every command a user can give: no sample content is lost, every zone of every
// installed kit plays its source, and nothing outside the plug-in folder changes unless the user
// deleted it from disk.
#include "TempFolder.h"
#include "kit/KitScript.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace padsmith::test {

// What a world may hold and what may go wrong in it. Each can be left out of a run.
struct WorldFeatures {
    bool sharedFolder = true;       // kits saved with "Share samples" on, in "ZARVO SAMPLES"
    bool sameSampleFolder = true;   // a second script naming another kit's sample folder
    bool withoutPathLines = true;   // a kit whose sources are its copies
    bool linkedSources = true;      // sources that are links to a kit's own copies
    bool linkedSampleFolder = true; // a kit's sample folder that is a link
    bool readOnlySources = true;    // a library folder nothing may change (acted out)
    bool missingSources = true;  // path lines naming files that are gone; the copy is the only one
    bool strangersFiles = true;  // a file in a kit folder that no kit names
    bool faults = true;          // full disks and failing renames in the plug-in folder
    bool edits = true;           // sources changed by a wave editor, copies then out of date
    bool deletesFromDisk = true; // Shift+Delete: sources to the trash, their copies left alone
    bool saves = true;           // save, install, install --fresh, new --force, pad kits
    bool renameChains = true;    // a name passed on within one save: chains and swaps
    bool namesPassed = true;     // renames, and imports over rows, that give a name another source
};

// One file system entry as the checks see it: a file's bytes, or a link's target.
using Snapshot = std::map<std::filesystem::path, std::string>;

class World {
public:
    World(std::uint64_t seed, const WorldFeatures& features);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path plugin() const { return root_ / "Zarvo"; }
    std::filesystem::path library() const { return root_ / "lib"; }
    std::filesystem::path readOnly() const { return root_ / "lib/ro"; }
    const WorldFeatures& features() const { return features_; }
    std::mt19937_64& random() { return random_; }

    // The kit scripts in the plug-in folder, by file name.
    std::vector<std::string> scripts() const;
    // Where the plug-in folder's kit `script` keeps its samples, and whether they are shared.
    KitLocation locationOf(const std::string& script) const;
    // Every sample file of the library (not the read-only folder's links), for imports.
    std::vector<std::filesystem::path> librarySamples() const;
    // A library folder to make a kit from.
    std::vector<std::filesystem::path> libraryFolders() const;

    // Bytes no file has held before.
    std::string freshContent(const std::string& what);

    // Faults acted out from now on: the read-only folder always (when the world has one); full
    // disks and failing renames in the plug-in folder with `chance` (0 for none).
    void actOutFaults(double chance);

    Snapshot snapshot() const;
    // Prints the step and the plug-in folder after it (PADSMITH_SEQUENCE_TRACE).
    void trace(const std::string& step) const;

    // The checks after a step; empty when all hold, else what broke. `before` is the snapshot
    // taken before the step, `allowedOutside` the paths outside the plug-in folder the step may
    // change (files deleted from disk or put back, a source edited), `lossAllowed` whether the
    // step may drop a content (a source overwritten by its editor).
    std::string check(const Snapshot& before, const std::set<std::filesystem::path>& allowedOutside,
                      bool lossAllowed);
    // A source was edited while `openScript` was the open kit: that kit's next save makes its
    // copy again; every other kit's copy may keep the old sound (nothing tells those kits).
    void sourceEdited(const std::filesystem::path& source, const std::string& openScript);
    // The open kit was read again: the edits it knew of are forgotten with its state.
    void scriptOpened(const std::string& script);
    // The kit was saved whole.
    void scriptSaved(const std::string& script);

    // Below the plug-in folder, or below a folder a linked sample folder leads to.
    bool insidePlugin(const std::filesystem::path& path) const;

private:
    void makeLibrary();
    void makeKits();
    void writeKit(const std::string& script, const std::string& sampleFolder,
                  const std::vector<std::pair<std::string, std::string>>& samples, bool pathLines);

    TempFolder folder_;
    std::filesystem::path root_; // the folder as the kits name it, links resolved
    WorldFeatures features_;
    std::mt19937_64 random_;
    int contents_ = 0;
    std::set<std::string> required_; // every content that must still be held somewhere
    // Per script: sources whose copies may hold an older sound, and the edits the open kit knows.
    std::map<std::string, std::set<std::filesystem::path>> staleAllowed_;
    std::map<std::string, std::set<std::filesystem::path>> pending_;
    std::vector<std::filesystem::path> linkedFolders_; // where linked sample folders lead
    // Per script: what each zone played after the last step, by its source.
    std::map<std::string, std::map<std::filesystem::path, std::string>> played_;
};

} // namespace padsmith::test
