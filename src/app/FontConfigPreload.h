// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <thread>

namespace padsmith {

// Reads the system's font configuration on a second thread while the program connects to the
// display, and makes it the configuration every later font lookup uses. The first text the
// window lays out would otherwise read it on the spot (some 10 to 20 ms of configuration files
// and font caches here). Where the fonts are not configured this way (Windows, macOS, a build
// without fontconfig) it does nothing.
class FontConfigPreload {
public:
    FontConfigPreload();
    // Joins the thread.
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

    // Waits until the configuration is in place. Called before anything lays out text:
    // fontconfig lets two threads that ask at once each read the whole configuration.
    void finish();

private:
    std::thread thread_;
};

} // namespace padsmith
