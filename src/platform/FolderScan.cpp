// SPDX-License-Identifier: GPL-3.0-or-later
// Folder listings, tree scans and wildcard names. Everything here is quiet: failures come back
// as results, never as exceptions or messages.
#include "platform/Files.h"
#include "platform/FilesInternal.h"

#include <algorithm>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace padsmith {

namespace fs = std::filesystem;
using files_internal::lowerAscii;

namespace {

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

} // namespace

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

} // namespace padsmith
