// SPDX-License-Identifier: GPL-3.0-or-later
// Relinking a kit whose samples moved, against the floor of one `find` over the same library.
//
// The library is 50,000 files in 500 nested folders, made once in the temporary folder and
// kept for later runs. The kit has 200 zones whose recorded paths no longer exist; every sample
// lies somewhere in the library. In the second kind the recorded file names are gone too and
// each zone's sample name (a kit made on Windows: in capitals) leads to its file, which must
// lie outside the plug-in folder.
// As the user meets it: `padsmith-kit relink` of a kit script of those 200 zones against `find`
// over the library, both whole processes, in processor time.
#include "ProcessCost.h"
#include "kit/KitHost.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace padsmith;

constexpr int kTopFolders = 50;
constexpr int kSubFolders = 10;
constexpr int kFilesPerFolder = 100;
constexpr int kZones = 200;

std::string sampleName(int top, int sub, int file) {
    return "sample-" + std::to_string(top) + "-" + std::to_string(sub) + "-" +
           std::to_string(file) + ".wav";
}

const fs::path& library() {
    static const fs::path root = [] {
        const fs::path folder = fs::temp_directory_path() / "padsmith-relink-library-50k";
        const fs::path done = folder / ".complete";
        if (fs::exists(done)) {
            return folder;
        }
        fs::remove_all(folder);
        for (int top = 0; top < kTopFolders; ++top) {
            for (int sub = 0; sub < kSubFolders; ++sub) {
                const fs::path dir =
                    folder / ("drums " + std::to_string(top)) / ("take " + std::to_string(sub));
                fs::create_directories(dir);
                for (int file = 0; file < kFilesPerFolder; ++file) {
                    std::ofstream(dir / sampleName(top, sub, file)) << 'x';
                }
            }
        }
        std::ofstream(done) << "ok";
        return folder;
    }();
    return root;
}

// The kit's recorded paths: spread over the whole library, none of them where it says.
std::vector<std::string> movedSamples() {
    std::vector<std::string> paths;
    for (int i = 0; i < kZones; ++i) {
        const int index = (i * 7919) % (kTopFolders * kSubFolders * kFilesPerFolder);
        const int top = index / (kSubFolders * kFilesPerFolder);
        const int sub = (index / kFilesPerFolder) % kSubFolders;
        paths.push_back("C:\\Old Library\\" + sampleName(top, sub, index % kFilesPerFolder));
    }
    return paths;
}

void relinkMovedKit(benchmark::State& state) {
    const fs::path& root = library();
    const std::vector<std::string> paths = movedSamples();
    KitHost host;
    for (auto _ : state) {
        SampleFinder finder(host);
        finder.setSearchFolder(root);
        int found = 0;
        for (int i = 0; i < kZones; ++i) {
            const auto result =
                finder.findSample(i % 18, i / 18, paths[static_cast<std::size_t>(i)]);
            found += (result && !isMarkedMissing(*result)) ? 1 : 0;
        }
        if (found != kZones) {
            state.SkipWithError("a moved sample was not found");
            break;
        }
    }
}
BENCHMARK(relinkMovedKit)->Unit(benchmark::kMillisecond);

void relinkRenamedKit(benchmark::State& state) {
    const fs::path& root = library();
    const std::vector<std::string> paths = movedSamples();
    KitHost host;
    for (auto _ : state) {
        SampleFinder finder(host);
        finder.setSearchFolder(root);
        finder.setPluginFolder(root / "drums 0");
        int found = 0;
        for (int i = 0; i < kZones; ++i) {
            const std::string& path = paths[static_cast<std::size_t>(i)];
            std::string sampleName = path.substr(path.rfind('\\') + 1);
            std::transform(sampleName.begin(), sampleName.end(), sampleName.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            const auto result = finder.findSample(i % 18, i / 18, path + ".old", sampleName);
            found += (result && !isMarkedMissing(*result)) ? 1 : 0;
        }
        // The samples of the first top folder lie in the plug-in folder: never taken.
        if (found == 0 || found == kZones) {
            state.SkipWithError("the sample names were not followed");
            break;
        }
    }
}
BENCHMARK(relinkRenamedKit)->Unit(benchmark::kMillisecond);

// The moved kit as a kit script.
fs::path movedKitScript() {
    const fs::path script = fs::temp_directory_path() / "padsmith-relink-moved.txt";
    KitDocument kit;
    const std::vector<std::string> paths = movedSamples();
    for (int i = 0; i < kZones; ++i) {
        const std::string& path = paths[static_cast<std::size_t>(i)];
        SampleZone zone;
        zone.padNumber = i % 18 + 1;
        zone.key = 36 + i % 18;
        zone.velocityLow = 1 + i / 18;
        zone.velocityHigh = zone.velocityLow;
        zone.sampleName = path.substr(path.rfind('\\') + 1);
        zone.sourcePath = path;
        kit.pads[static_cast<std::size_t>(i % 18)].append(zone);
    }
    std::ofstream(script, std::ios::binary) << formatKitScript(kit);
    return script;
}

void relinkCommand(benchmark::State& state) {
    const fs::path script = movedKitScript();
    const fs::path out = fs::temp_directory_path() / "padsmith-relink-moved-out.txt";
    bench::timeProcess(state, {PADSMITH_KIT_TOOL, "relink", script.string(), "--search",
                               library().string(), "--output", out.string()});
}
BENCHMARK(relinkCommand)
    ->UseManualTime()
    ->ComputeStatistics("min", bench::fastest)
    ->Unit(benchmark::kMillisecond);

void relinkCommand_floor(benchmark::State& state) {
    bench::timeProcess(state, {"find", library().string(), "-type", "f"});
}
BENCHMARK(relinkCommand_floor)
    ->UseManualTime()
    ->ComputeStatistics("min", bench::fastest)
    ->Unit(benchmark::kMillisecond);

// The floor: one `find` listing every file of the library.
void relinkMovedKit_floor(benchmark::State& state) {
    const std::string command = "find '" + library().string() + "' -type f";
    for (auto _ : state) {
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            state.SkipWithError("cannot start find");
            break;
        }
        char buffer[65536];
        std::size_t bytes = 0;
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            bytes += got;
        }
        ::pclose(pipe);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(relinkMovedKit_floor)->Unit(benchmark::kMillisecond);

void relinkRenamedKit_floor(benchmark::State& state) {
    relinkMovedKit_floor(state);
}
BENCHMARK(relinkRenamedKit_floor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
