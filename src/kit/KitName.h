// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace padsmith {

// The kit name that a kit script's file name gives. It is also the name of the kit's own
// sample folder in the plug-in folder, and the header names that folder, so both must come out
// of one rule: the file name cut at its last "." (left whole when it has none or only a leading
// one), commas and line breaks turned into blanks (they would end the header's field), blanks
// at either end removed (the plug-in skips leading ones and some systems drop trailing ones
// from folder names), at most 256 characters. Empty when nothing is left or the name could not
// name a folder inside the plug-in folder: only dots, or a "/" or "\" in it.
std::string kitNameForScript(const std::filesystem::path& scriptPath);

// What the user is told when a kit is saved under a file name that gives no kit name.
std::string unusableKitNameText(const std::filesystem::path& scriptPath);

} // namespace padsmith
