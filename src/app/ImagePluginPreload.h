// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <thread>

namespace padsmith {

// Loads Qt's image-format plug-ins on a second thread while the window is built. Qt reads its
// own pictures (the menu bar's arrow for entries that do not fit, the standard icons) with a
// reader that first loads every such plug-in, and the libraries they need, to ask each whether
// it reads the file; the window then finds them loaded. Called after the application object is
// made; the thread it returns joins when it goes away, before the application object does.
std::jthread preloadImagePlugins();

} // namespace padsmith
