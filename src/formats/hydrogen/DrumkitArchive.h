// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hydrogen's .h2drumkit archives: a drumkit folder packed with tar (and mostly gzip).
#include <filesystem>
#include <optional>
#include <string>

namespace padsmith::formats {

// Unpacks `archive` into a folder of its own under `cacheFolder` (once per version of the
// archive) and returns the path of the drumkit.xml in it. Only plain files and folders are
// taken, and only below that folder: entries that climb out ("..", absolute paths), links and
// devices are skipped. Nothing (and `error` set) when the archive cannot be read or holds no
// drumkit.xml.
std::optional<std::filesystem::path> unpackDrumkitArchive(const std::filesystem::path& archive,
                                                          const std::filesystem::path& cacheFolder,
                                                          std::string& error);

} // namespace padsmith::formats
