// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where decoded and unpacked samples wait in the user's cache until a kit keeps them: the
// folders of conversions and drops, and moving what a kit plays out of them.
#include "kit/KitDocument.h"

#include <filesystem>
#include <string>

namespace padsmith {

// The folder in `cacheFolder` that holds every conversion's and drop's files.
std::filesystem::path conversionsFolder(const std::filesystem::path& cacheFolder);

// A new folder of its own for one conversion's decoded and unpacked files, in
// conversionsFolder(`cacheFolder`).
std::filesystem::path conversionFolder(const std::filesystem::path& cacheFolder);

// The folder in `cacheFolder` that holds the decoded copies of samples dropped on the window,
// one for all drops: a save moves what its kit plays into the kit's sample folder (as it does
// with an import's conversion folder).
std::filesystem::path droppedSamplesFolder(const std::filesystem::path& cacheFolder);

// Moves the files below `workFolder` that the kit's zones play (decoded copies, samples of an
// unpacked archive, renamed sources) into `keepFolder`, in the same places below it, and points
// the zones at them: a kit whose sources are kept there outlives the work folder. A file of the
// same size already there (an earlier conversion) is taken as it is. False, with the reason in
// `error`, when one cannot be moved; the zones still play what was kept before it.
bool keepSources(KitDocument& kit, const std::filesystem::path& workFolder,
                 const std::filesystem::path& keepFolder, std::string& error);

// Removes every file below `workFolder` that no zone of the kit plays, and the folder itself
// when nothing is left.
void keepOnly(const KitDocument& kit, const std::filesystem::path& workFolder);

} // namespace padsmith
