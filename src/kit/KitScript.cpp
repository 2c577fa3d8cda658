#include "kit/KitScript.h"

#include "kit/ScriptText.h"

#include <cstdint>

namespace padsmith {

namespace {

enum class LineResult { Zone, End, Broken };

// "%2d,%3d,%2d,%3d, %[^,], %[^,],\t\t%3d,%3d,%3d,%3d,%f,%f,%3d,%3d, \n"
LineResult readZoneLine(TextScanner& in, SampleZone& zone) {
    if (!in.integer(2, zone.padNumber)) {
        return LineResult::Broken;
    }
    if (zone.padNumber < 0) {
        return LineResult::End;
    }
    const bool ok = readZoneFields(in, zone);
    if (!ok) {
        return LineResult::Broken;
    }
    if (in.literal(',')) {
        in.skipBlanks();
    }
    return LineResult::Zone;
}

// "%2d, %[^,], \n"
LineResult readPathLine(TextScanner& in, int& padNumber, std::string& path) {
    std::int32_t number = 0;
    if (!in.integer(2, number)) {
        return LineResult::Broken;
    }
    padNumber = number;
    if (number < 0) {
        return LineResult::End;
    }
    if (!in.literal(',') || !in.textField(kTextMax, path)) {
        return LineResult::Broken;
    }
    return LineResult::Zone;
}

bool onPad(int padNumber) {
    return padNumber >= 1 && padNumber <= kPadCount;
}

} // namespace

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

std::optional<KitScriptContent> parseKitScript(std::string_view text) {
    TextScanner in(text);
    KitScriptContent content;
    if (!in.textField(kTextMax, content.formatTag) || content.formatTag != kFormatTag) {
        return std::nullopt;
    }
    // A header that breaks off leaves an empty kit.
    if (!in.textField(kTextMax, content.kitName) || !in.textField(kTextMax, content.sampleFolder) ||
        !in.textField(kTextMax, content.copyright)) {
        return content;
    }

    // The scratch zone carries the pad number and key range from line to line, as the
    // plug-in's reader does.
    SampleZone scratch;
    for (;;) {
        resetZone(scratch);
        const LineResult line = readZoneLine(in, scratch);
        if (line == LineResult::End) {
            break;
        }
        if (line == LineResult::Broken) {
            // Without its end mark the zone section cannot be told from the path section:
            // keep the zones read so far and no paths.
            return content;
        }
        scratch.sourcePath = kUnknownSource;
        if (onPad(scratch.padNumber)) {
            content.zones.push_back(scratch);
        } else {
            content.otherPadSamples.push_back(scratch.sampleName);
        }
    }

    int previousPad = -1;
    int zoneIndex = 0;
    for (;;) {
        int padNumber = 0;
        std::string path;
        if (readPathLine(in, padNumber, path) != LineResult::Zone) {
            break;
        }
        if (!onPad(padNumber)) {
            continue;
        }
        if (padNumber != previousPad) {
            zoneIndex = 0;
            previousPad = padNumber;
        }
        content.paths.push_back({padNumber, std::move(path), zoneIndex});
        ++zoneIndex;
    }
    return content;
}

std::string kitNameFromPath(const std::filesystem::path& path) {
    std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    // A name that is only an extension (".txt") keeps it: an empty kit name would make the
    // plug-in folder itself the kit's sample folder.
    if (dot != std::string::npos && dot > 0 && name.size() > 1) {
        name.resize(dot);
    }
    return name;
}

} // namespace padsmith
