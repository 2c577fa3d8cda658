// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the sample reader: it must never crash, read out of bounds or
// allocate more than the input justifies, and what it hands to the player must be sound.
#include "audio/AudioFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::ostringstream diagnostics;
    const padsmith::PlayableSample sample = padsmith::decodeSample(file, diagnostics);
    const padsmith::SampleFormat& format = sample.format;
    const bool sound = sample.infoText.size() <= 256 && (sample.readable || sample.data.empty()) &&
                       (sample.data.empty() ||
                        (format.formatTag == padsmith::kFormatPcm && format.bitsPerSample == 16 &&
                         format.channels != 0 && sample.data.size() % (2U * format.channels) == 0 &&
                         sample.data.size() <= 2 * size));
    if (!sound) {
        __builtin_trap();
    }

    // Streaming finds the data from the file's first bytes: where it finds it, converting that
    // data gives exactly what the whole read gave.
    const std::size_t headSize = size == 0 ? 0 : std::min<std::size_t>(size, size / 2 + data[0]);
    std::ostringstream quiet;
    if (const auto layout = padsmith::locateSampleData(file.substr(0, headSize), size, quiet)) {
        padsmith::SampleBuffer stored(file.substr(std::min(layout->offset, size), layout->length));
        const padsmith::SampleFormat converted = padsmith::convertToPlayable(*layout, stored);
        if (!sample.readable || stored != sample.data ||
            (!stored.empty() && !(converted == format))) {
            __builtin_trap();
        }
    }

    padsmith::SampleFormat raw;
    padsmith::SampleBuffer bytes;
    if (padsmith::parseWave(file, raw, bytes) ||
        padsmith::parseAiff(file, raw, bytes, diagnostics)) {
        if (bytes.size() > size) {
            __builtin_trap();
        }
    }
    return 0;
}
