// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering a two-minute groove through a 100-zone kit offline, as padsmith-kit render does:
// the groove read and timed, every sample read and converted, the mix, the 24-bit WAVE file.
// The floor is the budget: a hundredth of the groove's length, so a ratio under 1 means the
// render runs more than 100 times faster than real time.
//   scripts/bench.sh render_bench
#include "audio/AudioFile.h"
#include "audio/GrooveRender.h"
#include "audio/MidiFile.h"
#include "audio/MidiFiles.h"
#include "audio/SampleFiles.h"
#include "platform/Files.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

using namespace padsmith;
namespace fs = std::filesystem;

constexpr double kGrooveSeconds = 120.0;
constexpr int kBeatsPerMinute = 120;
constexpr int kTicks = 480;

// Ten pads on General MIDI drum keys 35 to 44, ten velocity layers each: 100 zones. Samples of
// 0.15 to 1.5 s at 44.1 kHz, mono and stereo, so every voice goes through the converter to
// 48 kHz.
struct BenchKit {
    fs::path folder;
    KitDocument kit;
};

const BenchKit& benchKit() {
    static const BenchKit kit = [] {
        BenchKit bench;
        bench.folder = fs::temp_directory_path() / "padsmith-render-bench";
        fs::create_directories(bench.folder);
        constexpr int kPads = 10;
        constexpr int kLayers = 10;
        for (int pad = 0; pad < kPads; ++pad) {
            for (int layer = 0; layer < kLayers; ++layer) {
                const int number = pad * kLayers + layer;
                const fs::path path = bench.folder / ("zone" + std::to_string(number) + ".wav");
                const double seconds = 0.15 + 0.05 * ((pad * 7 + layer) % 28);
                const std::uint16_t channels = number % 2 == 0 ? 1 : 2;
                testing::writeFile(path,
                                   testing::waveFile(kFormatPcm, channels, 44100, 16,
                                                     testing::sineData(80.0 + 40.0 * pad, seconds,
                                                                       44100, channels, 16, 0.3)));
                SampleZone zone;
                zone.padNumber = pad + 1;
                zone.key = 35 + pad;
                zone.velocityLow = 1 + layer * 127 / kLayers;
                zone.velocityHigh = (layer + 1) * 127 / kLayers;
                zone.sourcePath = path.string();
                zone.sampleName = path.filename().string();
                bench.kit.pads[static_cast<std::size_t>(pad)].append(zone);
            }
        }
        return bench;
    }();
    return kit;
}

// Two minutes at 120: sixteenth hats, kick and snare, and a tom on every beat, with
// velocities that walk through the layers.
const fs::path& grooveFile() {
    static const fs::path path = [] {
        std::string events = testing::tempoEvent(0, 60'000'000 / kBeatsPerMinute);
        const int sixteenths = static_cast<int>(kGrooveSeconds * kBeatsPerMinute / 60.0 * 4);
        for (int step = 0; step < sixteenths; ++step) {
            const auto velocity = [step](int offset) {
                return static_cast<unsigned>(20 + (step * 37 + offset) % 108);
            };
            events += testing::event(step == 0 ? 0 : kTicks / 4, {0x99, 42, velocity(0)});
            if (step % 8 == 0) {
                events += testing::event(0, {0x99, 36, velocity(11)});
            }
            if (step % 8 == 4) {
                events += testing::event(0, {0x99, 38, velocity(23)});
            }
            if (step % 4 == 2) {
                events += testing::event(
                    0, {0x99, 41U + static_cast<unsigned>(step / 4 % 4), velocity(5)});
            }
        }
        const fs::path file = benchKit().folder / "groove.mid";
        testing::writeFile(file, testing::midiHeader(0, 1, kTicks) +
                                     testing::midiTrack(events + testing::endOfTrack(kTicks / 4)));
        return file;
    }();
    return path;
}

// The whole render once; its length in seconds.
double renderOnce() {
    const fs::path out = benchKit().folder / "groove.wav";
    const MidiReadResult read = readMidiFile(grooveFile());
    const Groove groove = *timeGroove(*read.file, 48000).groove;
    const Rendering rendering = renderGroove(benchKit().kit, groove, 1);
    std::string error;
    replaceFileContents(out, encodeWave24(rendering.frames, groove.rate, error));
    return static_cast<double>(rendering.frames.size() / 2) / groove.rate;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The render runs on one thread: its processor time is what it takes on a free core, whatever
// else the machine runs meanwhile (the wall time follows below, for a machine at rest).
void render(benchmark::State& state) {
    double seconds = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        seconds = renderOnce();
        state.SetIterationTime(threadSeconds() - start);
    }
    state.counters["groove_seconds"] = seconds;
}
BENCHMARK(render)
    ->Name("renderGroove")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void renderWall(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderOnce());
    }
}
BENCHMARK(renderWall)->Name("renderGroove_wallTime")->Unit(benchmark::kMillisecond)->Iterations(3);

// A hundredth of the groove's length, the time the render may take.
void budget(benchmark::State& state) {
    for (auto _ : state) {
        state.SetIterationTime(kGrooveSeconds / 100.0);
    }
}
BENCHMARK(budget)->Name("renderGroove_floor")->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
