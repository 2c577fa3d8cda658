// SPDX-License-Identifier: GPL-3.0-or-later
// How long a preview takes to start on a 10 MB 24-bit stereo WAVE file (its first blocks
// converted and ready for the audio thread), against the floor of reading the same file into
// memory.
// Needs an audio output:
//   scripts/with-services.sh scripts/bench.sh preview_bench
#include "BenchSamples.h"
#include "audio/AudioFile.h"
#include "audio/Preview.h"
#include "audio/SampleFiles.h"
#include "platform/Files.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <filesystem>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <string>

namespace {

using namespace padsmith;

const std::filesystem::path& sampleFile() {
    // 10 MB of 24-bit stereo at 48 kHz: about 35 seconds.
    static const std::filesystem::path path =
        bench::writeSineFile("padsmith-preview-bench.wav", 10, 48000, 24);
    return path;
}

// The floor: the file's bytes in memory, nothing else.
void readFileIntoMemory(benchmark::State& state) {
    bench::readIntoMemory(state, sampleFile());
}
BENCHMARK(readFileIntoMemory)->Name("previewStart_floor")->Unit(benchmark::kMillisecond);
BENCHMARK(readFileIntoMemory)->Name("decodeForPreview_floor")->Unit(benchmark::kMillisecond);

// Reading, describing and converting to 16-bit, without an output.
void decodeForPreview(benchmark::State& state) {
    for (auto _ : state) {
        PlayableSample sample = readSample(sampleFile());
        benchmark::DoNotOptimize(sample.data.data());
    }
}
BENCHMARK(decodeForPreview)->Unit(benchmark::kMillisecond);

// previewSample until the voice is ready for the audio thread, which takes it at its next
// period.
void previewStart(benchmark::State& state) {
    PreviewPlayer player;
    if (!player.openOutput(-1)) {
        state.SkipWithError("no audio output (run under scripts/with-services.sh)");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        player.stopPreview();
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec();
        state.ResumeTiming();
        player.previewSample(sampleFile().string(), -1);
        if (!player.isPreviewing()) {
            state.SkipWithError("the preview did not start");
            break;
        }
    }
    player.closeOutput();
}
BENCHMARK(previewStart)->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Keep freed buffers in the process, so every measurement gets its 10 MB the same way;
    // otherwise page faults on fresh memory, which depend on what else was freed, dominate.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(sampleFile());
    // Closed streams settle in the event loop; Qt's PulseAudio back end can abort at exit
    // while one is still closing.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    return 0;
}
