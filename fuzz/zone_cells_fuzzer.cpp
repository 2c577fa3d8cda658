// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever the user types into a cell, the commit must store only values the plug-in takes, and
// the text the editor then offers for the cell must commit back to the same zone.
#include "kit/NoteNames.h"
#include "kit/ZoneCells.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using padsmith::SampleZone;
using padsmith::ZoneColumn;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool isStepGain(float gain) {
    for (const float step : {0.25F, 1.0F / 3.0F, 0.5F, 1.0F, 2.0F, 4.0F, 6.0F, 8.0F}) {
        if (gain == step) {
            return true;
        }
    }
    return false;
}

void requireValid(const SampleZone& zone) {
    require(zone.key >= 0 && zone.key <= 127);
    require(zone.velocityLow >= 1 && zone.velocityLow <= zone.velocityHigh &&
            zone.velocityHigh <= 127);
    require(zone.keyRangeLow >= 0 && zone.keyRangeLow <= zone.keyRangeHigh &&
            zone.keyRangeHigh <= 127);
    require(zone.group >= 0 && zone.group <= 63);
    require(zone.voices >= 0 && zone.voices <= 127);
    require(isStepGain(zone.gainLeft) && isStepGain(zone.gainRight));
}

// Pad 1 holds two layers on key 36; pad 2 plays key 40 softly, so some keys are refused.
padsmith::KitDocument startingKit() {
    padsmith::KitDocument kit;
    SampleZone zone;
    zone.key = 36;
    zone.keyRangeLow = 36;
    zone.keyRangeHigh = 36;
    kit.pads[0].append(zone);
    zone.velocityLow = 64;
    kit.pads[0].append(zone);
    zone.key = 40;
    zone.velocityLow = 1;
    zone.velocityHigh = 30;
    kit.pads[1].append(zone);
    padsmith::settleZones(kit.pads[0], 0);
    padsmith::settleZones(kit.pads[1], 1);
    return kit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto [first, last] = padsmith::splitPair(text);
    require(first.find(' ') == std::string::npos && last.find(' ') == std::string::npos);
    const padsmith::NumberPair pair = padsmith::parseNumberPair(text);
    require(0 <= pair.low && pair.low <= pair.high && pair.high <= 127);
    const int key = padsmith::noteIndex(text);
    require(key >= -1 && key <= 127);

    for (const ZoneColumn column : {ZoneColumn::Key, ZoneColumn::Velocity, ZoneColumn::Voices,
                                    ZoneColumn::Group, ZoneColumn::KeyRange, ZoneColumn::Volume}) {
        padsmith::KitDocument kit = startingKit();
        const padsmith::CellCommit commit =
            padsmith::commitCell(kit, 0, {0, 1}, column, text, nullptr);
        require(commit.refusedRow.has_value() == commit.conflict.has_value());
        padsmith::applyEdit(kit, commit.edit);
        for (int row = 0; row < 2; ++row) {
            const SampleZone zone = kit.pads[0].at(static_cast<std::size_t>(row));
            requireValid(zone);
            const std::string offered = padsmith::editStartText(zone, column, 0);
            if (column == ZoneColumn::Group && zone.group == 0) {
                continue; // an ungrouped zone is offered its pad number instead
            }
            padsmith::KitDocument again = kit;
            padsmith::applyEdit(again,
                                padsmith::commitCell(kit, 0, {row}, column, offered, nullptr).edit);
            require(again.pads[0].at(static_cast<std::size_t>(row)) == zone);
        }
    }
    return 0;
}
