// SPDX-License-Identifier: GPL-3.0-or-later
// Kit scripts come from anywhere: the parser must survive any bytes, and what it reads must
// write out to a text that reads back to the same text. Every byte read in a code page must
// write back as itself, and so must a script patched for a command that changed no pad.
#include "kit/CodePage.h"
#include "kit/KitScript.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

padsmith::KitDocument kitFrom(const padsmith::KitScriptContent& content) {
    padsmith::KitDocument kit;
    kit.kitName = content.kitName;
    kit.sampleFolder = content.sampleFolder;
    kit.copyright = content.copyright;
    for (const padsmith::SampleZone& zone : content.zones) {
        padsmith::Pad& pad = kit.pads.at(static_cast<std::size_t>(zone.padNumber - 1));
        pad.append(zone);
        pad.label = zone.padName;
    }
    for (const auto& line : content.paths) {
        padsmith::Pad& pad = kit.pads.at(static_cast<std::size_t>(line.padNumber - 1));
        if (line.zoneIndex >= 0 && static_cast<std::size_t>(line.zoneIndex) < pad.size()) {
            pad.at(static_cast<std::size_t>(line.zoneIndex)).sourcePath = line.path;
        }
    }
    return kit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const padsmith::CodePage page;
    if (page.encode(page.decode(bytes)).bytes != bytes) {
        std::abort();
    }
    const std::string text = padsmith::decodeFileText(bytes, page);
    if (!padsmith::isValidUtf8(text)) {
        std::abort();
    }
    const auto content = padsmith::parseKitScript(text);
    if (!content) {
        return 0;
    }
    const padsmith::KitDocument read = kitFrom(*content);
    if (const auto kept = padsmith::patchKitScript(bytes, read, {}, page); kept && *kept != bytes) {
        std::abort();
    }
    (void)padsmith::patchKitScript(bytes, read, {0, static_cast<int>(size % 18)}, page);
    const std::string first = padsmith::formatKitScript(kitFrom(*content));
    if (!padsmith::isValidUtf8(first)) {
        std::abort();
    }
    // What the code page can hold comes back the same when read in it.
    if (const auto encoded = page.encode(first);
        encoded.ok() && page.decode(encoded.bytes) != first) {
        std::abort();
    }
    const auto again = padsmith::parseKitScript(first);
    if (!again) {
        std::abort();
    }
    if (padsmith::formatKitScript(kitFrom(*again)) != first) {
        std::abort();
    }
    return 0;
}
