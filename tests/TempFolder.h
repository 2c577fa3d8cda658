// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace padsmith::test {

// A fresh folder for one test, removed with everything in it afterwards (also when a test
// took its write permission away).
class TempFolder {
public:
    TempFolder()
        : root_(std::filesystem::temp_directory_path() /
                ("padsmith-test-" + std::to_string(std::random_device{}()))) {
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
        const std::filesystem::path file = root_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    // The file's bytes; "(unreadable)" when there is no file to read.
    static std::string read(const std::filesystem::path& file) {
        std::string bytes;
        return readWholeFile(file, bytes) ? bytes : std::string("(unreadable)");
    }

private:
    std::filesystem::path root_;
};

} // namespace padsmith::test
