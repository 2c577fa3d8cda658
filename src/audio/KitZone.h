// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace padsmith {

// A zone of the kit as a note finds it: its sample, its key and its velocity window (an upper
// bound of 0 answers every velocity). Given in the order the plug-in searches them.
struct KitZone {
    std::string path;
    int key = 0;
    int velocityLow = 0;
    int velocityHigh = 0;
};

} // namespace padsmith
