// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Kits of other samplers in and out: which kind a path names, reading one into a foreign kit,
// and mapping a foreign kit onto a kit with a report of what could not be carried over.
#include "formats/ForeignKit.h"
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

// Moves the files below `workFolder` that the kit's zones play (decoded copies, samples of an
// unpacked archive, renamed sources) into `keepFolder`, in the same places below it, and points
// the zones at them: a kit whose sources are kept there outlives the work folder. A file of the
// same size already there (an earlier conversion) is taken as it is. False, with the reason in
// `error`, when one cannot be moved; the zones still play what was kept before it.
bool keepSources(KitDocument& kit, const std::filesystem::path& workFolder,
                 const std::filesystem::path& keepFolder, std::string& error);

// A new folder of its own for one conversion's decoded and unpacked files, in `cacheFolder`.
std::filesystem::path conversionFolder(const std::filesystem::path& cacheFolder);

// The folder in `cacheFolder` that holds the decoded copies of samples dropped on the window,
// one for all drops: a save moves what its kit plays into the kit's sample folder (as it does
// with an import's conversion folder).
std::filesystem::path droppedSamplesFolder(const std::filesystem::path& cacheFolder);

// Removes every file below `workFolder` that no zone of the kit plays, and the folder itself
// when nothing is left.
void keepOnly(const KitDocument& kit, const std::filesystem::path& workFolder);

// The volume step (0.25 to 8.0) nearest a gain factor in decibels (20 log10 of the factor).
float nearestVolumeStep(double gain);

} // namespace padsmith::formats
