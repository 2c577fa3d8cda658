// Paths, files and folder scans on std::filesystem. Everything here is quiet: failures come
// back as results, never as exceptions or messages.
#include "platform/Files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(__APPLE__)
#include <stdio.h> // renamex_np
#endif

namespace padsmith {

namespace fs = std::filesystem;

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

// What a folder listing says about an entry, without reading more than the listing where the
// file system tells the type.
enum class EntryKind { File, Folder, FolderLink, Other };

// The entries of one folder in name order, without dot-names. The names share one buffer, so a
// listing costs no allocation per entry: big sample libraries are walked often.
struct FolderListing {
    struct Item {
        std::size_t offset;
        std::size_t length;
        EntryKind kind;
    };
    std::string names;
    std::vector<Item> items;

    std::string_view name(const Item& item) const {
        return std::string_view(names).substr(item.offset, item.length);
    }
    void add(std::string_view name, EntryKind kind) {
        items.push_back({names.size(), name.size(), kind});
        names.append(name);
    }
    void sort() {
        std::sort(items.begin(), items.end(),
                  [this](const Item& a, const Item& b) { return name(a) < name(b); });
    }
};

#if defined(_WIN32)
EntryKind kindOf(const fs::directory_entry& entry) {
    std::error_code ec;
    if (entry.is_directory(ec)) {
        return entry.is_symlink(ec) ? EntryKind::FolderLink : EntryKind::Folder;
    }
    return entry.is_regular_file(ec) ? EntryKind::File : EntryKind::Other;
}

void listFolder(const fs::path& folder, FolderListing& listing, bool sorted = true) {
    listing.names.clear();
    listing.items.clear();
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.') {
            listing.add(name, kindOf(*it));
        }
    }
    if (sorted) {
        listing.sort();
    }
}
#else
EntryKind kindOf(const struct stat& info, bool isLink) {
    if (S_ISDIR(info.st_mode)) {
        return isLink ? EntryKind::FolderLink : EntryKind::Folder;
    }
    return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

void listFolder(const fs::path& folder, FolderListing& listing, bool sorted = true) {
    listing.names.clear();
    listing.items.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.empty() || name.front() == '.') {
            continue;
        }
        EntryKind kind = EntryKind::Other;
        struct stat info {};
        switch (entry->d_type) {
        case DT_REG:
            kind = EntryKind::File;
            break;
        case DT_DIR:
            kind = EntryKind::Folder;
            break;
        case DT_LNK:
            if (::fstatat(dirFd, entry->d_name, &info, 0) == 0) {
                kind = kindOf(info, true);
            }
            break;
        case DT_UNKNOWN:
            if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                if (S_ISLNK(info.st_mode)) {
                    kind = ::fstatat(dirFd, entry->d_name, &info, 0) == 0 ? kindOf(info, true)
                                                                          : EntryKind::Other;
                } else {
                    kind = kindOf(info, false);
                }
            }
            break;
        default:
            break;
        }
        listing.add(name, kind);
    }
    ::closedir(dir);
    if (sorted) {
        listing.sort();
    }
}
#endif

// Depth first: all entries of a folder go to `onEntry`, then its subfolders are walked, each in
// name order. Symbolic links to folders are listed but not followed, so a link loop cannot trap
// the walk. `onEntry` (folder, name, kind) returns false to stop everything. Without
// `sortEntries` the entries of one folder come in the file system's order; the folders are
// still walked in name order.
template <typename OnEntry>
void walkTree(const fs::path& root, OnEntry&& onEntry, bool sortEntries = true) {
    std::vector<fs::path> pending{root};
    FolderListing listing;
    std::vector<std::string_view> subfolders;
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        listFolder(folder, listing, sortEntries);
        subfolders.clear();
        for (const FolderListing::Item& item : listing.items) {
            const std::string_view name = listing.name(item);
            if (!onEntry(folder, name, item.kind)) {
                return;
            }
            if (item.kind == EntryKind::Folder) {
                subfolders.push_back(name);
            }
        }
        if (!sortEntries) {
            std::sort(subfolders.begin(), subfolders.end());
        }
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
            pending.push_back(folder / *it);
        }
    }
}

FoundEntry makeFound(const fs::path& folder, std::string_view name, EntryKind kind) {
    FoundEntry found;
    found.fullPath = folder / name;
    found.name = std::string(name);
    found.isFolder = kind == EntryKind::Folder || kind == EntryKind::FolderLink;
    if (kind == EntryKind::File) {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(found.fullPath, ec);
        found.size = ec ? 0 : size;
    }
    return found;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

std::int64_t fileSize(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return 0;
    }
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
    const std::string name = fileNameOf(source.string());
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
    if (!fs::is_regular_file(source, ec)) {
        error = ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    const bool targetExists = fs::exists(fs::symlink_status(target, ec));
    if (targetExists) {
        if (!overwrite) {
            error = std::make_error_code(std::errc::file_exists);
            return false;
        }
        if (fs::equivalent(source, target, ec)) {
            return true;
        }
    }
    // Copy beside the target first: a copy that breaks off never leaves a truncated file that
    // would later count as "already there".
    const fs::path temporary =
        temporarySibling(folderForSibling(target), target.filename().string());
    if (!fs::copy_file(source, temporary, fs::copy_options::none, error)) {
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
    if (!fs::copy_file(from, temporary, fs::copy_options::none, ec)) {
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

void scanFolderTree(const fs::path& root, std::string_view pattern, const ScanVisitor& visitor) {
    walkTree(root, [&](const fs::path& folder, std::string_view name, EntryKind kind) {
        return !wildcardMatch(pattern, name) || visitor(makeFound(folder, name, kind));
    });
}

void listFilesInTree(const fs::path& root, const TreeFileVisitor& visitor) {
    walkTree(
        root,
        [&](const fs::path& folder, std::string_view name, EntryKind kind) {
            if (kind == EntryKind::File) {
                visitor(folder, name);
            }
            return true;
        },
        false);
}

void scanFolder(const fs::path& folder, std::string_view pattern, const ScanVisitor& visitor) {
    FolderListing listing;
    listFolder(folder, listing);
    for (const FolderListing::Item& item : listing.items) {
        const std::string_view name = listing.name(item);
        if (wildcardMatch(pattern, name) && !visitor(makeFound(folder, name, item.kind))) {
            return;
        }
    }
}

bool wildcardMatch(std::string_view pattern, std::string_view name, bool ignoreCase) {
    auto same = [ignoreCase](char a, char b) {
        return ignoreCase ? lowerAscii(a) == lowerAscii(b) : a == b;
    };
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::string lowerCaseAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
    return lower;
}

} // namespace padsmith
