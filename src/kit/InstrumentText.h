// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

// The first line of every instrument file, before its comma. Readers do not examine it.
inline constexpr const char* kInstrumentHeader = "Zarvo Drumkit instrument";

// The whole text of an instrument file holding the zones of `pad`, which is pad `padIndex`
// (0 to 17) of its kit: the header, one line per zone with its source path, the end line "-1",
// an empty line and the signature; CR LF line ends. Each zone line carries the pad's label as
// pad name and the pad's number; gains have one decimal, a half rounded away from zero.
std::string formatInstrument(const Pad& pad, int padIndex);

// What an instrument file holds, as far as it could be read.
struct InstrumentContent {
    std::vector<SampleZone> zones; // file order; texts cut to their fields
    bool complete = false;         // the end line was reached
    int linesRead = 0;             // the header included
    // When not complete: the first line (counted from 1) that could not be read, and its text
    // (cut to a length fit for a message); 0 when the text just ends before its end line.
    int stopLine = 0;
    std::string stopText;
};

// Reads an instrument text with CR LF or LF line ends. The header line is skipped unread and
// blank lines are passed over. Reading stops at the end line, at the end of the text, or at
// the first line that does not scan as a zone line; the zones before it are kept. Never reads
// past the end, whatever the bytes.
InstrumentContent parseInstrument(std::string_view text);

// A sentence for the user saying where the reading of `fileName` stopped; empty when complete.
std::string describeIncompleteRead(const InstrumentContent& content, const std::string& fileName);

// The kit script that "Save Instrument as kit" writes: the kit's strings as they stand,
// the zone lines of pad `padIndex` only (its label as pad name, gains with two decimals), the
// zone terminator and at once the signature, without a path section.
std::string formatPadKitScript(const KitDocument& kit, int padIndex);

} // namespace padsmith
