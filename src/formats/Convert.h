// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Kits of other samplers in and out: which kind a path names, reading one into a foreign kit,
// and mapping a foreign kit onto a kit with a report of what could not be carried over.
#include "formats/ForeignKit.h"
#include "kit/ConversionFolders.h"
#include "kit/KitDocument.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::formats {

enum class KitKind {
    Unknown,
    KitScript,       // *.txt
    Sfz,             // *.sfz
    HydrogenFolder,  // drumkit.xml, or a folder (that holds one, or that is to be written)
    HydrogenArchive, // *.h2drumkit
};

// The kind of kit an existing path holds, by its name (and, for a folder, its drumkit.xml).
KitKind inputKind(const std::filesystem::path& path);
// The kind of kit to write to `path`: by its extension; drumkit.xml, an existing folder or a
// name without extension is a Hydrogen drumkit folder.
KitKind outputKind(const std::filesystem::path& path);

// Reads an SFZ file, a Hydrogen drumkit (drumkit.xml or its folder) or a .h2drumkit archive
// (unpacked into "unpacked" in `cacheFolder`, within `limits`; entries refused and samples
// named outside it are in the notes). Nothing (and `error` set) when it cannot be read.
std::optional<ForeignKit> readForeignKit(const std::filesystem::path& path,
                                         const ReadOptions& options,
                                         const std::filesystem::path& cacheFolder,
                                         std::string& error, const ArchiveLimits& limits = {});

struct Conversion {
    KitDocument kit;
    // What could not be carried over, one sentence each; the reader's notes first.
    std::vector<std::string> report;
    int zones = 0;
    int decoded = 0; // samples decoded into the cache folder
};

// Maps a foreign kit onto a new kit: its first 18 instruments with samples become pads in
// order (a key another pad took moves to the next free key), each layer a zone with the
// layer's key range (else the key), velocity window and the volume step nearest its gain in
// decibels. Samples the plug-in cannot read are decoded into `cacheFolder` and the zones play
// the decoded copies (with `decode` false nothing is decoded: dry runs). Sample names keep the
// file's own name where the name rule allows, and are made unique within the kit. A missing
// sample stays as a zone with a marked path. The kit counts as new and unsaved. Nothing when
// `progress` stopped it.
std::optional<Conversion> convertToKit(const ForeignKit& foreign,
                                       const std::filesystem::path& cacheFolder, bool decode = true,
                                       const ConvertProgress& progress = {});

// The volume step (0.25 to 8.0) nearest a gain factor in decibels (20 log10 of the factor).
float nearestVolumeStep(double gain);

} // namespace padsmith::formats
