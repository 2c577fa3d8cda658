// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace padsmith::demo {

// A Standard MIDI File to try a kit with, and the name it is written under.
struct DemoGroove {
    std::string fileName;
    std::string bytes;
};

// A rock beat, a shuffle and a fill over the toms into a crash, on General MIDI drum keys
// (kick 36, snare 38, hats 42 and 46, toms 50, 47, 45 and 41, crash 49), two bars or so each.
std::vector<DemoGroove> demoGrooves();

} // namespace padsmith::demo
