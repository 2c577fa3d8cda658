// SPDX-License-Identifier: GPL-3.0-or-later
// make-demo OUTDIR: a ready plug-in folder to try the editor on, without the real plug-in.
//   OUTDIR/Library          synthesized drum samples (WAV 16/24-bit, mono/stereo, AIFF)
//   OUTDIR/Library/Folder Kit  30 samples with ordinary names in a few folders, for
//                           "New Kit from Folder..." and padsmith-kit new
//   OUTDIR/Zarvo/Zarvo.dll  empty stand-in for the plug-in
//   OUTDIR/Zarvo/Demo Kit.txt and OUTDIR/Zarvo/Demo Kit/  the kit as a save leaves it
//   OUTDIR/Grooves          three MIDI grooves on General MIDI keys, to hear a kit play
#include "DemoGrooves.h"
#include "SampleWriters.h"
#include "kit/KitDocument.h"
#include "kit/KitScript.h"
#include "platform/Files.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using padsmith::demo::SampleData;

namespace {

constexpr int kRate = 44100;

// Deterministic noise, so every run writes the same bytes.
class Noise {
public:
    float next() {
        state_ = state_ * 1664525U + 1013904223U;
        return static_cast<float>(state_ >> 8) / static_cast<float>(1U << 23) - 1.0F;
    }

private:
    std::uint32_t state_ = 0x2545F491U;
};

// Renders `seconds` of a mono voice into `channels` channels; `pan` spreads stereo a little.
SampleData render(double seconds, int channels, const std::function<float(double)>& voice,
                  float pan = 0.0F) {
    SampleData data;
    data.sampleRate = kRate;
    data.channels = channels;
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    data.values.reserve(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A short fade at the end so no sample ends in a click.
        const double tail = std::min(1.0, (seconds - t) / 0.005);
        const auto value = static_cast<float>(voice(t) * tail);
        if (channels == 1) {
            data.values.push_back(value);
        } else {
            data.values.push_back(value * (1.0F - pan));
            data.values.push_back(value * (1.0F + pan));
        }
    }
    return data;
}

constexpr double kTwoPi = 2.0 * std::numbers::pi;

SampleData kick(float level) {
    double phase = 0.0;
    return render(0.6, 1, [phase, level](double t) mutable {
        const double frequency = 48.0 + 110.0 * std::exp(-t * 30.0);
        phase += kTwoPi * frequency / kRate;
        const double click = t < 0.004 ? 0.4 * (1.0 - t / 0.004) : 0.0;
        return static_cast<float>(level * (std::sin(phase) * std::exp(-t * 6.0) + click));
    });
}

SampleData snare() {
    Noise noise;
    return render(
        0.35, 2,
        [noise](double t) mutable {
            const double body = std::sin(kTwoPi * 185.0 * t) * std::exp(-t * 25.0);
            const double rattle = noise.next() * std::exp(-t * 14.0);
            return static_cast<float>(0.5 * body + 0.45 * rattle);
        },
        0.1F);
}

SampleData hat(double seconds, double decay, int channels) {
    Noise noise;
    float last = 0.0F;
    return render(
        seconds, channels,
        [noise, last, decay](double t) mutable {
            const float white = noise.next();
            const float bright = white - last; // a first difference keeps only the top
            last = white;
            return static_cast<float>(0.35 * bright * std::exp(-t * decay));
        },
        -0.15F);
}

SampleData clap() {
    Noise noise;
    return render(0.4, 1, [noise](double t) mutable {
        double envelope = std::exp(-std::max(0.0, t - 0.03) * 18.0);
        for (const double start : {0.0, 0.011, 0.022}) {
            if (t >= start && t < start + 0.01) {
                envelope = std::exp(-(t - start) * 300.0);
            }
        }
        return static_cast<float>(0.6 * noise.next() * envelope);
    });
}

SampleData tom() {
    double phase = 0.0;
    return render(
        0.7, 2,
        [phase](double t) mutable {
            const double frequency = 92.0 + 40.0 * std::exp(-t * 12.0);
            phase += kTwoPi * frequency / kRate;
            return static_cast<float>(0.8 * std::sin(phase) * std::exp(-t * 5.0));
        },
        0.2F);
}

SampleData rim() {
    Noise noise;
    return render(0.12, 1, [noise](double t) mutable {
        const double knock = std::sin(kTwoPi * 820.0 * t) + 0.5 * std::sin(kTwoPi * 1650.0 * t);
        return static_cast<float>((0.5 * knock + 0.3 * noise.next()) * std::exp(-t * 60.0));
    });
}

struct DemoSample {
    std::string fileName;
    std::string bytes;
};

std::vector<DemoSample> demoSamples() {
    using padsmith::demo::aiffBytes;
    using padsmith::demo::wavBytes;
    return {
        {"kick.wav", wavBytes(kick(0.7F), 16)},
        {"kick hard.wav", wavBytes(kick(0.95F), 24)},
        {"snare.wav", wavBytes(snare(), 16)},
        {"hat closed.wav", wavBytes(hat(0.12, 45.0, 2), 24)},
        {"hat open.wav", wavBytes(hat(0.8, 5.0, 1), 16)},
        {"clap.aif", aiffBytes(clap())},
        {"tom.aif", aiffBytes(tom())},
        {"rim.wav", wavBytes(rim(), 24)},
    };
}

// A drum library as people keep them: folders per drum or none, dynamics and takes in the
// names. Quieter versions stand in for the softer layers.
std::vector<DemoSample> folderKitSamples() {
    using padsmith::demo::aiffBytes;
    using padsmith::demo::wavBytes;
    auto louder = [](SampleData data, float gain) {
        for (float& value : data.values) {
            value *= gain;
        }
        return data;
    };
    const SampleData cymbal = hat(1.2, 2.5, 2);
    std::vector<DemoSample> samples = {
        {"Kicks/Kick_Soft_01.wav", wavBytes(kick(0.35F), 16)},
        {"Kicks/Kick_Medium_01.wav", wavBytes(kick(0.65F), 16)},
        {"Kicks/Kick_Hard_01.wav", wavBytes(kick(0.95F), 24)},
        {"Snare/SN v1.wav", wavBytes(louder(snare(), 0.4F), 16)},
        {"Snare/SN v2.wav", wavBytes(louder(snare(), 0.7F), 16)},
        {"Snare/SN v10.wav", wavBytes(snare(), 16)},
        {"Snare/Rim 01.wav", wavBytes(rim(), 16)},
        {"Snare/Rim 02.wav", wavBytes(louder(rim(), 0.8F), 16)},
        {"HH closed-pp.aif", aiffBytes(louder(hat(0.12, 45.0, 1), 0.3F))},
        {"HH closed-mf.aif", aiffBytes(louder(hat(0.12, 45.0, 1), 0.6F))},
        {"HH closed-ff.aif", aiffBytes(hat(0.12, 45.0, 1))},
        {"HH open.wav", wavBytes(louder(hat(0.8, 5.0, 1), 0.6F), 16)},
        {"HH open hard.wav", wavBytes(hat(0.8, 5.0, 1), 16)},
        {"HH pedal.wav", wavBytes(hat(0.08, 60.0, 1), 16)},
        {"Toms/Tom Floor Soft.wav", wavBytes(louder(tom(), 0.5F), 16)},
        {"Toms/Tom Floor Hard.wav", wavBytes(tom(), 16)},
        {"Toms/Tom Low Soft.wav", wavBytes(louder(tom(), 0.5F), 16)},
        {"Toms/Tom Low Hard.wav", wavBytes(tom(), 16)},
        {"Toms/Tom Hi Soft.wav", wavBytes(louder(tom(), 0.5F), 16)},
        {"Toms/Tom Hi Hard.wav", wavBytes(tom(), 16)},
        {"Clap 1.wav", wavBytes(louder(clap(), 0.6F), 16)},
        {"Clap 2.wav", wavBytes(clap(), 16)},
        {"Cymbals/Crash 16.wav", wavBytes(cymbal, 16)},
        {"Cymbals/Ride.wav", wavBytes(louder(cymbal, 0.5F), 16)},
        {"Cymbals/Ride Bell.wav", wavBytes(louder(rim(), 0.6F), 16)},
        {"Cymbals/China.wav", wavBytes(louder(cymbal, 0.8F), 16)},
        {"Cymbals/Splash.wav", wavBytes(louder(hat(0.5, 8.0, 2), 0.8F), 16)},
        {"Perc/Cowbell.wav", wavBytes(louder(rim(), 0.9F), 16)},
        {"Perc/Tambourine.wav", wavBytes(hat(0.3, 12.0, 1), 16)},
        {"Perc/Shaker.wav", wavBytes(louder(hat(0.2, 20.0, 1), 0.5F), 16)},
    };
    for (DemoSample& sample : samples) {
        sample.fileName = "Folder Kit/" + sample.fileName;
    }
    return samples;
}

void addZone(padsmith::KitDocument& kit, int pad, int key, const std::string& sample,
             const fs::path& library, int velocityLow = 1, int velocityHigh = 127, int group = 0) {
    padsmith::SampleZone zone;
    zone.padNumber = pad + 1;
    zone.key = key;
    zone.keyRangeLow = key;
    zone.keyRangeHigh = key;
    zone.padName = kit.pads[static_cast<std::size_t>(pad)].label;
    zone.sampleName = sample;
    zone.velocityLow = velocityLow;
    zone.velocityHigh = velocityHigh;
    zone.group = group;
    zone.sourcePath = padsmith::joinPath(library, sample).string();
    kit.pads[static_cast<std::size_t>(pad)].append(zone);
}

padsmith::KitDocument demoKit(const fs::path& library) {
    padsmith::KitDocument kit;
    kit.kitName = "Demo Kit";
    kit.sampleFolder = "Demo Kit";
    kit.copyright = "Padsmith demo";
    const char* labels[] = {"KICK", "SNARE", "CLAP", "RIM", "TOM", "HH CLOSED", "HH OPEN"};
    for (std::size_t pad = 0; pad < std::size(labels); ++pad) {
        kit.pads[pad].label = labels[pad];
    }
    // A velocity layer pair: soft hits play the one kick, hard hits the other.
    addZone(kit, 0, 36, "kick.wav", library, 1, 99);
    addZone(kit, 0, 36, "kick hard.wav", library, 100, 127);
    kit.pads[0].at(1).gainLeft = 2.0F;
    kit.pads[0].at(1).gainRight = 2.0F;
    addZone(kit, 1, 38, "snare.wav", library);
    addZone(kit, 2, 39, "clap.aif", library);
    addZone(kit, 3, 37, "rim.wav", library);
    kit.pads[3].at(0).gainLeft = 0.5F;
    kit.pads[3].at(0).gainRight = 0.5F;
    addZone(kit, 4, 45, "tom.aif", library);
    // The hats share group 1, so a closed hat cuts the open one short.
    addZone(kit, 5, 42, "hat closed.wav", library, 1, 127, 1);
    addZone(kit, 6, 46, "hat open.wav", library, 1, 127, 1);
    return kit;
}

bool fail(const std::string& what) {
    std::fprintf(stderr, "make-demo: %s\n", what.c_str());
    return false;
}

bool makeDemo(const fs::path& outDir) {
    const fs::path library = fs::absolute(padsmith::joinPath(outDir, "Library"));
    const fs::path plugin = fs::absolute(padsmith::joinPath(outDir, "Zarvo"));
    if (!padsmith::createFolderChain(library) || !padsmith::createFolderChain(plugin)) {
        return fail("cannot create " + library.string() + " or " + plugin.string());
    }
    std::vector<DemoSample> samples = demoSamples();
    for (DemoSample& sample : folderKitSamples()) {
        samples.push_back(std::move(sample));
    }
    for (const DemoSample& sample : samples) {
        const fs::path target = padsmith::joinPath(library, sample.fileName);
        if (!padsmith::createFolderChain(target.parent_path()) ||
            !padsmith::replaceFileContents(target, sample.bytes)) {
            return fail("cannot write " + target.string());
        }
    }
    const fs::path grooves = padsmith::joinPath(outDir, "Grooves");
    if (!padsmith::createFolderChain(grooves)) {
        return fail("cannot create " + grooves.string());
    }
    for (const padsmith::demo::DemoGroove& groove : padsmith::demo::demoGrooves()) {
        const fs::path target = padsmith::joinPath(grooves, groove.fileName);
        if (!padsmith::replaceFileContents(target, groove.bytes)) {
            return fail("cannot write " + target.string());
        }
    }
    // Never replace a plug-in library that is already there.
    const fs::path dll = padsmith::joinPath(plugin, "Zarvo.dll");
    if (!fs::exists(dll) && !padsmith::replaceFileContents(dll, "")) {
        return fail("cannot write " + dll.string());
    }

    const padsmith::KitDocument kit = demoKit(library);
    const fs::path sampleFolder = padsmith::joinPath(plugin, kit.sampleFolder);
    for (const padsmith::Pad& pad : kit.pads) {
        for (const padsmith::SampleZone& zone : pad) {
            // Overwriting is fine here: the library copies were just written and are the same.
            if (padsmith::copyFileToFolder(zone.sourcePath, sampleFolder, true) !=
                padsmith::CopyResult::Copied) {
                return fail("cannot copy " + zone.sourcePath + " into " + sampleFolder.string());
            }
        }
    }
    const fs::path script = padsmith::joinPath(plugin, kit.kitName + ".txt");
    if (!padsmith::replaceFileContents(script, padsmith::formatKitScript(kit))) {
        return fail("cannot write " + script.string());
    }
    std::printf("demo plug-in folder: %s\n", plugin.string().c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo OUTDIR\n");
        return 2;
    }
    return makeDemo(fs::path(argv[1])) ? 0 : 1;
}
