// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"
#include "kit/InstrumentText.h"
#include "kit/KitScript.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace padsmith {

class SampleFinder;

// Writes pad `padIndex` of `kit` to the instrument file `path`, its texts in `page`. The pad's
// zones take its label as their pad name first, as a save does. The file is replaced only when
// the whole text was written: false (the old file as it was) when it could not be, or when
// `page` cannot hold one of the pad's texts (findUnheldTexts names it).
bool exportInstrument(KitDocument& kit, int padIndex, const std::filesystem::path& path,
                      const CodePage& page);

// What an import brought into a pad.
struct InstrumentImport {
    bool opened = false;       // false: the file could not be read, nothing was imported
    InstrumentContent content; // what the file held and how far it could be read
    std::size_t imported = 0;  // zones appended to the pad
    // The user named no folder to search a missing sample in: that zone and the ones after
    // it were left out.
    bool searchDeclined = false;
    // Zones left out, each as "sample name: why": a source path a kit script cannot record, or
    // a sample name the name rule refuses or another sample has, while the source's file name
    // is no better.
    std::vector<std::string> refused;
};

// Appends the zones of the instrument file `path` to `pad`, which is pad `padIndex` of its
// kit, after the zones it has. Each source path goes through `finder` as when a kit is read
// (found unchanged, found elsewhere by name, or marked missing); the search folder is left as
// it is afterwards. The zones take the pad's number; an empty pad takes the name of the first
// zone as its label, a pad with zones keeps its own. A file read only in part brings the
// zones before the line that stopped it. The file is read in `page`, or as UTF-8 (see
// decodeFileText). A sample name that the name rule refuses, or that another sample of `kit`
// (or of the pad) already has, is replaced by the source's file name when that passes and is
// free; otherwise, and when the source path does not fit a kit script, the zone is left out
// (see `refused`). `pad` may be pad `padIndex` of `kit` itself or a copy of it.
InstrumentImport importInstrument(const KitDocument& kit, Pad& pad, int padIndex,
                                  const std::filesystem::path& path, SampleFinder& finder,
                                  const CodePage& page);

// The file name "Save Instrument as kit" gives the pad: the kit name, a blank, the pad's name
// and ".txt", separators, commas and line breaks turned into blanks and the ends trimmed, so
// the file always lies directly in the plug-in folder. Empty when what is left of the name is
// empty, "." or "..".
std::optional<std::string> padKitFileName(const std::string& kitName, const std::string& padName);

enum class PadKitResult {
    Written,
    EmptyPad, // the pad has no zones: nothing to write
    BadName,  // the names give no usable file name
    Exists,   // a file of that name is there and may not be replaced
    Failed,   // the file could not be written; an old one stays as it was
    Unheld,   // the code page cannot hold a text of the kit's header or of the pad
};

// "Save Instrument as kit": writes pad `padIndex` as a kit script of its own into the plug-in
// folder of `location` (formatPadKitScript) in its code page, under padKitFileName. The new
// kit's header names it and a sample folder of its own (the shared folder when samples are
// shared), and the pad's samples are copied there from their sources (or, for a source that is
// missing, from the kit's sample folder), so the pad kit plays on its own. The pad's zones take
// its label as their pad name, as a save does. An existing file is replaced only with
// `replace`. The kit keeps its path, name and saved state. `target` receives the file's path
// whenever a name could be made; `notCopied` the samples that did not reach the folder.
PadKitResult savePadAsKit(KitDocument& kit, int padIndex, const KitLocation& location, bool replace,
                          std::filesystem::path* target = nullptr,
                          std::vector<std::string>* notCopied = nullptr);

} // namespace padsmith
