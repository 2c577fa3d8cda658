// SPDX-License-Identifier: GPL-3.0-or-later
// How far below the signal the images and aliases of a sample at another rate stay, as heard
// at the sound server's sink: a 1 kHz tone and a 30 kHz tone of the same level, both in 96 kHz
// samples, are previewed in turn and the sink's monitor is recorded at the sink's own rate.
// A 30 kHz tone lies above what any usual output rate can carry: everything of it in the
// recording is an alias (or the converter's noise), so the level of the whole recording
// against the 1 kHz tone's is the figure. Run through bench/sink_images.sh, which starts the
// sound server.
#include "audio/Preview.h"
#include "audio/SampleFiles.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace {

using namespace padsmith;
using namespace padsmith::testing;

constexpr std::uint32_t kSampleRate = 96000;
constexpr double kLevel = 0.5;

// The right channel's RMS and the strength of `frequency` in it.
struct Measured {
    double rms = 0.0;
    double at = 0.0;
};

Measured measure(const std::vector<float>& frames, int rate, double frequency) {
    double sum = 0.0;
    double re = 0.0;
    double im = 0.0;
    const std::size_t count = frames.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const double value = frames[i * 2 + 1];
        sum += value * value;
        const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        re += value * std::cos(phase);
        im += value * std::sin(phase);
    }
    return {std::sqrt(sum / static_cast<double>(count)),
            2.0 * std::hypot(re, im) / static_cast<double>(count)};
}

double decibels(double ratio) {
    return 20.0 * std::log10(std::max(ratio, 1e-12));
}

} // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "padsmith-sink-images";
    std::filesystem::create_directories(folder);
    const auto low = folder / "1k.wav";
    const auto high = folder / "30k.wav";
    writeFile(low,
              waveFile(1, 1, kSampleRate, 24, sineData(1000.0, 3.0, kSampleRate, 1, 24, kLevel)));
    writeFile(high,
              waveFile(1, 1, kSampleRate, 24, sineData(30000.0, 3.0, kSampleRate, 1, 24, kLevel)));

    PreviewPlayer player;
    if (!player.openOutput(-1)) {
        std::fprintf(stderr, "sink_images: no sound server\n");
        return 1;
    }
    const int rate = player.outputRate();
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, static_cast<std::uint32_t>(rate), 2};

    // One second from the middle of the tone, its start and end not heard: a recording of
    // the monitor opened once the tone sounds, its first part (what the server held) left out.
    auto record = [&](const std::filesystem::path& sample) {
        player.previewSample(sample.string(), -1);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        int error = 0;
        pa_simple* recorder =
            pa_simple_new(nullptr, "sink_images", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "monitor",
                          &format, nullptr, nullptr, &error);
        std::vector<float> frames(static_cast<std::size_t>(rate) * 2);
        if (recorder == nullptr) {
            std::fprintf(stderr, "sink_images: no monitor (%s)\n", pa_strerror(error));
            std::exit(1);
        }
        std::vector<float> lead(static_cast<std::size_t>(rate) / 5 * 2);
        pa_simple_read(recorder, lead.data(), lead.size() * sizeof(float), &error);
        pa_simple_read(recorder, frames.data(), frames.size() * sizeof(float), &error);
        pa_simple_free(recorder);
        player.stopPreview();
        return frames;
    };
    const Measured signal = measure(record(low), rate, 1000.0);
    const double alias = std::fabs(static_cast<double>(rate) - 30000.0);
    const Measured images = measure(record(high), rate, alias);
    std::printf("(%s)\n", player.outputStatusText().toStdString().c_str());
    player.closeOutput();
    std::filesystem::remove_all(folder);

    std::printf("| Measure | Level against the 1 kHz tone | Goal |\n|---|---|---|\n");
    std::printf("| 1 kHz tone, 96 kHz sample, at the sink (%d Hz): RMS %.1f dBFS | 0 dB | |\n",
                rate, decibels(signal.rms));
    const double below = decibels(signal.rms) - decibels(images.rms);
    std::printf("| 30 kHz tone, same level: everything it leaves at the sink | −%.1f dB | "
                "−80 dB or lower: %s |\n",
                below, below >= 80.0 ? "met" : "not met");
    std::printf("| … of it, the alias at %.0f Hz | −%.1f dB | |\n", alias,
                decibels(signal.at) - decibels(images.at));
    return below >= 80.0 ? 0 : 2;
}
