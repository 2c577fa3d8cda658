// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace padsmith::demo {

// Interleaved frames, each value in -1.0 to 1.0.
struct SampleData {
    int sampleRate = 44100;
    int channels = 1;
    std::vector<float> values;
};

// The bytes of a PCM WAVE file, 16 or 24 bits.
std::string wavBytes(const SampleData& data, int bits);
// The bytes of an AIFF file, 16-bit PCM.
std::string aiffBytes(const SampleData& data);

} // namespace padsmith::demo
