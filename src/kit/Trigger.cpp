// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/Trigger.h"

#include <algorithm>

namespace padsmith {

std::optional<NoteOn> noteOnIn(std::uint32_t packedMessage) {
    const std::uint32_t status = packedMessage & 0xFFU;
    const auto note = static_cast<int>(packedMessage >> 8 & 0x7FU);
    const auto velocity = static_cast<int>(packedMessage >> 16 & 0x7FU);
    if ((status & 0xF0U) != 0x90U || velocity == 0) {
        return std::nullopt;
    }
    return NoteOn{static_cast<int>(status & 0x0FU), note, velocity};
}

std::uint32_t packMidiMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    return static_cast<std::uint32_t>(status) | static_cast<std::uint32_t>(data1) << 8 |
           static_cast<std::uint32_t>(data2) << 16;
}

int triggeredRow(const Pad& pad, int note, int velocity) {
    for (std::size_t row = 0; row < pad.size(); ++row) {
        const SampleZone& zone = pad.at(row);
        if (zone.key != note) {
            continue;
        }
        if (zone.velocityHigh == 0 ||
            (zone.velocityLow <= velocity && velocity <= zone.velocityHigh)) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

std::optional<ZoneRef> triggeredZone(const KitDocument& kit, int note, int velocity) {
    for (int p = 0; p < kPadCount; ++p) {
        const int row = triggeredRow(kit.pads[static_cast<std::size_t>(p)], note, velocity);
        if (row >= 0) {
            return ZoneRef{p, row};
        }
    }
    return std::nullopt;
}

KeyEntry enterKey(const KitDocument& kit, int pad, std::vector<int> rows, int note) {
    KeyEntry entry;
    entry.edit.name = "Edit Key";
    if (pad < 0 || pad >= kPadCount) {
        return entry;
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    Pad after = before;
    for (const int row : rows) {
        if (row < 0 || static_cast<std::size_t>(row) >= after.size()) {
            continue;
        }
        SampleZone& zone = after.at(static_cast<std::size_t>(row));
        // The pad is known here; the zone's own pad number may not have been refreshed.
        SampleZone checked = zone;
        checked.padNumber = pad + 1;
        if (findDoubleNote(kit, checked, note)) {
            entry.refusedRow = row;
            break;
        }
        zone.key = note;
    }
    entry.edit.changes.push_back(PadChange{pad, before, after});
    return entry;
}

} // namespace padsmith
