// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/SampleZone.h"

#include <array>
#include <string>

namespace padsmith {

// The columns of the zone list, as the editor and the command-line tool show a zone.
enum class ZoneColumn { Sample, Key, Velocity, Voices, Group, KeyRange, Volume, SourceFolder };
inline constexpr int kZoneColumnCount = 8;

struct ZoneColumnInfo {
    const char* title;
    int width; // pixels
    enum class Align { Left, Centre } align;
    // How a cell of the column is edited: never, only on request (F2, a second click), or
    // also by typing a character into it.
    enum class Editing { Never, OnRequest, ByTyping } editing;
};
const std::array<ZoneColumnInfo, kZoneColumnCount>& zoneColumns();

// The text of one cell: "C3", "  1 - 127", "C-2 - G8", "+0 dB / +6 dB", ...
std::string zoneCellText(const SampleZone& zone, ZoneColumn column);

} // namespace padsmith
