// SPDX-License-Identifier: GPL-3.0-or-later
// Copying, moving, deleting and replacing files so that a target appears whole or not at all.
// Everything here is quiet: failures come back as results, never as exceptions or messages.
#include "platform/Files.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sstream>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <linux/fs.h> // FICLONE
#include <sys/ioctl.h>
#endif
#if defined(__APPLE__)
#include <stdio.h> // renamex_np
#endif

namespace padsmith {

namespace fs = std::filesystem;

namespace {

// A name for a temporary file beside the real one. It starts with "." so folder scans skip it.
fs::path temporarySibling(const fs::path& folder, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::ostringstream text;
    text << '.' << name << '.' << std::hex << seed << '-' << (ticks & 0xFFFFFFFULL) << '-'
         << counter.fetch_add(1) << ".part";
    return folder / text.str();
}

fs::path folderForSibling(const fs::path& target) {
    fs::path folder = target.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The reason the last system call failed.
std::error_code lastSystemError() {
#if defined(_WIN32)
    return {static_cast<int>(GetLastError()), std::system_category()};
#else
    return {errno, std::generic_category()};
#endif
}

#if defined(__linux__)
// Closes a descriptor at the end of a scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};
#endif

// Copies the bytes of `source` into the new file `target` (which must not exist), with the
// source's permissions. Where the file system offers it the copy shares the source's blocks (a
// reflink) or is made inside the kernel; one look at the source, no look at the target.
bool copyContents(const fs::path& source, const fs::path& target, std::error_code& error) {
#if defined(__linux__)
    const Descriptor in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat status {};
    if (in.fd < 0 || ::fstat(in.fd, &status) != 0) {
        error = lastSystemError();
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    const Descriptor out{
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777)};
    if (out.fd < 0) {
        error = lastSystemError();
        return false;
    }
    if (status.st_size == 0 || ::ioctl(out.fd, FICLONE, in.fd) == 0) {
        return true;
    }
    auto left = static_cast<std::uint64_t>(status.st_size);
    bool kernelCopies = true;
    while (left > 0 && kernelCopies) {
        const ssize_t copied = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, left, 0);
        if (copied > 0) {
            left -= static_cast<std::uint64_t>(copied);
        } else if (copied == 0) {
            break; // the file became shorter while copied
        } else if (errno == EINTR) {
            continue;
        } else if (left == static_cast<std::uint64_t>(status.st_size) &&
                   (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            kernelCopies = false; // this pair of file systems cannot: bytes through memory
        } else {
            error = lastSystemError();
            return false;
        }
    }
    if (!kernelCopies) {
        std::vector<char> buffer(std::size_t{256} * 1024);
        for (;;) {
            const ssize_t got = ::read(in.fd, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                error = lastSystemError();
                return false;
            }
            if (got == 0) {
                break;
            }
            for (ssize_t put = 0; put < got;) {
                const ssize_t wrote =
                    ::write(out.fd, buffer.data() + put, static_cast<std::size_t>(got - put));
                if (wrote < 0 && errno == EINTR) {
                    continue;
                }
                if (wrote <= 0) {
                    error = lastSystemError();
                    return false;
                }
                put += wrote;
            }
        }
    }
    return true;
#else
    return fs::copy_file(source, target, fs::copy_options::none, error);
#endif
}

bool syncAndClose(std::FILE* file) {
    bool ok = std::fflush(file) == 0;
#if defined(_WIN32)
    ok = ok && _commit(_fileno(file)) == 0;
#else
    ok = ok && ::fsync(fileno(file)) == 0;
#endif
    return std::fclose(file) == 0 && ok;
}

enum class Placement { Placed, Exists, Failed };

bool withoutLinks = false; // see simulateFileSystemWithoutLinks

// Writes a copy of the regular file `from` as the new file `to`; an existing `to` is never
// touched, and a copy that breaks off is removed again.
Placement copyIntoNewFile(const fs::path& from, const fs::path& to) {
    std::FILE* in = std::fopen(from.string().c_str(), "rb");
    if (in == nullptr) {
        return Placement::Failed;
    }
    std::FILE* out = std::fopen(to.string().c_str(), "wbx");
    if (out == nullptr) {
        const int error = errno;
        std::fclose(in);
        return error == EEXIST ? Placement::Exists : Placement::Failed;
    }
    char buffer[65536];
    bool ok = true;
    std::size_t got = 0;
    while (ok && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        ok = std::fwrite(buffer, 1, got, out) == got;
    }
    ok = ok && std::ferror(in) == 0;
    std::fclose(in);
    ok = syncAndClose(out) && ok;
    if (!ok) {
        std::error_code ec;
        fs::remove(to, ec);
        return Placement::Failed;
    }
    return Placement::Placed;
}

// Renames `from` to `to`, never replacing an existing `to`: POSIX rename() would replace it
// silently. File systems without such a rename and without hard links get a copy written
// into a new file, and `from` is removed afterwards.
Placement renameNoReplace(const fs::path& from, const fs::path& to) {
#if defined(_WIN32)
    // Without MOVEFILE_REPLACE_EXISTING an existing target makes the move fail.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED) != 0) {
        return Placement::Placed;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Placement::Exists
                                                                       : Placement::Failed;
#else
    if (!withoutLinks) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return Placement::Placed;
        }
        if (errno == EEXIST) {
            return Placement::Exists;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            return Placement::Failed;
        }
#elif defined(__APPLE__)
        if (renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) {
            return Placement::Placed;
        }
        if (errno == EEXIST) {
            return Placement::Exists;
        }
        if (errno != ENOTSUP && errno != EINVAL) {
            return Placement::Failed;
        }
#endif
    }
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(from, ec))) {
        // Folders cannot be linked; this leaves a short window between the test and the rename.
        if (fs::exists(fs::symlink_status(to, ec))) {
            return Placement::Exists;
        }
        return ::rename(from.c_str(), to.c_str()) == 0 ? Placement::Placed : Placement::Failed;
    }
    if (!withoutLinks) {
        // A hard link fails on an existing target.
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) != 0) {
                ::unlink(to.c_str());
                return Placement::Failed;
            }
            return Placement::Placed;
        }
        if (errno == EEXIST) {
            return Placement::Exists;
        }
    }
    if (!fs::is_regular_file(fs::symlink_status(from, ec))) {
        return Placement::Failed;
    }
    const Placement placed = copyIntoNewFile(from, to);
    if (placed == Placement::Placed) {
        fs::remove(from, ec);
    }
    return placed;
#endif
}

} // namespace

bool createFolderChain(const fs::path& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return true;
    }
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

void simulateFileSystemWithoutLinks(bool simulate) {
    withoutLinks = simulate;
}

CopyResult copyFileToFolder(const fs::path& source, const fs::path& folder, bool overwrite) {
    return copyFileAs(source, folder, fileNameOf(source.string()), overwrite);
}

CopyResult copyFileAs(const fs::path& source, const fs::path& folder, std::string_view name,
                      bool overwrite) {
    if (!isPlainName(name)) {
        return CopyResult::Failed;
    }
    std::error_code ec;
    const fs::path target = joinPath(folder, name);
    if (!overwrite && fs::exists(fs::symlink_status(target, ec))) {
        return CopyResult::AlreadyThere;
    }
    if (!fs::is_regular_file(source, ec) || !createFolderChain(folder)) {
        return CopyResult::Failed;
    }
    if (copyFile(source, target, overwrite, ec)) {
        return CopyResult::Copied;
    }
    // Made by someone else meanwhile: still never replaced.
    return ec == std::errc::file_exists ? CopyResult::AlreadyThere : CopyResult::Failed;
}

bool copyFile(const fs::path& source, const fs::path& target, bool overwrite,
              std::error_code& error) {
    error.clear();
    std::error_code ec;
    // Replacing a file with itself would empty it; without `overwrite` the rename below refuses
    // an existing target, so nothing needs looking at first.
    if (overwrite && fs::exists(fs::symlink_status(target, ec)) &&
        fs::equivalent(source, target, ec)) {
        return true;
    }
    // Copy beside the target first: a copy that breaks off never leaves a truncated file that
    // would later count as "already there".
    const fs::path temporary =
        temporarySibling(folderForSibling(target), target.filename().string());
    if (!copyContents(source, temporary, error)) {
        fs::remove(temporary, ec);
        return false;
    }
    bool placed = false;
    if (overwrite) {
        fs::rename(temporary, target, error);
        placed = !error;
    } else {
        switch (renameNoReplace(temporary, target)) {
        case Placement::Placed:
            placed = true;
            break;
        case Placement::Exists:
            error = std::make_error_code(std::errc::file_exists);
            break;
        case Placement::Failed:
            error = lastSystemError();
            break;
        }
    }
    if (!placed) {
        fs::remove(temporary, ec);
    }
    return placed;
}

bool movePath(const fs::path& from, const fs::path& to) {
    std::error_code error;
    return movePath(from, to, error);
}

bool movePath(const fs::path& from, const fs::path& to, std::error_code& error) {
    error.clear();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(from, ec))) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    if (fs::exists(fs::symlink_status(to, ec))) {
        // Where names ignore letter case, "Kick.wav" exists as soon as "kick.wav" does: a
        // rename that changes only the case is still a rename of the one file.
        const bool caseOnly = from != to &&
                              lowerCaseAscii(from.string()) == lowerCaseAscii(to.string()) &&
                              fs::equivalent(from, to, ec);
        if (!caseOnly) {
            error = std::make_error_code(std::errc::file_exists);
            return false;
        }
        fs::rename(from, to, error);
        return !error;
    }
    if (renameNoReplace(from, to) == Placement::Placed) {
        return true;
    }
    error = lastSystemError();
    // Another file system: copy a file next to the target, put it in place, then drop the source.
    if (!fs::is_regular_file(fs::symlink_status(from, ec))) {
        return false;
    }
    const fs::path temporary = temporarySibling(folderForSibling(to), to.filename().string());
    if (!copyContents(from, temporary, ec)) {
        error = ec;
        fs::remove(temporary, ec);
        return false;
    }
    if (renameNoReplace(temporary, to) != Placement::Placed) {
        error = lastSystemError();
        fs::remove(temporary, ec);
        return false;
    }
    fs::remove(from, ec);
    error.clear();
    return true;
}

bool deletePath(const fs::path& path) {
    std::error_code ec;
    if (path.empty() || !fs::exists(fs::symlink_status(path, ec))) {
        return false;
    }
    fs::remove_all(path, ec);
    return !ec && !fs::exists(fs::symlink_status(path, ec));
}

bool replaceFileContents(const fs::path& target, std::string_view bytes) {
    std::error_code ec;
    fs::path real = target;
    // Write through a symbolic link to the file it names, as an editor saving in place would.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            real = resolved;
        }
    }
    if (fs::is_directory(real, ec)) {
        return false;
    }
    const fs::path temporary = temporarySibling(folderForSibling(real), real.filename().string());
    std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!syncAndClose(file) || !written) {
        fs::remove(temporary, ec);
        return false;
    }
    const auto status = fs::status(real, ec);
    if (!ec && fs::exists(status)) {
        fs::permissions(temporary, status.permissions(), ec);
    }
    fs::rename(temporary, real, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

bool readWholeFile(const fs::path& path, std::string& bytes, std::uintmax_t limit) {
#if defined(_WIN32)
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
#else
    // Opened without waiting, so a pipe cannot block before it is found to be no file.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > limit) {
        ::close(descriptor);
        return false;
    }
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (file == nullptr) {
        ::close(descriptor);
        return false;
    }
#endif
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    bool tooBig = false;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        // A file that grows while it is read still ends at the limit.
        if (text.size() + got > limit) {
            tooBig = true;
            break;
        }
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0 || tooBig;
    std::fclose(file);
    if (failed) {
        return false;
    }
    bytes = std::move(text);
    return true;
}

} // namespace padsmith
