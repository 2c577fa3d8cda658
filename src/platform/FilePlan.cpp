// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FilePlan.h"

#include "platform/Files.h"

#include <map>
#include <set>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool isFileOrLink(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    return fs::is_regular_file(status) || fs::is_symlink(status);
}

// A file that stepped aside during the save; what becomes of it is decided at the end.
struct Aside {
    fs::path temporary;
    fs::path original;
    std::vector<fs::path> holders;
    bool ownWrite = false; // an older version of a file this plan writes: goes for good
};

// The steps taken so far, so that a failure can take them back in reverse order.
class Journal {
public:
    bool move(const fs::path& from, const fs::path& to, std::error_code& error) {
        if (!movePath(from, to, error)) {
            return false;
        }
        moves_.emplace_back(from, to);
        return true;
    }
    bool replace(const fs::path& from, const fs::path& to, std::error_code& error) {
        if (error = fileFaultFor(FileStep::Place, from, to); error) {
            return false;
        }
        fs::rename(from, to, error);
        if (error) {
            return false;
        }
        moves_.emplace_back(from, to);
        return true;
    }
    void undo() {
        for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
            std::error_code ec;
            fs::rename(it->second, it->first, ec);
        }
        moves_.clear();
    }

private:
    std::vector<std::pair<fs::path, fs::path>> moves_;
};

// A free name beside `original` for content that even the trash could not take:
// "kick (replaced).wav", "kick (replaced 2).wav", ...
fs::path keptName(const fs::path& original) {
    const std::string stem = original.stem().string();
    const std::string extension = original.extension().string();
    for (int n = 1; n < 1000; ++n) {
        const std::string suffix = n == 1 ? " (replaced)" : " (replaced " + std::to_string(n) + ")";
        const fs::path candidate = original.parent_path() / (stem + suffix + extension);
        if (!present(candidate)) {
            return candidate;
        }
    }
    return temporarySibling(original.parent_path(), original.filename().string());
}

// The folder a file lies in; "." for a bare relative name.
fs::path folderOfFile(const fs::path& file) {
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool heldElsewhere(const fs::path& file, const std::vector<fs::path>& holders) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        return false;
    }
    const auto holds = [&](const fs::path& candidate) {
        std::error_code error;
        return fs::is_regular_file(candidate, error) && !sameFile(candidate, file) &&
               fs::file_size(candidate, error) == size && !error && sameContent(candidate, file);
    };
    for (const fs::path& holder : holders) {
        if (holds(holder)) {
            return true;
        }
    }
    bool held = false;
    scanFolder(folderOfFile(file), "*", [&](const FoundEntry& entry) {
        held = !entry.isFolder && entry.size == size && holds(entry.fullPath);
        return !held;
    });
    return held;
}

} // namespace

void releaseFile(const fs::path& file, const fs::path& original,
                 const std::vector<fs::path>& holders, FilePlanResult& result) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(file, ec)) && !heldElsewhere(file, holders)) {
        if (std::optional<TrashedFile> trashed = moveToTrashAs(file, original, ec)) {
            result.trashed.push_back(*trashed);
            return;
        }
        const fs::path kept = keptName(original);
        if (movePath(file, kept, ec)) {
            result.keptAs.emplace_back(original, kept);
        }
        return;
    }
    // A link holds no content of its own; a file held elsewhere costs nothing.
    fs::remove(file, ec);
}

FilePlanResult carryOutAll(const std::vector<FileOperation>& operations,
                           const std::vector<FileWrite>& writes, const FileProgress& progress) {
    using Kind = FileOperation::Kind;
    FilePlanResult result;
    const std::size_t total = operations.size() + writes.size();
    std::size_t done = 0;
    const auto step = [&] {
        ++done;
        if (progress) {
            progress(done, total);
        }
    };

    std::vector<fs::path> staged(operations.size()); // the made copies, by operation
    std::vector<fs::path> writeStaged(writes.size());
    std::vector<fs::path> createdFolders;
    const auto dropStaged = [&](bool folders) {
        std::error_code ec;
        for (const fs::path& path : staged) {
            if (!path.empty()) {
                fs::remove(path, ec);
            }
        }
        for (const fs::path& path : writeStaged) {
            if (!path.empty()) {
                fs::remove(path, ec);
            }
        }
        for (auto it = createdFolders.rbegin(); folders && it != createdFolders.rend(); ++it) {
            fs::remove(*it, ec); // only while empty
        }
    };
    const auto fail = [&](const FileOperation& operation, std::error_code error) {
        dropStaged(true);
        result.failure = FileOperationFailure{operation, error};
        return result;
    };
    const auto makeFolder = [&](const fs::path& folder, std::error_code& error) {
        if (folder.empty()) {
            return true; // a relative file name: the current folder
        }
        std::vector<fs::path> missing;
        for (fs::path at = folder; !at.empty() && !present(at); at = at.parent_path()) {
            missing.push_back(at);
            if (at == at.parent_path()) {
                break;
            }
        }
        if (!createFolderChain(folder)) {
            error = std::make_error_code(std::errc::permission_denied);
            return false;
        }
        createdFolders.insert(createdFolders.end(), missing.rbegin(), missing.rend());
        return true;
    };

    // A copy may go where a rename takes a file away.
    const auto vacated = [&operations](const fs::path& target) {
        for (const FileOperation& op : operations) {
            if (op.kind == Kind::Rename && op.from == target) {
                return true;
            }
        }
        return false;
    };

    // 1. Copies and writes under temporary names: nothing the plug-in reads changes yet.
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const FileOperation& op = operations[i];
        if (op.kind != Kind::Copy && op.kind != Kind::Replace) {
            continue;
        }
        if (op.kind == Kind::Copy && present(op.to) && !vacated(op.to)) {
            step(); // dealt with when the copies are put in place
            continue;
        }
        std::error_code error;
        if (!makeFolder(folderOfFile(op.to), error)) {
            return fail(op, error);
        }
        const fs::path temporary = temporarySibling(folderOfFile(op.to), op.to.filename().string());
        if ((error = fileFaultFor(FileStep::Copy, op.from, op.to)) ||
            !copyFile(op.from, temporary, false, error)) {
            return fail(op, error);
        }
        staged[i] = temporary;
        step();
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const FileWrite& write = writes[i];
        const FileOperation asOperation{Kind::Replace, {}, write.target, {}};
        std::error_code error;
        if (!makeFolder(folderOfFile(write.target), error)) {
            return fail(asOperation, error);
        }
        if (std::error_code ec; fs::is_directory(fs::symlink_status(write.target, ec))) {
            return fail(asOperation, std::make_error_code(std::errc::is_a_directory));
        }
        const fs::path temporary =
            temporarySibling(folderOfFile(write.target), write.target.filename().string());
        if ((error = fileFaultFor(FileStep::Write, {}, write.target))) {
            return fail(asOperation, error);
        }
        if (!replaceFileContents(temporary, write.bytes)) {
            // The system's reason is gone by now; the usual one for a write that breaks off.
            std::error_code ec;
            fs::remove(temporary, ec);
            const fs::space_info space = fs::space(folderOfFile(write.target), ec);
            error = !ec && space.available < write.bytes.size() + 4096
                        ? std::make_error_code(std::errc::no_space_on_device)
                        : std::make_error_code(std::errc::io_error);
            return fail(asOperation, error);
        }
        writeStaged[i] = temporary;
        step();
    }

    // 2. Into place, each step recorded so that it can be taken back.
    Journal journal;
    std::vector<Aside> aside;
    std::vector<fs::path> renaming(operations.size());
    const auto undoAll = [&](const FileOperation& op, std::error_code error) {
        journal.undo();
        return fail(op, error);
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const FileOperation& op = operations[i];
        if (op.kind != Kind::Rename) {
            continue;
        }
        const fs::path temporary =
            temporarySibling(folderOfFile(op.from), op.from.filename().string());
        std::error_code error;
        if (!journal.move(op.from, temporary, error)) {
            return undoAll(op, error);
        }
        renaming[i] = temporary;
    }
    for (const FileOperation& op : operations) {
        const fs::path& leaving = op.kind == Kind::Remove ? op.from : op.to;
        if ((op.kind != Kind::Replace && op.kind != Kind::Remove) || !isFileOrLink(leaving)) {
            continue; // gone already: nothing to keep
        }
        const fs::path temporary =
            temporarySibling(folderOfFile(leaving), leaving.filename().string());
        std::error_code error;
        if (!journal.move(leaving, temporary, error)) {
            return undoAll(op, error);
        }
        std::vector<fs::path> holders = op.holders;
        if (op.kind == Kind::Replace) {
            holders.push_back(op.from);
        }
        aside.push_back({temporary, leaving, std::move(holders), false});
    }
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const FileOperation& op = operations[i];
        if (op.kind == Kind::Rename) {
            std::error_code error;
            if (!journal.move(renaming[i], op.to, error)) {
                return undoAll(op, error);
            }
            step();
        }
    }
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const FileOperation& op = operations[i];
        if (op.kind == Kind::Remove) {
            step();
            continue;
        }
        if (op.kind != Kind::Copy && op.kind != Kind::Replace) {
            continue;
        }
        if (staged[i].empty()) {
            result.alreadyThere.push_back(op);
            continue;
        }
        std::error_code error;
        if ((error = fileFaultFor(FileStep::Place, staged[i], op.to)) ||
            !journal.move(staged[i], op.to, error)) {
            if (op.kind == Kind::Copy && error == std::errc::file_exists) {
                result.alreadyThere.push_back(op); // made by someone else meanwhile
                continue;
            }
            return undoAll(op, error);
        }
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const FileWrite& write = writes[i];
        const FileOperation asOperation{Kind::Replace, {}, write.target, {}};
        std::error_code error;
        if (isFileOrLink(write.target)) {
            const fs::path temporary =
                temporarySibling(folderOfFile(write.target), write.target.filename().string());
            if (!journal.move(write.target, temporary, error)) {
                return undoAll(asOperation, error);
            }
            aside.push_back({temporary, write.target, {}, true});
        }
        if (!journal.replace(writeStaged[i], write.target, error)) {
            return undoAll(asOperation, error);
        }
    }

    // 3. Everything is in place: what stepped aside goes, but no content is lost.
    for (const Aside& file : aside) {
        if (file.ownWrite) {
            std::error_code ec;
            fs::remove(file.temporary, ec);
        } else {
            releaseFile(file.temporary, file.original, file.holders, result);
        }
    }
    dropStaged(false);
    result.done = true;
    return result;
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
