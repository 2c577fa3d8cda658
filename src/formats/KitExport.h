// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A kit written for other samplers: an SFZ file, or a Hydrogen drumkit folder, each beside
// copies of its samples.
#include "formats/ForeignKit.h"
#include "kit/KitDocument.h"

#include <filesystem>
#include <string>
#include <vector>

namespace padsmith::formats {

struct ExportResult {
    bool written = false;
    std::string error;               // why nothing was written
    std::vector<std::string> report; // what the other format does not carry, one sentence each
    int regions = 0;                 // zones written
};

// Writes `kit` as the SFZ file `file`, one <group> per pad (its name as group_label) and one
// region per zone: sample, key, lovel/hivel, volume and pan from the gains. The samples are
// copied into the file's folder. The file is replaced whole or not at all.
ExportResult writeSfz(const KitDocument& kit, const std::filesystem::path& file,
                      bool dryRun = false, const ConvertProgress& progress = {});

// Writes `kit` as a Hydrogen drumkit in `folder` (drumkit.xml and the samples): each key's
// instrument at index key - 36 (empty instruments fill the gaps, midiOutNote = key), one layer
// per zone. Zones on keys below 36 are left out and named.
ExportResult writeHydrogenDrumkit(const KitDocument& kit, const std::filesystem::path& folder,
                                  const std::string& name, bool dryRun = false,
                                  const ConvertProgress& progress = {});

// Writes `kit` as the .h2drumkit archive `archive`: the drumkit folder is made in
// `workFolder`, then packed under the kit's name (replacing the archive whole or not at all).
ExportResult writeHydrogenArchive(const KitDocument& kit, const std::filesystem::path& archive,
                                  const std::string& name, const std::filesystem::path& workFolder,
                                  bool dryRun = false, const ConvertProgress& progress = {});

// Zones of the kit: what an export's progress counts.
int zoneCount(const KitDocument& kit);

// The fields of a kit that neither format holds (key range, voices, group), as report lines.
std::vector<std::string> fieldsNotExported(const KitDocument& kit);

} // namespace padsmith::formats
