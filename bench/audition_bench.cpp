// SPDX-License-Identifier: GPL-3.0-or-later
// How soon a note-on sounds: from the note-on message arriving to the preview's first block
// written into the open output stream, for a 10 MB sample in the cache and one read from its
// file, each against the floor of reading the same file into memory; a note while another
// sounds against a note after silence, to the moment its first block is heard; and the start
// of a 100 MB sample against that of a 1 MB sample, which shows whether the start grows with
// the file. Needs an audio output:
//   scripts/bench.sh audition_bench
#include "BenchSamples.h"
#include "audio/AudioFile.h"
#include "audio/Preview.h"
#include "audio/SampleCache.h"
#include "audio/SampleFiles.h"
#include "kit/KitDocument.h"
#include "kit/Trigger.h"
#include "platform/Files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using namespace padsmith;

constexpr int kNote = 36;

// A 16-bit stereo 44.1 kHz WAVE file of about `megabytes` MB, made once per run.
const std::filesystem::path& sampleFile(int megabytes) {
    static std::map<int, std::filesystem::path> files;
    auto& path = files[megabytes];
    if (path.empty()) {
        path = bench::writeSineFile("padsmith-audition-bench-" + std::to_string(megabytes) + ".wav",
                                    megabytes, 44100, 16);
    }
    return path;
}

KitDocument kitPlaying(const std::filesystem::path& file) {
    KitDocument kit;
    SampleZone zone;
    zone.key = kNote;
    zone.sourcePath = file.string();
    kit.pads[5].append(zone);
    return kit;
}

void runEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits (untimed) until the output has played out the last preview, so every measured start
// finds the stream as a note after a pause finds it.
bool waitForQuietOutput(PreviewPlayer& player) {
    player.stopPreview();
    runEventLoop(PreviewPlayer::kOutputBufferMs * 2);
    return player.soundingVoices().empty();
}

// Opens the output and plays one note untimed, so that the measured notes find the stream
// running, as in the editor, which opens it after the first paint. A new stream on the test's
// null sink takes a second or more before it first asks for data.
bool openRunningOutput(benchmark::State& state, PreviewPlayer& player, const std::string& path) {
    if (!player.openOutput(-1)) {
        state.SkipWithError("no audio output (run under scripts/with-services.sh)");
        return false;
    }
    player.playNote(path, -1);
    const auto heard = [&player] {
        const std::vector<VoicePosition> voices = player.soundingVoices();
        return !voices.empty() && voices.back().frame > 0;
    };
    QElapsedTimer clock;
    clock.start();
    while (!heard() && clock.elapsed() < 5000) {
        runEventLoop(1);
    }
    if (!heard()) {
        state.SkipWithError("the output never played");
        return false;
    }
    return true;
}

// One note-on as the editor takes it: the message, the zone it plays, the preview.
void playNote(PreviewPlayer& player, const KitDocument& kit) {
    const auto noteOn = noteOnIn(packMidiMessage(0x90, kNote, 100));
    const auto zone = triggeredZone(kit, noteOn->note, noteOn->velocity);
    player.previewSample(kit.pads[static_cast<std::size_t>(zone->pad)]
                             .at(static_cast<std::size_t>(zone->position))
                             .sourcePath,
                         -1);
}

void measureNoteOn(benchmark::State& state, PreviewPlayer& player, const KitDocument& kit) {
    if (!openRunningOutput(state, player, kit.pads[5].at(0).sourcePath)) {
        return;
    }
    int withoutWrite = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const bool quiet = waitForQuietOutput(player);
        state.ResumeTiming();
        if (!quiet) {
            state.SkipWithError("the output never played out");
            break;
        }
        playNote(player, kit);
        // The output takes data as the sound server asks for it: wait for the first write.
        withoutWrite += player.bytesWritten() == 0 ? 1 : 0;
        QElapsedTimer clock;
        clock.start();
        while (player.bytesWritten() == 0 && clock.elapsed() < 1000) {
            runEventLoop(1);
        }
    }
    state.counters["starts_without_write"] = withoutWrite;
    player.closeOutput();
}

void readFloor(benchmark::State& state, int megabytes) {
    bench::readIntoMemory(state, sampleFile(megabytes));
}

void noteOnCachedFloor(benchmark::State& state) {
    readFloor(state, 10);
}
void noteOnUncachedFloor(benchmark::State& state) {
    readFloor(state, 10);
}
BENCHMARK(noteOnCachedFloor)->Name("noteOnCached_floor")->Unit(benchmark::kMillisecond);
BENCHMARK(noteOnUncachedFloor)->Name("noteOnUncached_floor")->Unit(benchmark::kMillisecond);

void noteOnCached(benchmark::State& state) {
    SampleCache cache;
    cache.fill({sampleFile(10).string()});
    cache.waitForFill();
    PreviewPlayer player(&cache);
    measureNoteOn(state, player, kitPlaying(sampleFile(10)));
    if (!player.playingFromCache() && !cache.contains(sampleFile(10).string())) {
        state.SkipWithError("the sample was not in the cache");
    }
}
BENCHMARK(noteOnCached)->Iterations(40)->Unit(benchmark::kMillisecond);

void noteOnUncached(benchmark::State& state) {
    PreviewPlayer player; // no cache: every note reads its file
    measureNoteOn(state, player, kitPlaying(sampleFile(10)));
}
BENCHMARK(noteOnUncached)->Iterations(40)->Unit(benchmark::kMillisecond);

// A note while another sounds against a note after silence: from the note-on to the moment its
// first block is heard, that is, to its first write into the output plus what the output held
// ahead of it then. Both notes play a cached sample, as a drummer's kit would.
void measureHeard(benchmark::State& state, bool whileSounding) {
    SampleCache cache;
    cache.fill({sampleFile(10).string()});
    cache.waitForFill();
    PreviewPlayer player(&cache);
    const KitDocument kit = kitPlaying(sampleFile(10));
    if (!openRunningOutput(state, player, sampleFile(10).string())) {
        return;
    }
    double waited = 0.0;
    for (auto _ : state) {
        waitForQuietOutput(player);
        // The output takes data in periods of some 15-20 ms: both arms start their notes at the
        // same spread of moments within a period, so neither is favoured by where it lands.
        if (whileSounding) {
            player.playNote(sampleFile(10).string(), -1);
        }
        runEventLoop(150 + static_cast<int>(state.iterations() * 7 % 20));
        QElapsedTimer clock;
        clock.start();
        const auto noteOn = noteOnIn(packMidiMessage(0x90, kNote, 100));
        const auto zone = triggeredZone(kit, noteOn->note, noteOn->velocity);
        player.playNote(kit.pads[static_cast<std::size_t>(zone->pad)]
                            .at(static_cast<std::size_t>(zone->position))
                            .sourcePath,
                        -1);
        while (player.bytesWritten() == 0 && clock.elapsed() < 1000) {
            runEventLoop(1);
        }
        const double heard = static_cast<double>(clock.nsecsElapsed()) / 1e9 +
                             std::max(player.waitedBehindMs(), 0.0) / 1000.0;
        waited += player.waitedBehindMs();
        state.SetIterationTime(heard);
    }
    state.counters["waited_behind_ms"] = waited / static_cast<double>(state.iterations());
    player.closeOutput();
}
void noteWhileSounding(benchmark::State& state) {
    measureHeard(state, true);
}
void noteWhileSoundingFloor(benchmark::State& state) {
    measureHeard(state, false);
}
BENCHMARK(noteWhileSounding)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(noteWhileSoundingFloor)
    ->Name("noteWhileSounding_floor")
    ->Iterations(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The start of a file's preview for a long and a short file: the floor here is the 1 MB file.
void longSampleStart(benchmark::State& state) {
    PreviewPlayer player;
    measureNoteOn(state, player, kitPlaying(sampleFile(100)));
}
void longSampleStartFloor(benchmark::State& state) {
    PreviewPlayer player;
    measureNoteOn(state, player, kitPlaying(sampleFile(1)));
}
BENCHMARK(longSampleStart)->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(longSampleStartFloor)
    ->Name("longSampleStart_floor")
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Keep freed buffers in the process, so page faults on fresh memory do not dominate.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const int megabytes : {1, 10, 100}) {
        std::filesystem::remove(sampleFile(megabytes));
    }
    // Closed streams settle in the event loop; Qt's PulseAudio back end can abort at exit
    // while one is still closing.
    runEventLoop(300);
    return 0;
}
