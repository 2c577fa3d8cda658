// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"
#include "kit/KitDocument.h"
#include "platform/FilePlan.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace padsmith {

struct KitLocation;

// What a save finds in the folders, gathered before the plan is made (lookAtFolders).
struct SaveFolders {
    std::filesystem::path sampleFolder; // where the kit's copies are, plug-in folder included
    bool shared = false; // the shared folder: its copies are never renamed or removed
    // The file names in the sample folder, as they are on disk.
    std::set<std::string> copies;
    // The sources of the kit and of its saved state that can be read.
    std::set<std::string> readableSources;
    // Names (folded letter case) that other kit scripts of the plug-in folder with the same
    // sample folder name: their copies are never renamed or removed.
    std::set<std::string> namedByOtherKits;
    // ... and, by each name as those scripts write it, the sources they give it ("" where a
    // script gives none). An edited source's copy is made again where every kit that plays it
    // plays that source.
    std::map<std::string, std::set<std::string>> otherKitsSources;
    // Where copies of the samples may be found when a source cannot be read (the folder the
    // kit saved into before, or that of the kit a pad kit comes from); empty for none. By
    // sample name: the file there that holds its sound (takeCopiesFrom).
    std::filesystem::path fallbackFolder;
    std::map<std::string, std::string> fallbackCopies;
    // Copies the kit names now from a source whose content they do not hold, while the kit as
    // last saved did not name them: someone else's files under the kit's sample names.
    std::set<std::string> foreignCopies;
    // Make every copy the kit made again from its source (a save that starts the folder
    // afresh): those its saved state names and no other kit script names.
    bool refresh = false;
    // ... and remove the copies the kit made that it no longer names, even when their sources
    // cannot be read (the content net keeps their sound). Nothing else goes.
    bool fresh = false;
};

// A sample that does not end up in the sample folder: no readable source, no copy there yet.
struct MissingCopy {
    std::string sampleName;
    std::string sourcePath;
};

// A copy the save leaves as it is although it is not the kit's: why, for the user.
struct NotCopied {
    std::filesystem::path file;
    std::string reason;
};

struct SavePlan {
    std::vector<FileOperation> operations;
    // Sources that are the kit's own copies and move with a rename: old path to new path. The
    // zones take the new path before the script is written.
    std::map<std::string, std::string> movedSources;
    // Edited sources whose copies the plan replaces.
    std::set<std::string> replacedEdits;
    std::vector<MissingCopy> missing;
    std::vector<NotCopied> notCopied;
};

// The file operations of a save, from the kit as it was last read or saved (kit.savedSamples
// and kit.savedSampleFolder), the kit as it is now, and what lies in the folders:
// - each sample is copied from its source under its sample name, unless a copy is there;
// - a copy whose source was edited (kit.changedSources), or whose name the saved kit gave to
//   another source, is replaced from the source;
// - a copy whose sample was renamed is renamed, or copied when other kits name the old copy or
//   the folder is shared; a source that is the copy itself moves with it. The renames are
//   planned together: chains and swaps of names, and changes of letter case only, are renamed
//   (through temporary names when carried out);
// - a copy the kit no longer names is removed, except in the shared folder, when another kit
//   script names it, or when its source cannot be read or is the copy itself (also through a
//   link): then it is the only copy there is;
// - a file under a sample name that the kit did not name before and that does not hold the
//   sample's content is replaced (its content goes to the trash unless another file holds it),
//   or, where the kit may not touch it, named in `notCopied`;
// - a source that is a file the plan overwrites, removes or renames follows its content.
// Files are compared as files (sameFile), not by the text of their paths. Copies in another
// sample folder than the saved one are never renamed or removed.
SavePlan planSave(const KitDocument& kit, const SaveFolders& folders);

// Looks at the folders for planSave: the sample folder `sampleFolderName` of `location`'s
// plug-in folder, the sources, and the other kit scripts there (all but `scriptName`, the
// file the save replaces).
SaveFolders lookAtFolders(const KitDocument& kit, const KitLocation& location,
                          const std::string& sampleFolderName, const std::string& scriptName);

// The sample names (folded letter case) that the kit scripts in `pluginFolder` whose sample
// folder is `sampleFolderName` name, all but the script `scriptName`. `unknown` is set when a
// script there could be read only in part and may name any of them. `sources`, when given,
// takes the source paths the scripts give each name as written ("" for a zone without one).
std::set<std::string>
namesInKitScripts(const std::filesystem::path& pluginFolder, const std::string& sampleFolderName,
                  const std::string& scriptName, const CodePage& page, bool& unknown,
                  std::map<std::string, std::set<std::string>>* sources = nullptr);

// Lets the samples of `kit` whose sources cannot be read take their sound from `folder`, where
// `savedThere` (the samples as last saved into it) left copies: a sample takes the copy of the
// saved sample with its source, under whatever name that one had.
void takeCopiesFrom(SaveFolders& folders, const KitDocument& kit,
                    const std::filesystem::path& folder,
                    const std::vector<SavedSample>& savedThere);

// The zone's copy in `folder`, when its sample name names one there.
std::optional<std::filesystem::path> copyPath(const std::filesystem::path& folder,
                                              const std::string& sampleName);

} // namespace padsmith
