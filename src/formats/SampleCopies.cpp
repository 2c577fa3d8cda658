// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/SampleCopies.h"

#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <array>
#include <fstream>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

bool sameContents(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::file_size(a, ec) != fs::file_size(b, ec) || ec) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::array<char, 64 * 1024> x{};
    std::array<char, 64 * 1024> y{};
    while (first && second) {
        first.read(x.data(), x.size());
        second.read(y.data(), y.size());
        if (first.gcount() != second.gcount() ||
            !std::equal(x.begin(), x.begin() + first.gcount(), y.begin())) {
            return false;
        }
    }
    return first.eof() && second.eof();
}

} // namespace

std::optional<std::string> SampleCopies::place(const SampleZone& zone, std::string& problem,
                                               bool dryRun) {
    std::error_code ec;
    const std::string& source = zone.sourcePath;
    if (!isCopyableSource(source) || !fs::is_regular_file(source, ec)) {
        problem = "missing sample " + withoutMissingMark(source);
        return std::nullopt;
    }
    if (const auto known = bySource_.find(source); known != bySource_.end()) {
        return known->second;
    }
    const std::string given =
        isPlainName(zone.sampleName) ? zone.sampleName : fs::path(source).filename().string();
    const std::string wanted = rule_ ? rule_(given) : given;
    const std::string stem = fs::path(wanted).stem().string();
    const std::string extension = fs::path(wanted).extension().string();
    std::string name = wanted;
    for (int n = 2;; ++n) {
        const fs::path target = joinPath(folder_, name);
        const bool ours = names_.contains(lowerCaseAscii(name));
        if (!ours && !fs::exists(fs::symlink_status(target, ec))) {
            if (!dryRun && !copyFile(source, target, false, ec)) {
                problem = "can't copy " + source + " to " + target.string() + ": " + ec.message();
                return std::nullopt;
            }
            break;
        }
        if (!ours && sameContents(source, target)) {
            break; // already there, from an earlier export
        }
        name = stem + " " + std::to_string(n) + extension;
    }
    names_.insert(lowerCaseAscii(name));
    bySource_[source] = name;
    if (name != given && wanted != given) {
        renamed_.push_back(given + " -> " + name);
    }
    return name;
}

} // namespace padsmith::formats
