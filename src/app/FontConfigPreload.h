// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <thread>

namespace padsmith {

// Reads the system's font configuration on a second thread while the program connects to the
// display. The first text the window lays out would otherwise wait for it (some 5 ms of
// configuration files and font caches). Where the fonts are not configured this way (Windows,
// macOS, a build without fontconfig) it does nothing. Joined when it goes away.
class FontConfigPreload {
public:
    FontConfigPreload();
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

private:
    std::thread thread_;
};

} // namespace padsmith
