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
// asked). Each velocity 1..127 plays the layer Hydrogen plays at it (hydrogenLayersByVelocity);
// layers that never play are named; the gain of each side is volume x gain x component gain x
// layer gain x pan. What has no place in a kit
// (pitch, envelopes, filters, mute groups, random or round-robin layers, further components)
// is named in the notes. With `within` given (an unpacked archive), samples the file names
// outside that folder are refused and named. Nothing (and `error` set) when the text is no
// drumkit.
std::optional<ForeignKit> parseHydrogenDrumkit(std::string_view xml,
                                               const std::filesystem::path& folder,
                                               const ReadOptions& options, std::string& error,
                                               const std::filesystem::path& within = {});

// Reads a drumkit.xml file, or the drumkit.xml of a folder.
std::optional<ForeignKit> readHydrogenDrumkit(const std::filesystem::path& path,
                                              const ReadOptions& options, std::string& error,
                                              const std::filesystem::path& within = {});

// A layer's velocity window as Hydrogen reads it (0..1, as the file has it).
struct HydrogenWindow {
    float min = 0.0F;
    float max = 1.0F;
};

// The layers Hydrogen may play at each MIDI velocity 1..127 (element v - 1), given the windows
// of an instrument's layers in file order: every layer whose window holds the velocity, in
// file order (Hydrogen's velocity rule plays the first; random and round robin choose among
// them); where none does, the one layer whose lower end is nearest; empty where it plays none.
std::vector<std::vector<int>> hydrogenLayersByVelocity(const std::vector<HydrogenWindow>& windows);

} // namespace padsmith::formats
