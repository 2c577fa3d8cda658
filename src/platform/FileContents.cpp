// SPDX-License-Identifier: GPL-3.0-or-later
// A file's bytes read or written whole: a write replaces the file at once or leaves it as it
// was, and a read never blocks on something that is no file.
#include "platform/Files.h"
#include "platform/FilesInternal.h"

#include <cstdio>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace padsmith {

namespace fs = std::filesystem;

using files_internal::folderForSibling;
using files_internal::injectedFault;
using files_internal::syncAndClose;

bool replaceFileContents(const fs::path& target, std::string_view bytes) {
    std::error_code ec;
    if (injectedFault(FileStep::Write, {}, target)) {
        return false;
    }
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
