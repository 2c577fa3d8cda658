// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FilePlan.h"

#include "platform/Files.h"

namespace padsmith {

namespace fs = std::filesystem;

namespace {

bool removeRegularFile(const fs::path& path, std::error_code& error) {
    const fs::file_status status = fs::symlink_status(path, error);
    if (error) {
        return false;
    }
    if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    return fs::remove(path, error);
}

bool carryOutOne(const FileOperation& operation, std::error_code& error) {
    using Kind = FileOperation::Kind;
    if (operation.kind == Kind::Remove) {
        return removeRegularFile(operation.from, error);
    }
    if (!createFolderChain(operation.to.parent_path())) {
        error = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    switch (operation.kind) {
    case Kind::Copy:
        if (copyFile(operation.from, operation.to, false, error)) {
            return true;
        }
        if (error == std::errc::file_exists) {
            error.clear();
            return true;
        }
        return false;
    case Kind::Replace:
        return copyFile(operation.from, operation.to, true, error);
    case Kind::Rename:
        return movePath(operation.from, operation.to, error);
    case Kind::Remove:
        break;
    }
    return false;
}

} // namespace

std::vector<FileOperationFailure> carryOut(const std::vector<FileOperation>& operations) {
    std::vector<FileOperationFailure> failures;
    for (const FileOperation& operation : operations) {
        std::error_code error;
        if (!carryOutOne(operation, error)) {
            failures.push_back({operation, error});
        }
    }
    return failures;
}

std::string describeOperation(const FileOperation& operation) {
    switch (operation.kind) {
    case FileOperation::Kind::Copy:
        return "copy " + operation.from.string() + " to " + operation.to.string();
    case FileOperation::Kind::Replace:
        return "replace " + operation.to.string() + " from " + operation.from.string();
    case FileOperation::Kind::Rename:
        return "rename " + operation.from.string() + " to " + operation.to.filename().string();
    case FileOperation::Kind::Remove:
        return "remove " + operation.from.string();
    }
    return {};
}

} // namespace padsmith
