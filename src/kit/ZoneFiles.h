// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitEdit.h"
#include "kit/KitScript.h"
#include "kit/ZoneCommands.h"
#include "platform/Trash.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace padsmith {

class KitHost;

// The file side of the zone list's commands: importing, renaming samples, moving source files
// to the trash, handing samples to an editor. Only the trash moves touch files (after stopping
// the preview, which may hold a file open); the sample folder changes at the next save.

struct SampleImport {
    KitEdit edit;
    // Files left out: the kit script could not name them (a name the rule refuses even when
    // cleaned, a path too long or in characters the code page lacks), or their name is
    // another sample's. The host was told which and why.
    std::vector<std::filesystem::path> notImported;
    // The samples started an empty pad, and another pad plays their drum's key: which key they
    // took instead, as a sentence for the user. Empty otherwise.
    std::string keyNote;
};

// Decoded copies among the files brought in (FLAC, Ogg), each with the file it was decoded from.
using DecodedFrom = std::map<std::filesystem::path, std::filesystem::path>;

// Brings the chosen files into the pad (see importZones). No file is touched: each zone names
// its file as it is, and its sample takes the file's own name (cleaned when the name rule
// refuses it, see importedSampleName); the copy is made at the next save. A decoded copy in
// `decodedFrom` plays as it is, but its original names the drum and is the file the user is
// told about.
SampleImport importSamples(const KitDocument& kit, int pad, int currentRow,
                           const std::vector<std::filesystem::path>& files,
                           ImportKeyRange& keyRange, const KitLocation& location, KitHost& host,
                           const DecodedFrom& decodedFrom = {});

struct SampleRename {
    KitEdit edit;      // empty when nothing changed
    std::string error; // for the user; empty on success
};

// Renames the sample of zone `row` of the pad to `name`, as typed, and every zone of the kit
// that plays the same source with it. No file is touched: the source keeps its name, and the
// copy in the sample folder is renamed at the next save (see kit/SavePlan.h). A name the rule
// refuses (sampleNameProblem, in the code page of `location`), or that another sample of the
// kit holds, is refused: `error` says why and nothing changes.
SampleRename renameSample(const KitDocument& kit, int pad, int row, const std::string& name,
                          const KitLocation& location);

// Shift+Delete answered Yes: the source files of deleted zones.
struct SourceDeletion {
    std::vector<TrashedFile> trashed;           // moved to the trash; an undo puts them back
    std::vector<std::filesystem::path> noTrash; // could not go to the trash; still there
    int kept = 0;                               // files that zones left in the kit still play
    int spared = 0; // files a kit script of the plug-in folder names, or in the shared folder
};

// Moves the source files of `removed` to the desktop's trash, except those that a zone of
// `kit` (as it is after the deletion) still plays, also through a link, those in the plug-in's
// shared folder, and those in a sample folder of the plug-in folder that a kit script there
// names (the kit's own script as last saved included: the plug-in plays them until it is saved
// again). Each file once; files that cannot go to the trash stay and are listed.
SourceDeletion trashSourceFiles(const KitDocument& kit, const std::vector<SampleZone>& removed,
                                const KitLocation& location, KitHost& host);
// Files that could not go to the trash, deleted for good after the user agreed. Returns the
// files that could not be deleted either (a read-only folder): they are still there.
std::vector<std::filesystem::path>
deleteFilesForGood(const std::vector<std::filesystem::path>& files, KitHost& host);
// Undo of a Shift+Delete: the files back from the trash, where their old place is free.
void restoreFromTrash(std::vector<TrashedFile>& files, KitHost& host);
// Redo: the files to the trash again.
void moveToTrashAgain(std::vector<TrashedFile>& files, KitHost& host);

// After a zone's sample was handed to an editor: the copy in the sample folder is out of date.
// The copy stays until the next save, which replaces it from the edited source in one step;
// until then the kit counts as modified.
void sampleEditedOutside(KitDocument& kit, const SampleZone& zone);

} // namespace padsmith
