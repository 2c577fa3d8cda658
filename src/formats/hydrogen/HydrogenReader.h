// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hydrogen drumkits (drumkit.xml beside its samples) as foreign kits.
#include "formats/ForeignKit.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace padsmith::formats {

// Reads the text of a drumkit.xml whose samples lie in `folder`. Three layouts are read: layers
// in <instrumentComponent> (Hydrogen 0.9.7 on), <layer> directly in <instrument>, and the old
// <filename> in <instrument>. Every instrument with samples becomes an instrument of the
// result, in list order, on 36 + its index among all instruments (or on its midiOutNote, when
// asked). Hydrogen's 0..1 velocity windows become neighbouring windows of 1..127; the gain of
// each side is volume x gain x component gain x layer gain x pan. What has no place in a kit
// (pitch, envelopes, filters, mute groups, random or round-robin layers, further components)
// is named in the notes. Nothing (and `error` set) when the text is no drumkit.
std::optional<ForeignKit> parseHydrogenDrumkit(std::string_view xml,
                                               const std::filesystem::path& folder,
                                               const ReadOptions& options, std::string& error);

// Reads a drumkit.xml file, or the drumkit.xml of a folder.
std::optional<ForeignKit> readHydrogenDrumkit(const std::filesystem::path& path,
                                              const ReadOptions& options, std::string& error);

// The Hydrogen windows of an instrument's layers, mapped onto 1..127 so that neighbours meet:
// the boundary between two layers is the middle of their gap or overlap. Windows are taken in
// the order given (sorted by their lower end); returns one 1..127 window for each.
std::vector<std::pair<int, int>>
mapHydrogenWindows(const std::vector<std::pair<double, double>>& windows);

} // namespace padsmith::formats
