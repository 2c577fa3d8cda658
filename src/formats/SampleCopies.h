// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The samples of a kit, copied into the folder of an exported kit.
#include "kit/SampleZone.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace padsmith::formats {

class SampleCopies {
public:
    explicit SampleCopies(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // The name of the zone's sample in the folder, copied there under its sample name (a file
    // of that name with other contents is never replaced: the copy takes a free name beside
    // it). Nothing, with the reason in `problem`, when the zone's source cannot be read.
    // With `dryRun` nothing is copied.
    std::optional<std::string> place(const SampleZone& zone, std::string& problem,
                                     bool dryRun = false);

private:
    std::filesystem::path folder_;
    std::map<std::string, std::string> bySource_;
    std::set<std::string> names_;
};

} // namespace padsmith::formats
