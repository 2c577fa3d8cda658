#pragma once

#include "kit/KitEdit.h"
#include "kit/KitScript.h"
#include "kit/ZoneCommands.h"

#include <filesystem>
#include <string>
#include <vector>

namespace padsmith {

class KitHost;

// The file side of the zone list's commands: renaming imported files, renaming samples,
// deleting source files, handing samples to an editor. Every function stops the preview
// before it touches a file, because a previewed file may be held open.

// A file that a command moved, kept so that undoing the command can put it back.
struct FileMove {
    std::filesystem::path from;
    std::filesystem::path to;
};

// Undo: each moved file back under its old name, when that name is still free (last first).
void moveFilesBack(const std::vector<FileMove>& moves, KitHost& host);
// Redo: each file under its new name again, when that name is still free.
void moveFilesAgain(const std::vector<FileMove>& moves, KitHost& host);

struct SampleImport {
    KitEdit edit;
    // Files left out: the kit script could not name them (a name the rule refuses even when
    // cleaned, a path too long or in characters the code page lacks), or their name is
    // another sample's. The host was told which and why.
    std::vector<std::filesystem::path> notImported;
};

// Brings the chosen files into the pad (see importZones). No file is touched: each zone names
// its file as it is, and its sample takes the file's own name (cleaned when the name rule
// refuses it, see importedSampleName); the copy is made at the next save.
SampleImport importSamples(const KitDocument& kit, int pad, int currentRow,
                           const std::vector<std::filesystem::path>& files,
                           ImportKeyRange& keyRange, const KitLocation& location, KitHost& host);

struct SampleRename {
    KitEdit edit;                // empty when nothing changed
    std::vector<FileMove> moves; // the source file first, then the kit's copy
    std::string error;           // for the user; empty on success
};

// Renames the sample of zone `row` of the pad to `name`, as typed: its source file is moved in
// its folder, and every zone of the kit that plays that file follows it. With "Share samples"
// off the copy in the kit's own sample folder is renamed too; a shared copy stays, since other
// kits may name it (the next save copies the sample under its new name); for the same reason a
// source file that lies in the shared folder is copied under the new name, not moved. When the
// source file cannot be moved, `error` holds the system's reason and nothing is changed; a name
// that the code page of `location` cannot hold is refused the same way, with its character named.
SampleRename renameSample(const KitDocument& kit, int pad, int row, const std::string& name,
                          const KitLocation& location, KitHost& host);

struct SourceDeletion {
    int deleted = 0;
    int kept = 0; // files that zones left in the kit still play
};

// Deletes the source files of `removed` from disk (Shift+Del), except those that a zone of
// `kit` (as it is after the deletion) still plays. Each file is deleted once.
SourceDeletion deleteSourceFiles(const KitDocument& kit, const std::vector<SampleZone>& removed,
                                 KitHost& host);

// After a zone's sample was handed to an editor: the copy in the sample folder is out of date.
// The kit's own copy goes at once, as the next save copies the file again; a shared copy stays
// for the other kits and is replaced at the next save. Either way the next save replaces the
// copy it finds.
void sampleEditedOutside(KitDocument& kit, const SampleZone& zone, const KitLocation& location,
                         KitHost& host);

} // namespace padsmith
