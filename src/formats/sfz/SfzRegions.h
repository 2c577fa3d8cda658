// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SFZ regions as a kit sees them: what a region's opcodes (its own over its group's, master's
// and global's) mean for a zone, and the regions of one key as one instrument.
#include "formats/ForeignKit.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith::formats {

using SfzOpcodes = std::map<std::string, std::string, std::less<>>;

struct SfzRegion {
    std::filesystem::path file;
    std::string sampleName;
    std::string label; // region_label
    std::string group; // group_label, or master_label, or global_label
    int key = 60;
    int keyLow = 0;
    int keyHigh = 127;
    bool range = false;
    int velocityLow = 1;
    int velocityHigh = 127;
    double gainLeft = 1.0;
    double gainRight = 1.0;
    int seqLength = 1;
    int seqPosition = 1;
    double randLow = 0.0;
    double randHigh = 1.0;

    bool alternate() const { return seqLength > 1 || randLow > 0.0 || randHigh < 1.0; }
};

// The regions of a file, one merged set of opcodes at a time, and what was left out of them.
class SfzRegionBuilder {
public:
    explicit SfzRegionBuilder(const std::filesystem::path& folder) : folder_(folder) {}

    SfzOpcodes control;
    std::vector<SfzRegion> regions;
    std::map<std::string, int> lostOpcodes; // opcode -> regions that carry it
    int generators = 0;
    int releases = 0; // regions that sound when a key is let go
    std::map<std::string, int> otherTriggers;
    int badKeys = 0;
    int ranges = 0;

    void add(const SfzOpcodes& opcodes);

private:
    std::string controlText(std::string_view name) const;
    double controlNumber(std::string_view name, double fallback) const;

    std::filesystem::path folder_;
};

// What a kit keeps of an instrument's alternates and stacked regions, counted over the kit.
struct SfzLeftOut {
    int alternatesLeft = 0;
    int alternatesShared = 0;
    int stacked = 0;
};

// The regions of `key` (in file order) as one instrument. `groupKeys`: the keys each group
// label plays, so that a group of one key names its instrument.
ForeignInstrument sfzInstrument(int key, const std::vector<const SfzRegion*>& regions,
                                const std::map<std::string, std::set<int>>& groupKeys,
                                const ReadOptions& options, SfzLeftOut& leftOut);

} // namespace padsmith::formats
