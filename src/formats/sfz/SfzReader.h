// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SFZ instruments as foreign kits.
#include "formats/ForeignKit.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace padsmith::formats {

// The text of a file an SFZ file #includes; nothing when it cannot be read.
using SfzIncludeLoader = std::function<std::optional<std::string>(const std::filesystem::path&)>;

// How far #include and #define may grow a text before it is refused as no real instrument.
struct SfzLimits {
    std::size_t expandedBytes = std::size_t{64} << 20; // the whole text, expanded
    std::size_t definedBytes = std::size_t{64} << 10;  // one #define's value
    int includeDepth = 16;
};

// Reads the text of the SFZ file `file`: <control> (default_path, octave_offset, note_offset),
// <global>, <master>, <group> and <region> with their inheritance, #define and #include (paths
// relative to the folder of `file`). Regions become instruments by key, in key order: a region
// over a key range plays on its pitch_keycenter (else lokey) and keeps the range. Alternates
// (seq_position of seq_length, lorand/hirand) keep the first, or share the velocity window.
// Opcodes a kit cannot hold are named in the notes. Nothing (and `error` set) when the text
// holds no region with a sample.
std::optional<ForeignKit> parseSfz(std::string_view text, const std::filesystem::path& file,
                                   const ReadOptions& options, const SfzIncludeLoader& loader,
                                   std::string& error, const SfzLimits& limits = {});

std::optional<ForeignKit> readSfz(const std::filesystem::path& path, const ReadOptions& options,
                                  std::string& error);

// An SFZ note: a number, or a name where c4 is 60 ("c#4", "Db4", "c-1" is 0). Nothing for
// anything else or a note outside 0..127.
std::optional<int> sfzNote(std::string_view text);

} // namespace padsmith::formats
