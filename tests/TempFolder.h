// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Files.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace padsmith::test {

// A fresh folder for one test, removed with everything in it afterwards (also when a test
// took its write permission away). It lies in `base`, named `prefix` and a random number.
class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path(),
                        const std::string& prefix = "padsmith-test-")
        : root_(base / (prefix + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(root_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return root_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const {
        return root_ / relative;
    }

    // Writes a file (creating its folders) and returns its path.
    std::filesystem::path write(const std::filesystem::path& relative,
                                const std::string& bytes) const {
        return writeFile(root_ / relative, bytes);
    }
    static std::filesystem::path writeFile(const std::filesystem::path& file,
                                           const std::string& bytes) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    // The file's bytes; "(unreadable)" when there is no file to read.
    static std::string read(const std::filesystem::path& file) {
        std::string bytes;
        return readWholeFile(file, bytes) ? bytes : std::string("(unreadable)");
    }

    // "sub/kick.wav=bytes" for each file below `relative` (links to files included, linked
    // folders not entered), in the order of their paths; none when there is no such folder.
    std::vector<std::string> listing(const std::filesystem::path& relative) const {
        std::map<std::string, std::string> files;
        const std::filesystem::path folder = root_ / relative;
        std::error_code ec;
        for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->is_regular_file()) {
                files[it->path().lexically_relative(folder).generic_string()] = read(it->path());
            }
        }
        std::vector<std::string> lines;
        for (const auto& [path, bytes] : files) {
            lines.push_back(path + "=" + bytes);
        }
        return lines;
    }

private:
    std::filesystem::path root_;
};

} // namespace padsmith::test
