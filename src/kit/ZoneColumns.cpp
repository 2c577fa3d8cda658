// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneColumns.h"

#include "kit/NoteNames.h"

#include <cstdio>

namespace padsmith {

const std::array<ZoneColumnInfo, kZoneColumnCount>& zoneColumns() {
    using Align = ZoneColumnInfo::Align;
    using Editing = ZoneColumnInfo::Editing;
    static const std::array<ZoneColumnInfo, kZoneColumnCount> columns{{
        {"Sample", 200, Align::Left, Editing::OnRequest},
        {"Key", 35, Align::Left, Editing::ByTyping},
        {"Velocity", 60, Align::Left, Editing::ByTyping},
        {"Voices", 40, Align::Centre, Editing::ByTyping},
        {"Group", 40, Align::Centre, Editing::ByTyping},
        {"Key Range", 70, Align::Centre, Editing::ByTyping},
        {"Vol.L/R (-12dB-+24dB)", 110, Align::Centre, Editing::ByTyping},
        {"Source Folder", 1024, Align::Left, Editing::Never},
    }};
    return columns;
}

std::string zoneCellText(const SampleZone& zone, ZoneColumn column) {
    char text[64];
    switch (column) {
    case ZoneColumn::Sample:
        return zone.sampleName;
    case ZoneColumn::Key:
        return noteName(zone.key);
    case ZoneColumn::Velocity:
        std::snprintf(text, sizeof text, "%3d - %3d", zone.velocityLow, zone.velocityHigh);
        return text;
    case ZoneColumn::Voices:
        return std::to_string(zone.voices);
    case ZoneColumn::Group:
        return std::to_string(zone.group);
    case ZoneColumn::KeyRange:
        return noteName(zone.keyRangeLow) + " - " + noteName(zone.keyRangeHigh);
    case ZoneColumn::Volume:
        std::snprintf(text, sizeof text, "%+d dB / %+d dB", gainToDecibels(zone.gainLeft),
                      gainToDecibels(zone.gainRight));
        return text;
    case ZoneColumn::SourceFolder:
        return zone.sourcePath;
    }
    return {};
}

} // namespace padsmith
