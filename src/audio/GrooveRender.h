// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/Groove.h"
#include "audio/GrooveZones.h"
#include "kit/KitDocument.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace padsmith {

// A groove rendered offline: stereo float frames at the groove's rate.
struct Rendering {
    std::vector<float> frames;           // interleaved left, right
    std::uint64_t grooveFrames = 0;      // the loops without the tail of their last notes
    std::size_t notesPlayed = 0;         // hits that started a voice
    std::vector<std::string> unreadable; // samples a zone names that cannot be read
};

// Renders `loops` passes of `groove` through the kit: each hit starts, on its exact frame, the
// zone zonePlayed gives, at the zone's volumes, in the mixer and converter of audition. The
// rendering goes on past the last pass until the last notes have sounded out. The same kit and
// groove always give the same frames. Each sample file is read once.
Rendering renderGroove(const KitDocument& kit, const Groove& groove, int loops,
                       std::optional<int> pad = std::nullopt);

// A 24-bit PCM WAVE file of stereo float frames (within -1 to 1) at `rate`; the same frames
// always give the same bytes. Empty, with `error` set, when libsndfile refuses.
std::string encodeWave24(const std::vector<float>& frames, int rate, std::string& error);

} // namespace padsmith
