// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace padsmith {

// Path pieces. The platform's separators split a path, and so does "\" in a path written on
// Windows (see isWindowsPath); elsewhere a "\" is part of a name, as Linux allows.
std::string fileNameOf(std::string_view path); // empty for an existing folder
std::string baseNameOf(std::string_view path); // file name without its last extension
std::string folderOf(std::string_view path);   // the folder itself for an existing folder
std::string parentOf(std::string_view path);   // text before the last separator

// The one way to join a folder and a name. The name is always put below the folder, even when
// it looks like an absolute path.
std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view name);

// A single name that stays inside the folder it is joined to: not empty, not "." or "..", no
// separator ("/" or "\"). Names read from files must pass this before they name a file to
// delete or a copy target.
bool isPlainName(std::string_view name);

// A path written on Windows: it starts with a drive letter ("C:") or holds "\" but no "/".
bool isWindowsPath(std::string_view path);

// The user's documents folder.
std::filesystem::path documentsFolder();
// The program's own per-user cache folder (which need not exist yet): files it can make again,
// such as samples decoded from formats the plug-in cannot read.
std::filesystem::path userCacheFolder();

std::int64_t fileSize(const std::filesystem::path& path); // 0 when it cannot be read
std::string sizeText(std::int64_t bytes);                 // "1023 bytes", "1,50 KB", "2 MB"
std::string shortenPath(std::string_view path);           // "C:\...\b\c\d.txt" for titles

// Creates every missing folder of `path`. True when it exists afterwards.
bool createFolderChain(const std::filesystem::path& path);

enum class CopyResult {
    Copied,
    AlreadyThere, // without overwrite: a file of that name was there and stays as it was
    Failed,
};
// Copies `source` into `folder` under its own file name, creating the folder chain. Without
// `overwrite` an existing file is never replaced. The target appears whole or not at all.
CopyResult copyFileToFolder(const std::filesystem::path& source,
                            const std::filesystem::path& folder, bool overwrite);
// The same under the name `name` (a plain name, see isPlainName) in `folder`.
CopyResult copyFileAs(const std::filesystem::path& source, const std::filesystem::path& folder,
                      std::string_view name, bool overwrite);

// For tests: faults acted out in the file operations of this library and in carrying out a
// file plan. The hook is asked before each step: Copy when copyFile starts, and when a plan
// starts a copy (`to` the file it makes); Move before every rename the system is asked for
// (also the one that puts a finished copy in place); Remove before a move between file systems
// removes the original; Write when replaceFileContents starts, and when a plan starts writing
// a file; Place when a plan puts a finished file in place of the old one. An error it returns
// makes that step fail as the system would have, with that reason. An empty hook (the
// default) acts out nothing.
enum class FileStep { Copy, Move, Remove, Write, Place };
using FileFaultHook = std::function<std::error_code(
    FileStep step, const std::filesystem::path& from, const std::filesystem::path& to)>;
void setFileFaultHook(FileFaultHook hook);
// The fault the hook acts out for `step`; none without a hook.
std::error_code fileFaultFor(FileStep step, const std::filesystem::path& from,
                             const std::filesystem::path& to);

// For tests: act out a file system that offers neither a rename that refuses to replace nor
// hard links (some network and FUSE mounts), so the last way of placing a file is taken.
void simulateFileSystemWithoutLinks(bool simulate);

// Copies the file `source` to `target` (whose folder must exist). Without `overwrite` an existing
// target is never replaced. The target appears whole or not at all; `error` tells why not.
bool copyFile(const std::filesystem::path& source, const std::filesystem::path& target,
              bool overwrite, std::error_code& error);

// Moves a file or folder; never replaces an existing target. `error` tells the system's reason
// for a failure. A change of letter case only is a move too, also where names ignore case.
// Between file systems a file is copied and the original removed; when the original cannot be
// removed (a read-only folder) the copy goes again and the move fails: a move never leaves the
// file in two places. `acrossDevices` Refuse makes such a move fail at once (the trash, which
// must never hold a copy).
enum class AcrossDevices { Copy, Refuse };
bool movePath(const std::filesystem::path& from, const std::filesystem::path& to);
bool movePath(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& error, AcrossDevices acrossDevices = AcrossDevices::Copy);

// Deletes a file or a folder with everything in it. Final, silent.
bool deletePath(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `target` and puts it in place only when all of it
// was written; on failure the old file stays as it was.
bool replaceFileContents(const std::filesystem::path& target, std::string_view bytes);

// A name for a temporary file in `folder` for `name`, free at the time of asking. It starts
// with "." so folder scans (and the plug-in, which reads only the names its kits give) skip it.
std::filesystem::path temporarySibling(const std::filesystem::path& folder,
                                       const std::string& name);

// One file under both paths: links resolved, hard links, and the file system's own letter-case
// rules. Paths of which one does not exist are compared by their canonical form.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);
// The same bytes: the same file, or two files of the same size and content. False when either
// cannot be read.
bool sameContent(const std::filesystem::path& a, const std::filesystem::path& b);

// The reason of a failed file operation in words, for messages: "no space left on the device".
std::string reasonInWords(const std::error_code& error);

// Reads a whole regular file of at most `limit` bytes; false when it cannot be read, is bigger,
// or is no regular file (a device or a pipe would never end, or block).
inline constexpr std::uintmax_t kReadLimit = std::uintmax_t{2} << 30;
bool readWholeFile(const std::filesystem::path& path, std::string& bytes,
                   std::uintmax_t limit = kReadLimit);

struct FoundEntry {
    std::filesystem::path fullPath;
    std::string name;
    bool isFolder = false;
    std::uintmax_t size = 0;
};
using ScanVisitor = std::function<bool(const FoundEntry&)>; // false stops the scan

// Depth first below `root`: the matching entries of a folder (in name order) before its
// subfolders (in name order). Names starting with "." are never visited; symbolic links to
// folders are handed over but not followed. `pattern` is a file
// name with "*" and "?" wildcards, or a plain name.
void scanFolderTree(const std::filesystem::path& root, std::string_view pattern,
                    const ScanVisitor& visitor);
// Every regular file below `root`, reading nothing but the folder listings: for indexes over
// big trees. Folders come in the order of scanFolderTree; the files of one folder come
// together, in the file system's order (names are unique within a folder, so an index that
// keeps the first folder of each name gets the same answer as scanFolderTree).
using TreeFileVisitor =
    std::function<void(const std::filesystem::path& folder, std::string_view name)>;
void listFilesInTree(const std::filesystem::path& root, const TreeFileVisitor& visitor);
// The matching entries of one folder, in name order.
void scanFolder(const std::filesystem::path& folder, std::string_view pattern,
                const ScanVisitor& visitor);

bool wildcardMatch(std::string_view pattern, std::string_view name, bool ignoreCase = false);
// Letters A-Z as a-z; other bytes stay.
std::string lowerCaseAscii(std::string_view text);

} // namespace padsmith
