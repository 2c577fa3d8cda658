// SPDX-License-Identifier: GPL-3.0-or-later
// The kit's health check against the floor of reading the kit script it checks.
//
// Kits of takes, at 4,500, 9,000 and 18,000 zones: 18 pads, each a folder of takes of one drum
// (its zones on one key, their windows spread as a dropped folder spreads them, so most takes
// share a window with others and never play), every sample missing. In one kind every pad has
// a key of its own; in the other six pads share each key, so every overlap of their windows is
// a double note: the findings grow with the pairs, faster than the kit.
// Without audio: a 9,000-zone kit (18 pads of 500 zones; keys in layers of velocity windows,
// some takes sharing a window, so zones that never play are found too) checked with one stat
// per sample, against reading the same kit, which stats each sample as well. With audio: the
// 200-zone kit of a demo-sized library, its sample facts measured (files in the page cache),
// against reading that kit. The files are made once in the temporary folder.
// As the user meets them: `padsmith-kit check` of each kit of takes against `padsmith-kit show`
// of it, whole processes, in processor time, with each one's peak memory.
#include "ProcessCost.h"
#include "audio/SampleSounds.h"
#include "kit/KitHealth.h"
#include "kit/KitHost.h"
#include "kit/KitScript.h"
#include "kit/LayerOrder.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace padsmith;

// A 16-bit mono WAVE file of `frames` frames of a decaying noise-like wave.
std::string waveBytes(int frames, double level) {
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double value = level * 32767.0 * std::sin(i * 0.37) * std::exp(-i / 20000.0);
        const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
        data.push_back(static_cast<char>(sample & 0xFFU));
        data.push_back(static_cast<char>(sample >> 8));
    }
    const auto le32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v & 0xFFU), static_cast<char>(v >> 8 & 0xFFU),
                           static_cast<char>(v >> 16 & 0xFFU), static_cast<char>(v >> 24)};
    };
    std::string out = "RIFF" + le32(static_cast<std::uint32_t>(36 + data.size())) + "WAVEfmt ";
    out += le32(16) + std::string("\x01\x00\x01\x00", 4) + le32(44100) + le32(88200);
    out +=
        std::string("\x02\x00\x10\x00", 4) + "data" + le32(static_cast<std::uint32_t>(data.size()));
    return out + data;
}

constexpr int kLayers = 20;

// A kit of `pads` pads of `zonesPerPad` zones, each playing a file of its own.
fs::path makeKit(const std::string& name, int pads, int zonesPerPad, int frames) {
    const fs::path folder = fs::temp_directory_path() / ("padsmith-health-" + name);
    const fs::path script = folder / (name + ".txt");
    if (fs::exists(folder / ".complete")) {
        return script;
    }
    fs::remove_all(folder);
    fs::create_directories(folder / "library");
    KitDocument kit;
    for (int p = 0; p < pads; ++p) {
        Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        pad.label = "PAD" + std::to_string(p + 1);
        for (int z = 0; z < zonesPerPad; ++z) {
            SampleZone zone;
            zone.padNumber = p + 1;
            // Each pad its own keys; the zones of a key in layers of velocity windows, and
            // when the pad has more zones than layers, second takes of the same windows.
            const int keys = std::max(1, std::min(7, zonesPerPad / kLayers));
            zone.key = (36 + p * keys + z % keys) % 128;
            const int layer = z / keys % kLayers;
            zone.velocityLow = 1 + layer * 127 / kLayers;
            zone.velocityHigh = (layer + 1) * 127 / kLayers;
            zone.sampleName = "s" + std::to_string(p) + "-" + std::to_string(z) + ".wav";
            zone.sourcePath = (folder / "library" / zone.sampleName).string();
            std::ofstream(zone.sourcePath, std::ios::binary)
                << waveBytes(frames, 0.05 + 0.9 * layer / kLayers);
            pad.append(zone);
        }
    }
    std::ofstream(script, std::ios::binary) << formatKitScript(kit);
    std::ofstream(folder / ".complete") << "ok";
    return script;
}

// 18 pads of takes, `zones` in all, none of their files on disk; `padsPerKey` pads share a key.
fs::path makeTakesKit(int zones, int padsPerKey) {
    const std::string name = "takes-" + std::to_string(zones) + "-" + std::to_string(padsPerKey);
    const fs::path folder = fs::temp_directory_path() / ("padsmith-health-" + name);
    const fs::path script = folder / (name + ".txt");
    if (fs::exists(script)) {
        return script;
    }
    fs::create_directories(folder);
    KitDocument kit;
    const int perPad = zones / kPadCount;
    const std::vector<std::pair<int, int>> windows = layerWindows(static_cast<std::size_t>(perPad));
    for (int p = 0; p < kPadCount; ++p) {
        Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        pad.label = "TAKES" + std::to_string(p + 1);
        for (int z = 0; z < perPad; ++z) {
            SampleZone zone;
            zone.padNumber = p + 1;
            zone.key = 36 + p / padsPerKey;
            zone.velocityLow = windows[static_cast<std::size_t>(z)].first;
            zone.velocityHigh = windows[static_cast<std::size_t>(z)].second;
            zone.sampleName = "t" + std::to_string(p) + "-" + std::to_string(z) + ".wav";
            zone.sourcePath = (folder / "gone" / zone.sampleName).string();
            pad.append(zone);
        }
    }
    std::ofstream(script.string() + ".part", std::ios::binary) << formatKitScript(kit);
    fs::rename(script.string() + ".part", script);
    return script;
}

KitDocument readKit(const fs::path& script) {
    KitDocument kit;
    KitHost host;
    SampleFinder finder(host);
    finder.setAskForFolder(false);
    if (!readKitScript(kit, script, KitLocation{}, host, finder)) {
        std::abort();
    }
    return kit;
}

const fs::path& bigKit() {
    static const fs::path path = makeKit("9000", 18, 500, 8);
    return path;
}
const fs::path& demoKit() {
    static const fs::path path = makeKit("demo", 10, 20, 44100 / 2);
    return path;
}

void checkBigKitWithoutAudio(benchmark::State& state) {
    const KitDocument kit = readKit(bigKit());
    for (auto _ : state) {
        HealthInputs inputs;
        benchmark::DoNotOptimize(checkKitHealth(kit, inputs).size());
    }
}
BENCHMARK(checkBigKitWithoutAudio)->Unit(benchmark::kMillisecond);

void checkBigKitWithoutAudio_floor(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(readKit(bigKit()).pads[0].size());
    }
}
BENCHMARK(checkBigKitWithoutAudio_floor)->Unit(benchmark::kMillisecond);

// As `padsmith-kit check` does it: the sounds of the samples that are there (none), then the
// check, against reading the kit.
void checkTakesKit(benchmark::State& state) {
    const fs::path script =
        makeTakesKit(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const KitDocument kit = readKit(script);
    for (auto _ : state) {
        const SoundTable sounds = soundsOfKit(kit, [](const std::string&) { return nullptr; });
        HealthInputs inputs;
        inputs.sounds = lookupIn(sounds);
        benchmark::DoNotOptimize(checkKitHealth(kit, inputs).size());
    }
}
BENCHMARK(checkTakesKit)->ArgsProduct({{4500, 9000, 18000}, {1, 6}})->Unit(benchmark::kMillisecond);

void checkTakesKit_floor(benchmark::State& state) {
    const fs::path script =
        makeTakesKit(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(readKit(script).pads[0].size());
    }
}
BENCHMARK(checkTakesKit_floor)
    ->ArgsProduct({{4500, 9000, 18000}, {1, 6}})
    ->Unit(benchmark::kMillisecond);

void checkCommand(benchmark::State& state) {
    const fs::path script =
        makeTakesKit(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    bench::timeProcess(state, {PADSMITH_KIT_TOOL, "check", script.string()});
}
BENCHMARK(checkCommand)
    ->ArgsProduct({{4500, 9000, 18000}, {1, 6}})
    ->UseManualTime()
    ->ComputeStatistics("min", bench::fastest)
    ->Unit(benchmark::kMillisecond);

void checkCommand_floor(benchmark::State& state) {
    const fs::path script =
        makeTakesKit(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    bench::timeProcess(state, {PADSMITH_KIT_TOOL, "show", script.string()});
}
BENCHMARK(checkCommand_floor)
    ->ArgsProduct({{4500, 9000, 18000}, {1, 6}})
    ->UseManualTime()
    ->ComputeStatistics("min", bench::fastest)
    ->Unit(benchmark::kMillisecond);

void checkDemoKitWithAudio(benchmark::State& state) {
    const KitDocument kit = readKit(demoKit());
    for (auto _ : state) {
        // Facts measured afresh each time: a kit just opened.
        SampleFactsCache cache;
        const SoundTable sounds =
            soundsOfKit(kit, [&cache](const std::string& path) { return cache.measure(path); });
        HealthInputs inputs;
        inputs.sounds = lookupIn(sounds);
        benchmark::DoNotOptimize(checkKitHealth(kit, inputs).size());
    }
}
BENCHMARK(checkDemoKitWithAudio)->Unit(benchmark::kMillisecond);

void checkDemoKitWithAudio_floor(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(readKit(demoKit()).pads[0].size());
    }
}
BENCHMARK(checkDemoKitWithAudio_floor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
