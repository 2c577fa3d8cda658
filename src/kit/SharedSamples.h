// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace padsmith {

class KitDocument;
struct KitLocation;

// A sample folder may hold the copies of several kits: the shared folder those of every kit that
// shares samples, a kit's own folder also those of another kit script that names it. A kit whose
// sample has the name of another kit's copy there, but another sound, would play that kit's
// sound: the copy stays, as the other kit plays it. These clashes are found before a save into
// `kit.sampleFolder` of `location`'s plug-in folder, and the save is refused until the sample
// is renamed. `scriptName` is the kit's own script, which does not count as another kit. One
// line per clash: "kick.wav: ZARVO SAMPLES holds another kit's kick.wav, not /lib/kick.wav".
// A copy that this kit made from the same source (its saved state says so) is its own, however
// its sound differs (an edited source: the save makes it again).
std::vector<std::string> sharedCopyClashes(const KitDocument& kit, const KitLocation& location,
                                           const std::string& scriptName);

// "Can't save Rock.txt.\n<clashes>\nRename these samples (F2) and save again."
std::string sharedNameClashText(const std::string& scriptName,
                                const std::vector<std::string>& clashes);

} // namespace padsmith
