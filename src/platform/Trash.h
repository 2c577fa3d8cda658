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
    bool held = true;               // in the trash now; false once it was put back
};

// The trash folder of this user; empty where there is none (not a freedesktop system).
std::filesystem::path trashFolder();

// Moves a regular file to the trash. Nothing when it cannot be done (no trash on this system,
// the trash lies on another device than the file, the file's folder or the trash cannot be
// written): the file then stays where it is, nothing is added to the trash, and `error` tells
// why. A file is never copied into the trash. A name the trash holds already, with or without
// its record, is left alone: the file gets the next free name ("kick.wav 2").
std::optional<TrashedFile> moveToTrash(const std::filesystem::path& file, std::error_code& error);

// The same for a file that stands aside under a temporary name: in the trash it bears the name
// of `original`, the place it had.
std::optional<TrashedFile> moveToTrashAs(const std::filesystem::path& file,
                                         const std::filesystem::path& original,
                                         std::error_code& error);

// Puts a trashed file back where it was, when that place is free, and removes its record from
// the trash. False (and `trashed` still held) when the file is no longer in the trash or its old
// place is taken or cannot be written; nothing when it was put back already.
bool restoreFromTrash(TrashedFile& trashed);

// Moves a file put back by restoreFromTrash to the trash again under its earlier name there,
// when that is free (redo of a deletion); otherwise as moveToTrash does. A file that is still
// in the trash (its restore failed), or whose old place holds no file now, is left alone: each
// deletion has one entry in the trash at most. Updates `trashed`.
bool moveToTrashAgain(TrashedFile& trashed);

} // namespace padsmith
