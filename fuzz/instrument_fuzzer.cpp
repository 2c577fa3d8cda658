// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument files come from anywhere: the reader must survive any bytes, and what it reads
// must write out to a text that reads back to the same text.
#include "kit/InstrumentText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

padsmith::Pad padFrom(const padsmith::InstrumentContent& content) {
    padsmith::Pad pad;
    for (const padsmith::SampleZone& zone : content.zones) {
        pad.append(zone);
    }
    if (!pad.empty()) {
        pad.label = pad.at(0).padName;
    }
    return pad;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const padsmith::InstrumentContent content = padsmith::parseInstrument(text);
    if (!content.complete && padsmith::describeIncompleteRead(content, "x.zvi").empty()) {
        std::abort();
    }
    const std::string first = padsmith::formatInstrument(padFrom(content), 4);
    const padsmith::InstrumentContent again = padsmith::parseInstrument(first);
    if (!again.complete || again.zones.size() != content.zones.size()) {
        std::abort();
    }
    if (padsmith::formatInstrument(padFrom(again), 4) != first) {
        std::abort();
    }
    return 0;
}
