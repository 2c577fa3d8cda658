// SPDX-License-Identifier: GPL-3.0-or-later
// Path pieces and the texts shown for paths and sizes. Everything here is quiet: failures come
// back as results, never as exceptions or messages.
#include "platform/Files.h"
#include "platform/FilesInternal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;
using files_internal::lowerAscii;

namespace {

// Native separators only: on POSIX a "\" is an ordinary character of a name.
bool isNativeSeparator(char c) {
#if defined(_WIN32)
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// The separators of `path`: the platform's own, and "\" as well in a path written on Windows.
bool separates(char c, std::string_view path) {
    return isNativeSeparator(c) || (c == '\\' && isWindowsPath(path));
}

std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (separates(path[i - 1], path)) {
            return i - 1;
        }
    }
    return std::string_view::npos;
}

bool isExistingFolder(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    return fs::is_directory(fs::path(path), ec);
}

// The text before the last separator. A separator at the very start is the root and stays.
std::string textBeforeLastSeparator(std::string_view path) {
    if (path.size() <= 1) {
        return std::string(path);
    }
    const std::size_t cut = lastSeparator(path);
    if (cut == std::string_view::npos) {
        return std::string(path);
    }
    if (cut == 0) {
        return std::string(path.substr(0, 1));
    }
    return std::string(path.substr(0, cut));
}

} // namespace

std::string fileNameOf(std::string_view path) {
    if (isExistingFolder(path)) {
        return {};
    }
    const std::size_t cut = lastSeparator(path);
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string baseNameOf(std::string_view path) {
    std::string name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

std::string folderOf(std::string_view path) {
    if (isExistingFolder(path)) {
        return std::string(path);
    }
    return textBeforeLastSeparator(path);
}

std::string parentOf(std::string_view path) {
    return textBeforeLastSeparator(path);
}

bool isPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    // A "\" is refused even where the file system allows it in a name: the plug-in joins
    // folder and name with one, so to it "a\b.wav" is a file in a subfolder.
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') {
            return false;
        }
#if defined(_WIN32)
        if (c == ':') {
            return false;
        }
#endif
    }
    return true;
}

bool isWindowsPath(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ||
           (path.find('\\') != std::string_view::npos && path.find('/') == std::string_view::npos);
}

fs::path joinPath(const fs::path& folder, std::string_view name) {
    if (name.empty()) {
        return folder;
    }
    // A name never replaces the folder, even when it looks like an absolute path.
    return folder / fs::path(name).relative_path();
}

fs::path documentsFolder() {
#if defined(_WIN32)
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    std::error_code ec;
    if (home == nullptr || *home == '\0') {
        return fs::current_path(ec);
    }
    const fs::path documents = fs::path(home) / "Documents";
    if (fs::is_directory(documents, ec)) {
        return documents;
    }
    return fs::path(home);
}

fs::path userCacheFolder() {
#if defined(_WIN32)
    const char* base = std::getenv("LOCALAPPDATA");
    if (base != nullptr && *base != '\0') {
        return fs::path(base) / "Mervane" / "Padsmith" / "cache";
    }
#else
    const char* base = std::getenv("XDG_CACHE_HOME");
    if (base != nullptr && *base == '/') {
        return fs::path(base) / "Mervane" / "Padsmith";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home) / ".cache" / "Mervane" / "Padsmith";
    }
#endif
    std::error_code ec;
    return fs::temp_directory_path(ec) / "padsmith-cache";
}

std::int64_t fileSize(const fs::path& path) {
    // One look at the file (a kit's size looks at every sample): the size of a folder or of
    // anything else but a regular file is an error, as a missing file is.
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<std::int64_t>(size);
}

std::string sizeText(std::int64_t bytes) {
    char text[64];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
        return text;
    }
    std::int64_t unit = 1024;
    const char* suffix = "KB";
    if (bytes >= 0x40000000) {
        unit = 0x40000000;
        suffix = "GB";
    } else if (bytes >= 0x100000) {
        unit = 0x100000;
        suffix = "MB";
    }
    const std::int64_t hundredths = (bytes * 1000 / unit + 5) / 10;
    const auto whole = static_cast<long long>(hundredths / 100);
    const auto fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
        std::snprintf(text, sizeof text, "%lld,%02d %s", whole, fraction, suffix);
    } else {
        std::snprintf(text, sizeof text, "%lld %s", whole, suffix);
    }
    return text;
}

std::string shortenPath(std::string_view path) {
    // Keep the root ("/" or "C:\"), then "...", then the last two folders and the name.
    const std::size_t rootLength = fs::path(path).root_path().native().size();
    int separators = 0;
    for (std::size_t i = path.size(); i > rootLength; --i) {
        if (isNativeSeparator(path[i - 1]) && ++separators == 3) {
            return std::string(path.substr(0, rootLength)) + "..." +
                   std::string(path.substr(i - 1));
        }
    }
    return std::string(path);
}

std::string lowerCaseAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
    return lower;
}

} // namespace padsmith
