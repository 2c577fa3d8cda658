// SPDX-License-Identifier: GPL-3.0-or-later
// SFZ files come from anywhere: the reader must survive any text, including #include and
// #define, and what it reads must stay within a kit's ranges.
#include "formats/sfz/SfzReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Every included file holds a region and includes itself: nesting and loops are exercised
    // without the input multiplying itself at every level.
    const padsmith::formats::SfzIncludeLoader loader =
        [](const std::filesystem::path&) -> std::optional<std::string> {
        return std::string("<region> sample=included.wav key=40\n#include \"again.sfz\"\n");
    };
    for (const auto alternates : {padsmith::formats::AlternateChoice::First,
                                  padsmith::formats::AlternateChoice::Interleave}) {
        std::string error;
        const auto kit = padsmith::formats::parseSfz(
            text, "/fuzz/kit.sfz", {padsmith::formats::KeyChoice::Index, alternates}, loader,
            error);
        if (!kit) {
            continue;
        }
        for (const auto& instrument : kit->instruments) {
            if (instrument.key < 0 || instrument.key > 127 || instrument.layers.empty()) {
                std::abort();
            }
            for (const auto& layer : instrument.layers) {
                if (layer.velocityLow < 1 || layer.velocityLow > layer.velocityHigh ||
                    layer.velocityHigh > 127 || !(layer.gainLeft >= 0.0) ||
                    !(layer.gainRight >= 0.0)) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
