// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The measured facts of sample files as the kit's health check takes them.
#include "audio/SampleFacts.h"
#include "kit/KitHealth.h"
#include "kit/SampleFolders.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace padsmith {

inline SampleSound soundOf(const SampleFacts& facts) {
    SampleSound sound;
    switch (facts.state) {
    case SampleFacts::State::Missing:
        sound.state = SampleSound::State::Missing;
        break;
    case SampleFacts::State::Unreadable:
        sound.state = SampleSound::State::Unreadable;
        break;
    case SampleFacts::State::NotPcm:
        sound.state = SampleSound::State::NotPcm;
        break;
    case SampleFacts::State::Ok:
        sound.state = SampleSound::State::Ok;
        break;
    }
    sound.rate = facts.format.samplesPerSecond;
    sound.bits = facts.format.bitsPerSample;
    sound.channels = facts.format.channels;
    sound.floatingPoint = facts.format.formatTag == kFormatFloat;
    sound.peakDecibels = facts.peakDecibels();
    return sound;
}

// The sounds of every source the kit copies from, as far as `factsOf` knows them (it answers
// nullptr for a file not measured yet).
using SoundTable = std::unordered_map<std::string, SampleSound>;
inline SoundTable
soundsOfKit(const KitDocument& kit,
            const std::function<std::shared_ptr<const SampleFacts>(const std::string&)>& factsOf) {
    SoundTable table;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath) && !table.contains(zone.sourcePath)) {
                if (const auto facts = factsOf(zone.sourcePath)) {
                    table.emplace(zone.sourcePath, soundOf(*facts));
                }
            }
        }
    }
    return table;
}

// A lookup into `table`, which must outlive it.
inline SoundLookup lookupIn(const SoundTable& table) {
    return [&table](const std::string& path) -> const SampleSound* {
        const auto found = table.find(path);
        return found == table.end() ? nullptr : &found->second;
    };
}

} // namespace padsmith
