// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

namespace padsmith {

// The desktop's trash (the freedesktop.org trash of Linux desktops: $XDG_DATA_HOME/Trash).
// A file moved there shows in the file manager's trash with its old place, and can be put back
// by the program or by the user.

struct TrashedFile {
    std::filesystem::path original; // where the file was
    std::filesystem::path inTrash;  // where it is now
    std::filesystem::path info;     // the trash's record of it
};

// The trash folder of this user; empty where there is none (not a freedesktop system).
std::filesystem::path trashFolder();

// Moves a regular file to the trash. Nothing when it cannot be done (no trash on this system,
// the trash lies on another device than the file, or it cannot be written): the file then stays
// where it is, and `error` tells why.
std::optional<TrashedFile> moveToTrash(const std::filesystem::path& file, std::error_code& error);

// The same for a file that stands aside under a temporary name: in the trash it bears the name
// of `original`, the place it had.
std::optional<TrashedFile> moveToTrashAs(const std::filesystem::path& file,
                                         const std::filesystem::path& original,
                                         std::error_code& error);

// Puts a trashed file back where it was, when that place is free, and removes its record from
// the trash. False when the file is no longer in the trash or its old place is taken.
bool restoreFromTrash(const TrashedFile& trashed);

// Moves a restored file to the trash again under its earlier name there, when that is free
// (redo of a deletion); otherwise as moveToTrash does. Updates `trashed`.
bool moveToTrashAgain(TrashedFile& trashed);

} // namespace padsmith
