// SPDX-License-Identifier: GPL-3.0-or-later
// The sound module: the one function the editor looks up after loading it.
#include "audio/LinkedSound.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT padsmith::SoundSystem* padsmithCreateSound(padsmith::SampleCache* cache,
                                                                    int interfaceVersion) {
    if (interfaceVersion != padsmith::kSoundInterfaceVersion) {
        return nullptr;
    }
    return padsmith::linkedSound(cache).release();
}
