// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitSave.h"

class QWidget;

namespace padsmith {

class KitHost;

// Saves `kit` to `path` with the window kept alive: the busy cursor, the window repainting
// between files, and after half a second a progress dialog with the count of files.
SaveReport saveWithProgress(KitDocument& kit, const std::filesystem::path& path,
                            const KitLocation& location, bool freshSampleFolder, KitHost& host,
                            QWidget* owner);

// Tells the user what the report holds that they must know: why nothing was saved (a
// double-defined note is shown at its zone), which samples have no copy, and what went to the
// trash. A plain success says nothing.
void showSaveReport(const SaveReport& report, const KitDocument& kit, KitHost& host);

} // namespace padsmith
