// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sample files the audio benchmarks play and measure, and the floor they are held against.
#include "audio/AudioFile.h"
#include "audio/SampleFiles.h"
#include "platform/Files.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <string>

namespace padsmith::bench {

// A 440 Hz sine as a stereo WAVE file of about `megabytes` MB, in the temporary folder under
// `name`. Made anew on every call: keep the path.
inline std::filesystem::path writeSineFile(const std::string& name, int megabytes,
                                           std::uint32_t rate, std::uint16_t bits) {
    const auto file = std::filesystem::temp_directory_path() / name;
    const double frameBytes = 2.0 * bits / 8;
    const double seconds = megabytes * 1000.0 * 1000.0 / (rate * frameBytes);
    testing::writeFile(file, testing::waveFile(kFormatPcm, 2, rate, bits,
                                               testing::sineData(440, seconds, rate, 2, bits)));
    return file;
}

// The floor of every sample benchmark: the file's bytes read into memory, nothing else.
inline void readIntoMemory(benchmark::State& state, const std::filesystem::path& file) {
    std::string bytes;
    for (auto _ : state) {
        readWholeFile(file, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}

} // namespace padsmith::bench
