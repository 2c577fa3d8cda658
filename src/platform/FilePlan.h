// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Trash.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace padsmith {

// File operations worked out beforehand (a save's copies, renames and removals) and carried out
// together: all of them or none.
struct FileOperation {
    enum class Kind {
        Copy,    // `from` to `to`; an existing `to` stays as it is
        Replace, // `from` to `to`, replacing `to`
        Rename,  // `from` to `to` in one folder; never onto a file that stays
        Remove,  // the file `from`; never a folder
    };
    Kind kind = Kind::Copy;
    std::filesystem::path from;
    std::filesystem::path to;
    // Files that may still hold the content this operation overwrites or removes (its source,
    // another copy). The other files of its folder are looked at as well.
    std::vector<std::filesystem::path> holders;

    bool operator==(const FileOperation&) const = default;
};

// A whole file written from memory (a kit script), put in place after every operation.
struct FileWrite {
    std::filesystem::path target;
    std::string bytes;
};

struct FileOperationFailure {
    FileOperation operation; // for a FileWrite: a Replace with an empty `from`
    std::error_code error;
};

// Files done so far and files in all; called between files, so a window can repaint.
using FileProgress = std::function<void(std::size_t done, std::size_t total)>;

struct FilePlanResult {
    bool done = false; // every operation and write in place
    // Copies whose target was already there when the time came: it stays as it was.
    std::vector<FileOperation> alreadyThere;
    // Content that was overwritten or removed and that no other file holds.
    std::vector<TrashedFile> trashed;
    // ... and that the trash could not take: kept beside its old place, under this name.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> keptAs;
    // The step that failed; everything is then as it was before.
    std::optional<FileOperationFailure> failure;
};

// Carries out `operations`, then `writes`, all or nothing:
// 1. every copy is made under a temporary name in its target folder, every write likewise;
// 2. renames go through temporary names (so chains, swaps and letter-case changes never
//    overwrite a file a later rename still needs), files to be replaced or removed step
//    aside under temporary names, then the copies and the writes are put in place, the
//    writes last and in their order;
// 3. a failure in 1 or 2 undoes every step taken, and names the file and the reason;
// 4. the files that stepped aside go for good when another file still holds their content
//    (a holder, or a file of the same folder); otherwise they go to the desktop's trash, and
//    when even that cannot be done they stay beside their old place under a new name.
FilePlanResult carryOutAll(const std::vector<FileOperation>& operations,
                           const std::vector<FileWrite>& writes = {},
                           const FileProgress& progress = {});

// Lets `file` go: removed when a file that is not itself holds the same bytes (one of
// `holders` or a file of its own folder), else moved to the trash as the file at `original`,
// else renamed beside `original` to a free name. The record of what became of it goes to
// `result`. For the commands that drop files outside a save.
void releaseFile(const std::filesystem::path& file, const std::filesystem::path& original,
                 const std::vector<std::filesystem::path>& holders, FilePlanResult& result);

// "copy /a/kick.wav to /Zarvo/Rock/kick.wav" for messages and the tool's output.
std::string describeOperation(const FileOperation& operation);

} // namespace padsmith
