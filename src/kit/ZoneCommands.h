// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitDocument.h"
#include "kit/KitEdit.h"
#include "kit/SampleNames.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

// The names a sample and a pad get when files are brought into a kit, and the zone changes of
// the zone list's commands. Nothing here touches a file: see kit/ZoneFiles.h for that side.

// A short pad name made from a sample name: its letters A-Z, or when there are more than
// `length` of them, its first character followed by its consonants, cut to `length`.
// "snare hard.wav" gives "SSNRH", "kick 01.wav" gives "KICK". Empty when the name has no
// letter at all.
std::string shortPadName(std::string_view name, std::size_t length);

// The name rule (sampleNameProblem, cleanSampleName) lives in kit/SampleNames.h.

// The key range the import gives a zone it appends: the one of the last zone line read from a
// kit script or of the zone an import replaced last; 0 to 0 before either happened.
struct ImportKeyRange {
    std::int32_t low = 0;
    std::int32_t high = 0;

    void takeFrom(const SampleZone& zone) {
        low = zone.keyRangeLow;
        high = zone.keyRangeHigh;
    }
    // After a kit read: the zone of the last zone line (the last zone of the last pad with
    // zones, the order in which kit scripts list them). Unchanged for an empty kit.
    void takeFromLastZoneOf(const KitDocument& kit);
};

// A sample chosen for the import: the name its copy gets and the file it is copied from (and,
// when that is a decoded copy, the file it was decoded from).
struct ImportedSample {
    std::string sampleName;
    std::string sourcePath;
    std::string decodedFrom{};
    // The path whose names tell the drum.
    const std::string& namedBy() const { return decodedFrom.empty() ? sourcePath : decodedFrom; }
};

// The zones for imported samples. From `currentRow` on (or at the end when no row is current,
// -1) the samples replace the sample of one zone after another, keeping its key, velocities
// and other settings; samples beyond the last zone are appended with the key of the zone
// before them. An empty pad takes the name and key newPadChoice gives its first sample (so no
// other pad plays that key). Another zone named "XXX" is named after its sample, and an
// unnamed pad after its first zone.
KitEdit importZones(const KitDocument& kit, int pad, int currentRow,
                    const std::vector<ImportedSample>& samples, ImportKeyRange& keyRange);

// The rows that Copy remembered for a later Paste, with the pad they belong to.
struct RememberedRows {
    int pad = -1;
    std::size_t zoneCount = 0; // of that pad when the rows were remembered
    std::vector<int> rows;     // ascending
};
RememberedRows rememberRows(const KitDocument& kit, int pad, std::vector<int> rows);

struct ZoneMove {
    KitEdit edit;
    std::vector<int> selectedRows; // where the remembered rows are now
};

// Moves the remembered rows so that the first of them lands on `target`, keeping their
// spacing. Nothing (no value) when there is nothing to move, when a row would pass the end of
// the pad, or when the remembered rows are stale: another pad is current, or the pad's zones
// were added or removed since they were remembered.
std::optional<ZoneMove> moveRememberedRows(const KitDocument& kit, const RememberedRows& rows,
                                           int target);

struct ZoneDeletion {
    KitEdit edit;
    std::vector<SampleZone> removed; // the zones deleted, in pad order
    int currentRow = -1;             // the row to show as current afterwards, -1 for none
};

// Deletes the zones at `rows` of the pad (rows that are not rows of the pad are passed over).
// The row that follows the lowest deleted one becomes current, or the last row when none
// follows.
ZoneDeletion deleteZones(const KitDocument& kit, int pad, std::vector<int> rows);

} // namespace padsmith
