// SPDX-License-Identifier: GPL-3.0-or-later
// The processor time of one cell edit in the editor's window, with all the work it starts in
// the background (the cache's fill, the kit's health check) finished: for a kit that holds a
// sample too big for the cache's bound (400 MB against 256 MiB), against the same kit with
// the cache turned off. Runs on the offscreen platform; needs no audio output.
//   scripts/bench.sh edit_bench
#include "AppFixture.h"
#include "app/EditPath.h"
#include "app/HealthPanel.h"
#include "audio/SampleCache.h"
#include "kit/KitEdit.h"
#include "kit/KitScript.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace {

using namespace padsmith;
using padsmith::test::AppFixture;

// Processor time of the whole process, every thread, in seconds.
double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A 16-bit stereo 44.1 kHz WAVE file of `megabytes` MB of silence; its data is not written
// (the file system keeps it sparse), but the reader decodes every byte of it.
void writeWave(const std::filesystem::path& path, std::uint32_t megabytes) {
    const std::uint32_t size = megabytes * 1000U * 1000U;
    std::ofstream out(path, std::ios::binary);
    auto word = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    out.write("RIFF", 4);
    word(36 + size, 4);
    out.write("WAVEfmt ", 8);
    word(16, 4);
    word(1, 2);
    word(2, 2);
    word(44100, 4);
    word(44100 * 4, 4);
    word(4, 2);
    word(16, 2);
    out.write("data", 4);
    word(size, 4);
    out.close();
    std::filesystem::resize_file(path, 44 + std::uintmax_t{size});
}

// Waits until the window's background work for the last change is done.
void settle(MainWindow& window) {
    QElapsedTimer clock;
    clock.start();
    do {
        QApplication::processEvents();
        window.sampleCache().waitForFill();
    } while (test::healthPanel(window).busy() && clock.elapsed() < 60000);
    QApplication::processEvents();
}

void measureEdits(benchmark::State& state, std::size_t cacheMiB) {
    AppFixture app;
    app.settings->writeNumber(QString::fromLatin1(SampleCache::kLimitSetting),
                              static_cast<int>(cacheMiB));
    KitDocument kit;
    kit.kitName = "Edit Bench";
    for (int pad = 0; pad < 4; ++pad) {
        SampleZone zone;
        zone.padNumber = pad + 1;
        zone.key = 36 + pad;
        zone.sampleName = "sample " + std::to_string(pad) + ".wav";
        zone.sourcePath = toStd(app.path(QStringLiteral("library/sample %1.wav").arg(pad)));
        std::filesystem::create_directories(std::filesystem::path(zone.sourcePath).parent_path());
        // The first pad plays the file that cannot fit; the others fit.
        writeWave(zone.sourcePath, pad == 0 ? 400 : 4);
        kit.pads[static_cast<std::size_t>(pad)].append(zone);
    }
    const QString script = app.path(QStringLiteral("Edit Bench.txt"));
    AppFixture::touch(script, QByteArray::fromStdString(formatKitScript(kit)));

    MainWindow& window = app.open(false);
    window.document().openKitPath(script);
    settle(window);

    int edit = 0;
    for (auto _ : state) {
        const double start = processSeconds();
        // One cell: the velocity of the big sample's zone, as a click in the list changes it.
        KitEditRecorder recorder(window.kit(), "Velocity");
        recorder.touch(0).at(0).velocityHigh = 100 + (edit++ % 20);
        window.editPath().apply(recorder.finish());
        settle(window);
        state.SetIterationTime(processSeconds() - start);
    }
    state.counters["files_read_by_cache"] = static_cast<double>(window.sampleCache().filesRead());
}

void cellEditHugeSample(benchmark::State& state) {
    measureEdits(state, SampleCache::kDefaultLimitMiB);
}
void cellEditHugeSampleFloor(benchmark::State& state) {
    measureEdits(state, 0);
}
BENCHMARK(cellEditHugeSample)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(cellEditHugeSampleFloor)
    ->Name("cellEditHugeSample_floor")
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
