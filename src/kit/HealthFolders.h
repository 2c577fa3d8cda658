// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitHealth.h"
#include "kit/KitScript.h"

namespace padsmith {

// Looks at the plug-in's folders for the health check: the files of the kit's own sample folder
// that no kit script there names (none with sharing on: the shared folder belongs to every kit,
// and none while a script there can be read only in part), and the sources whose copy in the
// kit's sample folder differs from them. Reads the scripts of the plug-in folder and compares
// copies with their sources byte for byte, so it belongs on a background thread.
FolderFacts gatherFolderFacts(const KitDocument& kit, const KitLocation& location);

} // namespace padsmith
