// SPDX-License-Identifier: GPL-3.0-or-later
// The kit script text as the writer makes it; the reader is in KitScriptReader.cpp.
#include "kit/KitScript.h"

#include "kit/ScriptText.h"

namespace padsmith {

// Pad numbers come from the pad a zone sits in, so a zone whose number was not yet refreshed
// (moved between pads) is still read back into the right pad.
void appendZoneLines(std::string& out, const Pad& pad, int padIndex) {
    for (const SampleZone& zone : pad) {
        appendZoneFields(out, padIndex + 1, pad.label, zone, GainDecimals::Two);
        out += kLineEnd;
    }
}

void appendPathLines(std::string& out, const Pad& pad, int padIndex) {
    for (const SampleZone& zone : pad) {
        appendNumber(out, padIndex + 1, 2);
        out += ',';
        out += fieldText(zone.sourcePath, kTextMax, kUnknownSource);
        out += ',';
        out += kLineEnd;
    }
}

std::string formatKitScript(const KitDocument& kit) {
    std::string out;
    out.reserve(4096);
    appendKitHeader(out, kit.kitName, kit.sampleFolder, kit.copyright);
    for (int p = 0; p < kPadCount; ++p) {
        appendZoneLines(out, kit.pads[static_cast<std::size_t>(p)], p);
    }
    appendSectionEnd(out);
    for (int p = 0; p < kPadCount; ++p) {
        appendPathLines(out, kit.pads[static_cast<std::size_t>(p)], p);
    }
    appendSectionEnd(out);
    out += kScriptSignature;
    return out;
}

} // namespace padsmith
