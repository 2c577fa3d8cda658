// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SoundSystem.h"

#include <memory>

namespace padsmith {

class SampleCache;

// The sound system itself: PreviewPlayer on the sound server or JACK, and MidiInput. The sound
// module holds it; tests link it in directly. `cache` as for PreviewPlayer.
std::unique_ptr<SoundSystem> linkedSound(SampleCache* cache);

} // namespace padsmith
