// SPDX-License-Identifier: GPL-3.0-or-later
// Converting a 500-sample SFZ drum library into an installed kit, against the floor of copying
// the library's files once with cp.
//
// The library is 18 keys of 28 velocity layers (504 WAV files of 64 KiB, 16-bit stereo) in a
// folder per key, made once in the temporary folder and kept for later runs. Nothing needs
// decoding, so the conversion is reading the SFZ, checking each sample, writing the kit script
// and copying every sample into the plug-in folder.
#include "formats/Convert.h"
#include "kit/KitHost.h"
#include "kit/KitSave.h"
#include "kit/KitScript.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace padsmith;

constexpr int kKeys = 18;
constexpr int kLayers = 28;
constexpr std::uint32_t kDataBytes = 64 * 1024;

void putLe(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>(value >> (8 * i) & 0xFFU));
    }
}

void writeWave(const fs::path& path, int seed) {
    std::ofstream out(path, std::ios::binary);
    out << "RIFF";
    putLe(out, 36 + kDataBytes, 4);
    out << "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, 2, 2);
    putLe(out, 44100, 4);
    putLe(out, 44100 * 4, 4);
    putLe(out, 4, 2);
    putLe(out, 16, 2);
    out << "data";
    putLe(out, kDataBytes, 4);
    const std::string data(kDataBytes, static_cast<char>(seed));
    out << data;
}

const fs::path& library() {
    static const fs::path root = [] {
        const fs::path folder = fs::temp_directory_path() / "padsmith-convert-library-504";
        if (fs::exists(folder / ".complete")) {
            return folder;
        }
        fs::remove_all(folder);
        std::string sfz;
        for (int k = 0; k < kKeys; ++k) {
            const std::string part = "drum " + std::to_string(k);
            fs::create_directories(folder / part);
            sfz += "<group> group_label=Drum " + std::to_string(k) +
                   " key=" + std::to_string(36 + k) + "\n";
            for (int v = 0; v < kLayers; ++v) {
                const std::string name =
                    "drum " + std::to_string(k) + " v" + std::to_string(v) + ".wav";
                writeWave(folder / part / name, k * kLayers + v);
                const int low = 1 + v * 127 / kLayers;
                const int high = (v + 1) * 127 / kLayers;
                sfz += "<region> sample=" + part + "/" + name + " lovel=" + std::to_string(low) +
                       " hivel=" + std::to_string(high) + "\n";
            }
        }
        std::ofstream(folder / "library.sfz") << sfz;
        std::ofstream(folder / ".complete") << "ok";
        return folder;
    }();
    return root;
}

fs::path scratch() {
    return fs::temp_directory_path() / "padsmith-convert-bench-target";
}

void convert(benchmark::State& state) {
    const fs::path source = library() / "library.sfz";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(scratch());
        fs::create_directories(scratch() / "Zarvo");
        state.ResumeTiming();
        std::string error;
        const auto foreign = formats::readForeignKit(source, {}, scratch() / "cache", error);
        auto conversion = formats::convertToKit(*foreign, scratch() / "cache");
        KitLocation location;
        location.pluginFolder = scratch() / "Zarvo";
        if (!saveKit(conversion->kit, scratch() / "Zarvo" / "Library.txt", location).saved()) {
            state.SkipWithError("the kit was not written");
        }
    }
}

void convert_floor(benchmark::State& state) {
    const std::string command =
        "cp -r '" + library().string() + "' '" + (scratch() / "copy").string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(scratch());
        fs::create_directories(scratch());
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cp failed");
        }
    }
}

} // namespace

BENCHMARK(convert)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(convert_floor)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
