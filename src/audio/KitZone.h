// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace padsmith {

// A zone of the kit as a note finds it: its sample, its key and its velocity window (an upper
// bound of 0 answers every velocity), and the gain factors it plays at on each side. Given in
// the order the plug-in searches them.
struct KitZone {
    std::string path;
    int key = 0;
    int velocityLow = 0;
    int velocityHigh = 0;
    float gainLeft = 1.0F;
    float gainRight = 1.0F;
};

} // namespace padsmith
