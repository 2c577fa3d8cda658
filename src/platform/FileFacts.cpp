// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing files as files, and saying in words why a file operation failed.
#include "platform/Files.h"

#include <cerrno>
#include <fstream>

namespace padsmith {

namespace fs = std::filesystem;

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) {
        return true;
    }
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        return false; // two files that exist and are not one
    }
    const fs::path first = fs::weakly_canonical(a, ec);
    if (ec) {
        return a.lexically_normal() == b.lexically_normal();
    }
    const fs::path second = fs::weakly_canonical(b, ec);
    return ec ? a.lexically_normal() == b.lexically_normal() : first == second;
}

bool sameContent(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) {
        return true;
    }
    if (!fs::is_regular_file(a, error) || !fs::is_regular_file(b, error)) {
        return false;
    }
    const std::uintmax_t size = fs::file_size(a, error);
    if (error || fs::file_size(b, error) != size || error) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    if (!first || !second) {
        return false;
    }
    constexpr std::size_t kBlock = 1 << 16;
    std::string one(kBlock, '\0');
    std::string two(kBlock, '\0');
    while (first && second) {
        first.read(one.data(), kBlock);
        second.read(two.data(), kBlock);
        if (first.gcount() != second.gcount() ||
            one.compare(0, static_cast<std::size_t>(first.gcount()), two, 0,
                        static_cast<std::size_t>(second.gcount())) != 0) {
            return false;
        }
    }
    return first.eof() && second.eof();
}

std::string reasonInWords(const std::error_code& error) {
    if (!error) {
        return "an unknown reason";
    }
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        switch (error.value()) {
        case ENOSPC:
            return "no space left on the device";
#if defined(EDQUOT)
        case EDQUOT:
            return "the disk quota is used up";
#endif
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "the device is read-only";
        case EEXIST:
            return "a file of that name is already there";
        case ENOENT:
            return "the file does not exist";
        case ENAMETOOLONG:
            return "the name is too long for the file system";
        case EISDIR:
            return "it is a folder";
        case ENOTDIR:
            return "a part of the path is not a folder";
        case EIO:
            return "the device reported a read or write error";
        case EXDEV:
            return "it lies on another device";
        case EBUSY:
            return "the file is in use";
        default:
            break;
        }
    }
    std::string text = error.message();
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

} // namespace padsmith
