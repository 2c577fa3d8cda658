// SPDX-License-Identifier: GPL-3.0-or-later
// Copying, moving and deleting files so that a target appears whole or not at all.
// Everything here is quiet: failures come back as results, never as exceptions or messages.
#include "platform/Files.h"
#include "platform/FilesInternal.h"

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

fs::path temporarySibling(const fs::path& folder, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::ostringstream text;
    // Kept short enough that the whole name fits the 255 bytes of a name on every system.
    text << '.' << name.substr(0, 120) << '.' << std::hex << seed << '-' << (ticks & 0xFFFFFFFULL)
         << '-' << counter.fetch_add(1) << ".part";
    return folder / text.str();
}

namespace files_internal {

fs::path folderForSibling(const fs::path& target) {
    fs::path folder = target.parent_path();
    return folder.empty() ? fs::path(".") : folder;
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

namespace {
FileFaultHook faultHook; // see setFileFaultHook
} // namespace

std::error_code injectedFault(FileStep step, const fs::path& from, const fs::path& to) {
    return faultHook ? faultHook(step, from, to) : std::error_code{};
}

} // namespace files_internal

using files_internal::folderForSibling;
using files_internal::injectedFault;
using files_internal::syncAndClose;

namespace {

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
// into a new file, and `from` is removed afterwards (or the copy again, when `from` stays).
// `error` tells the system's reason for a failure.
Placement renameNoReplace(const fs::path& from, const fs::path& to, std::error_code& error) {
    if (error = injectedFault(FileStep::Move, from, to); error) {
        return Placement::Failed;
    }
#if defined(_WIN32)
    // Without MOVEFILE_REPLACE_EXISTING an existing target makes the move fail.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED) != 0) {
        return Placement::Placed;
    }
    error = lastSystemError();
    const DWORD code = GetLastError();
    return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS ? Placement::Exists
                                                                     : Placement::Failed;
#else
    const auto failed = [&error] {
        error = lastSystemError();
        return Placement::Failed;
    };
    if (!withoutLinks) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return Placement::Placed;
        }
        if (errno == EEXIST) {
            error = std::make_error_code(std::errc::file_exists);
            return Placement::Exists;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            return failed();
        }
#elif defined(__APPLE__)
        if (renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) {
            return Placement::Placed;
        }
        if (errno == EEXIST) {
            error = std::make_error_code(std::errc::file_exists);
            return Placement::Exists;
        }
        if (errno != ENOTSUP && errno != EINVAL) {
            return failed();
        }
#endif
    }
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(from, ec))) {
        // Folders cannot be linked; this leaves a short window between the test and the rename.
        if (fs::exists(fs::symlink_status(to, ec))) {
            error = std::make_error_code(std::errc::file_exists);
            return Placement::Exists;
        }
        return ::rename(from.c_str(), to.c_str()) == 0 ? Placement::Placed : failed();
    }
    if (!withoutLinks) {
        // A hard link fails on an existing target.
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) != 0) {
                error = lastSystemError();
                ::unlink(to.c_str());
                return Placement::Failed;
            }
            return Placement::Placed;
        }
        if (errno == EEXIST) {
            error = std::make_error_code(std::errc::file_exists);
            return Placement::Exists;
        }
        if (errno == EXDEV) {
            return failed();
        }
    }
    if (!fs::is_regular_file(fs::symlink_status(from, ec))) {
        error = std::make_error_code(std::errc::operation_not_supported);
        return Placement::Failed;
    }
    const Placement placed = copyIntoNewFile(from, to);
    if (placed == Placement::Exists) {
        error = std::make_error_code(std::errc::file_exists);
    } else if (placed == Placement::Failed) {
        error = std::make_error_code(std::errc::io_error);
    } else if ((ec = injectedFault(FileStep::Remove, from, to)) || !fs::remove(from, ec) || ec) {
        // The original stays (a read-only folder): the file must not be in two places.
        error = ec ? ec : std::make_error_code(std::errc::permission_denied);
        fs::remove(to, ec);
        return Placement::Failed;
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

void setFileFaultHook(FileFaultHook hook) {
    files_internal::faultHook = std::move(hook);
}

std::error_code fileFaultFor(FileStep step, const fs::path& from, const fs::path& to) {
    return injectedFault(step, from, to);
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
    if (error = injectedFault(FileStep::Copy, source, target); error) {
        return false;
    }
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
        if (error = injectedFault(FileStep::Move, temporary, target); !error) {
            fs::rename(temporary, target, error);
        }
        placed = !error;
    } else {
        placed = renameNoReplace(temporary, target, error) == Placement::Placed;
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

bool movePath(const fs::path& from, const fs::path& to, std::error_code& error,
              AcrossDevices acrossDevices) {
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
        if (error = injectedFault(FileStep::Move, from, to); error) {
            return false;
        }
        fs::rename(from, to, error);
        return !error;
    }
    if (renameNoReplace(from, to, error) == Placement::Placed) {
        return true;
    }
    // Only another file system calls for a copy; any other failure (a read-only folder, no
    // permission) is the answer.
    if (error != std::errc::cross_device_link || acrossDevices == AcrossDevices::Refuse ||
        !fs::is_regular_file(fs::symlink_status(from, ec))) {
        return false;
    }
    // Copy the file next to the target, put it in place, then drop the original.
    const fs::path temporary = temporarySibling(folderForSibling(to), to.filename().string());
    if (!copyContents(from, temporary, ec)) {
        error = ec;
        fs::remove(temporary, ec);
        return false;
    }
    if (renameNoReplace(temporary, to, error) != Placement::Placed) {
        fs::remove(temporary, ec);
        return false;
    }
    if (ec = injectedFault(FileStep::Remove, from, to); ec || !fs::remove(from, ec) || ec) {
        // The original cannot go: the copy goes again, so the file is never in two places.
        error = ec ? ec : std::make_error_code(std::errc::permission_denied);
        fs::remove(to, ec);
        return false;
    }
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

} // namespace padsmith
