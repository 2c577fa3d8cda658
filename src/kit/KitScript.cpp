// The kit script text as the writer makes it; the reader is in KitScriptReader.cpp.
#include "kit/KitScript.h"

#include "kit/ScriptText.h"

namespace padsmith {

std::string formatKitScript(const KitDocument& kit) {
    std::string out;
    out.reserve(4096);
    appendKitHeader(out, kit.kitName, kit.sampleFolder, kit.copyright);

    // Pad numbers come from the pad a zone sits in, so a zone whose number was not yet
    // refreshed (moved between pads) is still read back into the right pad.
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (const SampleZone& zone : pad) {
            appendZoneFields(out, p + 1, pad.label, zone, GainDecimals::Two);
            out += kLineEnd;
        }
    }
    appendSectionEnd(out);

    for (int p = 0; p < kPadCount; ++p) {
        for (const SampleZone& zone : kit.pads[static_cast<std::size_t>(p)]) {
            appendNumber(out, p + 1, 2);
            out += ',';
            out += fieldText(zone.sourcePath, kTextMax, kUnknownSource);
            out += ',';
            out += kLineEnd;
        }
    }
    appendSectionEnd(out);
    out += kScriptSignature;
    return out;
}

} // namespace padsmith
