// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"

#include "platform/Files.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

// Path=... of a .trashinfo file: the absolute path, with every byte outside the unreserved
// characters and "/" written as %XX.
std::string escapedPath(const std::string& path) {
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || c == '/' || c == '-' || c == '_' ||
                           c == '.' || c == '~';
        if (plain) {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            out += hex;
        }
    }
    return out;
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Creates the record `info` only when no file of that name exists.
bool createInfoExclusively(const fs::path& info, const std::string& text) {
    std::FILE* file = std::fopen(info.string().c_str(), "wx");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::error_code ec;
        fs::remove(info, ec);
        return false;
    }
    return true;
}

// Moves `file` into the trash under `name` (or "name 2", "name 3", ... when taken), recorded
// as having been at `recorded` (the file's own place when empty).
std::optional<TrashedFile> trashAs(const fs::path& file, const std::string& name,
                                   std::error_code& error, const fs::path& recorded = {}) {
    const fs::path trash = trashFolder();
    if (trash.empty()) {
        error = std::make_error_code(std::errc::operation_not_supported);
        return std::nullopt;
    }
    if (!createFolderChain(trash / "files") || !createFolderChain(trash / "info")) {
        error = std::make_error_code(std::errc::permission_denied);
        return std::nullopt;
    }
    const fs::path original = fs::absolute(recorded.empty() ? file : recorded, error);
    const fs::path current = fs::absolute(file, error);
    if (error) {
        return std::nullopt;
    }
    const std::string record =
        "[Trash Info]\nPath=" + escapedPath(original.lexically_normal().generic_string()) +
        "\nDeletionDate=" + deletionDate() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = n == 1 ? name : name + " " + std::to_string(n);
        const TrashedFile trashed{original, trash / "files" / candidate,
                                  trash / "info" / (candidate + ".trashinfo")};
        std::error_code ec;
        if (fs::exists(fs::symlink_status(trashed.inTrash, ec)) ||
            !createInfoExclusively(trashed.info, record)) {
            if (!fs::exists(trash / "info", ec)) {
                break;
            }
            continue;
        }
        if (!movePath(current, trashed.inTrash, error, AcrossDevices::Refuse)) {
            fs::remove(trashed.info, ec);
            return std::nullopt;
        }
        return trashed;
    }
    if (!error) {
        error = std::make_error_code(std::errc::file_exists);
    }
    return std::nullopt;
}

} // namespace

fs::path trashFolder() {
#if defined(_WIN32) || defined(__APPLE__)
    return {};
#else
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return fs::path(data) / "Trash";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return fs::path(home) / ".local/share/Trash";
    }
    return {};
#endif
}

std::optional<TrashedFile> moveToTrashAs(const fs::path& file, const fs::path& original,
                                         std::error_code& error) {
    error.clear();
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(file, ec)) &&
        !fs::is_symlink(fs::symlink_status(file, ec))) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return std::nullopt;
    }
    return trashAs(file, original.filename().string(), error, original);
}

std::optional<TrashedFile> moveToTrash(const fs::path& file, std::error_code& error) {
    return moveToTrashAs(file, file, error);
}

bool restoreFromTrash(TrashedFile& trashed) {
    if (!trashed.held) {
        return true;
    }
    std::error_code ec;
    if (!movePath(trashed.inTrash, trashed.original, ec, AcrossDevices::Refuse)) {
        return false;
    }
    fs::remove(trashed.info, ec);
    trashed.held = false;
    return true;
}

bool moveToTrashAgain(TrashedFile& trashed) {
    std::error_code error;
    if (trashed.held) {
        return true;
    }
    const fs::file_status status = fs::symlink_status(trashed.original, error);
    if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
        return false; // gone meanwhile: nothing to put in the trash
    }
    std::optional<TrashedFile> again =
        trashAs(trashed.original, trashed.inTrash.filename().string(), error);
    if (!again) {
        return false;
    }
    trashed = *again;
    return true;
}

} // namespace padsmith
