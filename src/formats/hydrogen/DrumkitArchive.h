// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hydrogen's .h2drumkit archives: a drumkit folder packed with tar (and mostly gzip).
#include "formats/ForeignKit.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::formats {

struct UnpackedDrumkit {
    std::filesystem::path xml;        // the drumkit.xml nearest the top
    std::vector<std::string> refused; // entries not unpacked: "name (why)"
};

// Unpacks `archive` into the folder `target` (made for it; it must not exist) and finds its
// drumkit.xml. The headers are read first: nothing is written when the archive holds more
// entries or bytes than `limits` allow, or more than the disk has free. Only plain files and
// folders are taken, and only below `target`: entries that climb out ("..", absolute paths),
// links and devices are refused and listed. Nothing (and `error` set) when the archive cannot
// be read, is too large or holds no drumkit.xml; `target` is then removed again.
std::optional<UnpackedDrumkit> unpackDrumkitArchive(const std::filesystem::path& archive,
                                                    const std::filesystem::path& target,
                                                    std::string& error,
                                                    const ArchiveLimits& limits = {});

// Packs the drumkit folder `folder` into the .h2drumkit `archive` (tar and gzip, the folder
// under its own name), replacing it whole or not at all.
bool packDrumkitArchive(const std::filesystem::path& folder, const std::filesystem::path& archive,
                        std::string& error);

} // namespace padsmith::formats
