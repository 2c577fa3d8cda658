// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace padsmith::tool {

inline constexpr const char* kCheckUsage =
    "check KIT [--json] [--strict] [--plugin-dir DIR] [--shared] [--fix KIND [--output OUT] "
    "[--force]] [--encoding NAME]";

int runCheck(const std::vector<std::string>& argv);

} // namespace padsmith::tool
