// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Kit scripts for kits a test makes by hand, laid out as the plug-in writes them.
#include "kit/KitScript.h"

#include <cstdio>
#include <string>

namespace padsmith::test {

// Pad `pad` (1 to 18) plays `sample` on `key`, at full velocity range and gain.
inline std::string zoneLine(int pad, int key, const std::string& padName, const std::string& sample,
                            int keyRangeLow = 0, int keyRangeHigh = 0) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "%2d,  0, 0,%3d,%s,%s,  1,127,%3d,%3d, 1.00, 1.00,  0,  0,\r\n", pad, key,
                  padName.c_str(), sample.c_str(), keyRangeLow, keyRangeHigh);
    return line;
}

inline std::string pathLine(int pad, const std::string& path) {
    return (pad < 10 ? " " : "") + std::to_string(pad) + "," + path + ",\r\n";
}

// The whole script; no path lines make a kit whose sources are its copies.
inline std::string kitScript(const std::string& kitName, const std::string& sampleFolder,
                             const std::string& zoneLines, const std::string& pathLines = "",
                             const std::string& copyright = "") {
    return "vst samples,\r\n" + kitName + ",\r\n" + sampleFolder + ",\r\n" + copyright +
           ",\r\n\r\n" + zoneLines + "-1\r\n\r\n" + pathLines + "-1\r\n\r\n" + kScriptSignature;
}

} // namespace padsmith::test
