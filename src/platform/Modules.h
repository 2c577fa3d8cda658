// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace padsmith {

// The folders the program's modules are looked for in: beside the program (a run from the
// build tree), then the folder the package installs them in.
QStringList moduleFolders();

// Loads the module `name` (its file name without the system's suffix) from the first of
// `folders` that holds one that loads, and returns its function `entry`. Null when none does
// or the module lacks the function; `error` then says what went wrong. A loaded module stays
// loaded for the rest of the run.
QFunctionPointer loadModuleEntry(const QStringList& folders, const QString& name, const char* entry,
                                 QString& error);

} // namespace padsmith
