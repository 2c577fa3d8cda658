// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace padsmith {

// File operations worked out beforehand (a save's copies, renames and removals) and carried out
// in one go, each whole or not at all.
struct FileOperation {
    enum class Kind {
        Copy,    // `from` to `to`; an existing `to` stays as it is
        Replace, // `from` to `to`, replacing `to` atomically
        Rename,  // `from` to `to` in one folder; never onto an existing file
        Remove,  // the file `from`; never a folder
    };
    Kind kind = Kind::Copy;
    std::filesystem::path from;
    std::filesystem::path to;

    bool operator==(const FileOperation&) const = default;
};

struct FileOperationFailure {
    FileOperation operation;
    std::error_code error;
};

// Carries out `operations` in order, creating the target folders that are missing. A failed
// operation is skipped and reported; the others are still carried out.
std::vector<FileOperationFailure> carryOut(const std::vector<FileOperation>& operations);

// "copy /a/kick.wav to /Zarvo/Rock/kick.wav" for messages and the tool's output.
std::string describeOperation(const FileOperation& operation);

} // namespace padsmith
