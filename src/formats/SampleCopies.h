// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The samples of a kit, copied into the folder of an exported kit.
#include "kit/SampleZone.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace padsmith::formats {

class SampleCopies {
public:
    // The name a format can carry for a sample name (the name itself when it can).
    using NameRule = std::function<std::string(const std::string&)>;

    explicit SampleCopies(std::filesystem::path folder, NameRule rule = {})
        : folder_(std::move(folder)), rule_(std::move(rule)) {}

    // The name of the zone's sample in the folder, copied there under its sample name (a file
    // of that name with other contents is never replaced: the copy takes a free name beside
    // it). Nothing, with the reason in `problem`, when the zone's source cannot be read.
    // With `dryRun` nothing is copied.
    std::optional<std::string> place(const SampleZone& zone, std::string& problem,
                                     bool dryRun = false);

    // "old name -> new name" of each sample the name rule renamed.
    const std::vector<std::string>& renamed() const { return renamed_; }

private:
    std::filesystem::path folder_;
    NameRule rule_;
    std::vector<std::string> renamed_;
    std::map<std::string, std::string> bySource_;
    std::set<std::string> names_;
};

} // namespace padsmith::formats
