// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/hydrogen/DrumkitArchive.h"

#include "platform/Files.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

// Room left on the disk beside what the archive unpacks to.
constexpr std::uint64_t kSpareBytes = std::uint64_t{64} << 20;

using Reader = std::unique_ptr<archive, decltype(&archive_read_free)>;

Reader openArchive(const fs::path& path, std::string& error) {
    Reader reader(archive_read_new(), &archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), path.string().c_str(), 64 * 1024) != ARCHIVE_OK) {
        error = archive_error_string(reader.get()) ? archive_error_string(reader.get())
                                                   : "not an archive";
        reader.reset();
    }
    return reader;
}

std::string archiveError(archive* reader, const char* fallback) {
    const char* text = archive_error_string(reader);
    return text != nullptr ? text : fallback;
}

// The entry's path below the target folder, or why it has none.
std::optional<fs::path> safeRelative(const char* name, std::string& why) {
    if (name == nullptr || *name == '\0') {
        why = "no name";
        return std::nullopt;
    }
    if (*name == '/' || *name == '\\') {
        why = "absolute path";
        return std::nullopt;
    }
    fs::path relative;
    std::string part;
    const std::string text(name);
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '/' || text[i] == '\\') {
            if (part == "..") {
                why = "leads out of the archive";
                return std::nullopt;
            }
            if (!part.empty() && part != ".") {
                relative /= part;
            }
            part.clear();
        } else {
            part += text[i];
        }
    }
    if (relative.has_root_name()) {
        why = "absolute path";
        return std::nullopt;
    }
    if (relative.empty()) {
        why = "no name";
        return std::nullopt;
    }
    return relative;
}

// The entry's place below the target, or nothing with the reason it is refused.
std::optional<fs::path> acceptedPath(archive_entry* entry, std::string& why) {
    std::optional<fs::path> relative = safeRelative(archive_entry_pathname(entry), why);
    const auto type = archive_entry_filetype(entry);
    if (relative && type != AE_IFREG && type != AE_IFDIR) {
        why = type == AE_IFLNK ? "link" : "not a file or folder";
        relative.reset();
    }
    if (relative && archive_entry_hardlink(entry) != nullptr) {
        why = "link";
        relative.reset();
    }
    return relative;
}

std::string shownName(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    return name != nullptr ? name : "";
}

// The drumkit.xml nearest the top of `folder`.
std::optional<fs::path> findDrumkitXml(const fs::path& folder) {
    std::optional<fs::path> best;
    std::size_t bestDepth = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename() == "drumkit.xml" && it->is_regular_file(ec) &&
            (!best || static_cast<std::size_t>(it.depth()) < bestDepth)) {
            best = it->path();
            bestDepth = static_cast<std::size_t>(it.depth());
        }
    }
    return best;
}

std::string gib(std::uint64_t bytes) {
    const double value = static_cast<double>(bytes) / static_cast<double>(std::uint64_t{1} << 30);
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f GiB", value);
    return text.data();
}

// Reads the entries of the archive at `path` in order and hands each to `visit`, which may
// read its data. False, with `error` set, when the archive cannot be read to its end or
// `visit` returns false (having set `error` itself).
template <typename Visit> bool forEachEntry(const fs::path& path, std::string& error, Visit visit) {
    const Reader reader = openArchive(path, error);
    if (!reader) {
        return false;
    }
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            return true;
        }
        if (status < ARCHIVE_WARN) {
            error = archiveError(reader.get(), "damaged archive");
            return false;
        }
        if (!visit(reader.get(), entry)) {
            return false;
        }
    }
}

// The first reading: counts entries and adds up their sizes from the headers, without writing
// anything. Stops at the first limit passed.
bool survey(const fs::path& path, const ArchiveLimits& limits, std::uint64_t room,
            std::vector<std::string>& refused, std::string& error) {
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0;
    return forEachEntry(path, error, [&](archive* /*reader*/, archive_entry* entry) {
        if (++entries > limits.entries) {
            error = "the archive holds more than " + std::to_string(limits.entries) + " entries";
            return false;
        }
        std::string why;
        if (!acceptedPath(entry, why)) {
            refused.push_back(shownName(entry) + " (" + why + ")");
        } else if (archive_entry_filetype(entry) == AE_IFREG && archive_entry_size_is_set(entry)) {
            bytes += static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry)));
            if (bytes > limits.bytes) {
                error = "the archive unpacks to more than " + gib(limits.bytes);
                return false;
            }
            if (bytes > room) {
                error = "the archive unpacks to more than the " + gib(room) + " free on the disk";
                return false;
            }
        }
        return true;
    });
}

bool unpack(const fs::path& path, const fs::path& target, std::uint64_t allowed,
            std::string& error) {
    std::uint64_t total = 0;
    std::array<char, 64 * 1024> buffer{};
    return forEachEntry(path, error, [&](archive* reader, archive_entry* entry) {
        std::string why;
        const std::optional<fs::path> relative = acceptedPath(entry, why);
        if (!relative) {
            return true;
        }
        const fs::path file = target / *relative;
        if (archive_entry_filetype(entry) == AE_IFDIR) {
            createFolderChain(file);
            return true;
        }
        createFolderChain(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "can't write " + file.string();
            return false;
        }
        for (;;) {
            const la_ssize_t got = archive_read_data(reader, buffer.data(), buffer.size());
            if (got < 0) {
                error = archiveError(reader, "damaged archive");
                return false;
            }
            if (got == 0) {
                break;
            }
            // Sizes a header left open are held to the same limit as they are written.
            total += static_cast<std::uint64_t>(got);
            if (total > allowed) {
                error = "the archive unpacks to more than " + gib(allowed);
                return false;
            }
            out.write(buffer.data(), got);
        }
        if (!out) {
            error = "can't write " + file.string();
            return false;
        }
        return true;
    });
}

} // namespace

std::optional<UnpackedDrumkit> unpackDrumkitArchive(const fs::path& archive, const fs::path& target,
                                                    std::string& error,
                                                    const ArchiveLimits& limits) {
    std::error_code ec;
    if (!fs::is_regular_file(archive, ec)) {
        error = "can't read " + archive.string();
        return std::nullopt;
    }
    if (!createFolderChain(target)) {
        error = "can't create " + target.string();
        return std::nullopt;
    }
    const fs::space_info space = fs::space(target, ec);
    const std::uint64_t room =
        ec ? limits.bytes : (space.available > kSpareBytes ? space.available - kSpareBytes : 0);
    UnpackedDrumkit result;
    if (!survey(archive, limits, room, result.refused, error) ||
        !unpack(archive, target, std::min(limits.bytes, room), error)) {
        deletePath(target);
        error = archive.filename().string() + ": " + error;
        return std::nullopt;
    }
    const std::optional<fs::path> xml = findDrumkitXml(target);
    if (!xml) {
        deletePath(target);
        error = archive.filename().string() + " holds no drumkit.xml";
        return std::nullopt;
    }
    result.xml = *xml;
    return result;
}

bool packDrumkitArchive(const fs::path& folder, const fs::path& archivePath, std::string& error) {
    const fs::path part = archivePath.string() + ".part";
    std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(),
                                                                   &archive_write_free);
    archive_write_add_filter_gzip(writer.get());
    archive_write_set_format_pax_restricted(writer.get());
    if (archive_write_open_filename(writer.get(), part.string().c_str()) != ARCHIVE_OK) {
        error = archiveError(writer.get(), "can't write the archive");
        return false;
    }
    const std::string top = folder.filename().string();
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    bool written = !ec;
    std::array<char, 64 * 1024> buffer{};
    for (const fs::path& file : files) {
        if (!written) {
            break;
        }
        const std::string name = top + "/" + fs::relative(file, folder, ec).generic_string();
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                            &archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(fileSize(file)));
        std::ifstream in(file, std::ios::binary);
        written = in && archive_write_header(writer.get(), entry.get()) == ARCHIVE_OK;
        while (written && in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            const auto got = static_cast<std::size_t>(in.gcount());
            written = archive_write_data(writer.get(), buffer.data(), got) ==
                      static_cast<la_ssize_t>(got);
        }
        if (!written) {
            error = "can't pack " + file.string() + ": " + archiveError(writer.get(), "read error");
        }
    }
    written = archive_write_close(writer.get()) == ARCHIVE_OK && written;
    if (written) {
        fs::rename(part, archivePath, ec);
        written = !ec;
        if (ec) {
            error = "can't write " + archivePath.string() + ": " + ec.message();
        }
    } else if (error.empty()) {
        error = archiveError(writer.get(), "can't write the archive");
    }
    if (!written) {
        fs::remove(part, ec);
    }
    return written;
}

} // namespace padsmith::formats
