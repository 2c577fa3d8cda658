// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/hydrogen/DrumkitArchive.h"

#include "platform/Checksum.h"
#include "platform/Files.h"

#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kUnpackedLimit = std::uintmax_t{8} << 30;

// The entry's path below the target folder, or nothing when it would lead out of it.
std::optional<fs::path> safeRelative(const char* name) {
    if (name == nullptr || *name == '\0' || *name == '/' || *name == '\\') {
        return std::nullopt;
    }
    fs::path relative;
    std::string part;
    const std::string text(name);
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '/' || text[i] == '\\') {
            if (part == "..") {
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
    if (relative.empty() || relative.has_root_name()) {
        return std::nullopt;
    }
    return relative;
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

bool unpack(const fs::path& archivePath, const fs::path& target, std::string& error) {
    const std::unique_ptr<archive, decltype(&archive_read_free)> reader(archive_read_new(),
                                                                        &archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), archivePath.string().c_str(), 64 * 1024) !=
        ARCHIVE_OK) {
        error = archive_error_string(reader.get()) ? archive_error_string(reader.get())
                                                   : "not an archive";
        return false;
    }
    std::uintmax_t total = 0;
    archive_entry* entry = nullptr;
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            return true;
        }
        if (status < ARCHIVE_WARN) {
            error = archive_error_string(reader.get()) ? archive_error_string(reader.get())
                                                       : "damaged archive";
            return false;
        }
        const std::optional<fs::path> relative = safeRelative(archive_entry_pathname(entry));
        const auto type = archive_entry_filetype(entry);
        if (!relative || (type != AE_IFREG && type != AE_IFDIR)) {
            continue;
        }
        const fs::path path = target / *relative;
        if (type == AE_IFDIR) {
            createFolderChain(path);
            continue;
        }
        createFolderChain(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "can't write " + path.string();
            return false;
        }
        for (;;) {
            const la_ssize_t got = archive_read_data(reader.get(), buffer.data(), buffer.size());
            if (got < 0) {
                error = archive_error_string(reader.get()) ? archive_error_string(reader.get())
                                                           : "damaged archive";
                return false;
            }
            if (got == 0) {
                break;
            }
            total += static_cast<std::uintmax_t>(got);
            if (total > kUnpackedLimit) {
                error = "the archive unpacks to more than 8 GiB";
                return false;
            }
            out.write(buffer.data(), got);
        }
        if (!out) {
            error = "can't write " + path.string();
            return false;
        }
    }
}

std::string hex(std::uint32_t value) {
    std::array<char, 9> text{};
    std::snprintf(text.data(), text.size(), "%08x", value);
    return text.data();
}

} // namespace

std::optional<fs::path> unpackDrumkitArchive(const fs::path& archive, const fs::path& cacheFolder,
                                             std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(archive, ec)) {
        error = "can't read " + archive.string();
        return std::nullopt;
    }
    const auto time = fs::last_write_time(archive, ec).time_since_epoch().count();
    const std::string identity = fs::absolute(archive, ec).string() + "|" +
                                 std::to_string(fileSize(archive)) + "|" + std::to_string(time);
    const fs::path folder =
        cacheFolder / "drumkits" / hex(checksumBlock(0xFFFFFFFF, identity.data(), identity.size()));
    // A folder that is there was unpacked whole: it is only put in place at the end.
    if (!fs::is_directory(folder, ec)) {
        const fs::path part = folder.string() + ".part";
        deletePath(part);
        if (!createFolderChain(part)) {
            error = "can't create " + part.string();
            return std::nullopt;
        }
        if (!unpack(archive, part, error)) {
            deletePath(part);
            error = archive.filename().string() + ": " + error;
            return std::nullopt;
        }
        fs::rename(part, folder, ec);
        if (ec) {
            deletePath(part);
            error = "can't create " + folder.string() + ": " + ec.message();
            return std::nullopt;
        }
    }
    std::optional<fs::path> xml = findDrumkitXml(folder);
    if (!xml) {
        error = archive.filename().string() + " holds no drumkit.xml";
    }
    return xml;
}

} // namespace padsmith::formats
