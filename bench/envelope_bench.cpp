// SPDX-License-Identifier: GPL-3.0-or-later
// The facts the waveform is drawn from (peak envelope, level, silence and clipping) of a 100 MB
// sample, against the floor of reading the same file into memory.
//   scripts/bench.sh envelope_bench
#include "BenchSamples.h"
#include "audio/AudioFile.h"
#include "audio/SampleFacts.h"
#include "audio/SampleFiles.h"
#include "platform/Files.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

namespace {

using namespace padsmith;

const std::filesystem::path& sampleFile() {
    // 100 MB of 16-bit stereo at 44.1 kHz: about 10 minutes.
    static const std::filesystem::path path =
        bench::writeSineFile("padsmith-envelope-bench.wav", 100, 44100, 16);
    return path;
}

void readFileIntoMemory(benchmark::State& state) {
    bench::readIntoMemory(state, sampleFile());
}
BENCHMARK(readFileIntoMemory)->Name("measureSample_floor")->Unit(benchmark::kMillisecond);

void measure(benchmark::State& state) {
    for (auto _ : state) {
        const SampleFacts facts = measureSample(sampleFile());
        benchmark::DoNotOptimize(facts.envelope.data());
    }
}
BENCHMARK(measure)->Name("measureSample")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
