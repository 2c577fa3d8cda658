// SPDX-License-Identifier: GPL-3.0-or-later
// Drumkit files come from anywhere: the reader must survive any bytes, and the windows and
// gains it gives must stay within a kit's ranges, in ascending order.
#include "formats/hydrogen/HydrogenReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto keys :
         {padsmith::formats::KeyChoice::Index, padsmith::formats::KeyChoice::OutputNote}) {
        std::string error;
        const auto kit = padsmith::formats::parseHydrogenDrumkit(
            text, "/fuzz", {keys, padsmith::formats::AlternateChoice::Interleave}, error);
        if (!kit) {
            continue;
        }
        for (const auto& instrument : kit->instruments) {
            int previousLow = 1;
            for (const auto& layer : instrument.layers) {
                if (layer.velocityLow < previousLow || layer.velocityLow > layer.velocityHigh ||
                    layer.velocityHigh > 127 || !(layer.gainLeft >= 0.0) ||
                    !(layer.gainRight >= 0.0)) {
                    std::abort();
                }
                previousLow = layer.velocityLow;
            }
        }
    }
    return 0;
}
