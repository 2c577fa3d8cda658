// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the velocity map of a pad with 2,000 zones: the map computed from the kit and one
// frame painted, against a frame of a 60 Hz screen (16 ms), the floor.
//   scripts/bench.sh padmap_bench
#include "app/PadMapPanel.h"
#include "kit/PadMap.h"
#include "ui/PadMapView.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>

namespace {

using namespace padsmith;

// 2,000 zones: on each of 40 keys 50 layers of two or three velocities side by side, every
// one labelled (the most text a map of that many zones draws).
KitDocument bigKit() {
    KitDocument kit;
    for (int z = 0; z < 2000; ++z) {
        SampleZone zone;
        zone.key = 36 + z % 40;
        const int layer = z / 40;
        zone.velocityLow = 1 + layer * 127 / 50;
        zone.velocityHigh = (layer + 1) * 127 / 50;
        zone.sampleName = "take " + std::to_string(z) + ".wav";
        kit.pads[4].append(zone);
    }
    return kit;
}

void showPad(PadMapView& view, const KitDocument& kit, int pad) {
    showPadMap(view, padMap(kit, pad),
               [](const MapBlock& block) { return QStringLiteral("Row %1").arg(block.row + 1); });
}

void frameBudget(benchmark::State& state) {
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::microseconds(16667));
    }
}
BENCHMARK(frameBudget)->Name("drawPadMap_floor")->Unit(benchmark::kMillisecond);

// The map of the pad from the kit, and a frame of the view at a large window's size.
void drawPadMap(benchmark::State& state) {
    const KitDocument kit = bigKit();
    PadMapView view;
    view.resize(1400, 700);
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        showPad(view, kit, 4);
        view.render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
}
BENCHMARK(drawPadMap)->Unit(benchmark::kMillisecond);

// The frame alone, the map already computed: where the time of drawPadMap goes.
void paintPadMap(benchmark::State& state) {
    const KitDocument kit = bigKit();
    PadMapView view;
    view.resize(1400, 700);
    showPad(view, kit, 4);
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
}
BENCHMARK(paintPadMap)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
