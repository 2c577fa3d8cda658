// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands that need the sound server, MIDI, other samplers' formats or the audio encoders
// live in a module of their own, loaded when one of them is asked for: the kit commands
// (relink, check, show, ...) start without those libraries and their dozens of dependencies.
#include "ToolCommand.h"

#include <cstddef>
#include <span>
#include <string>

namespace padsmith::tool {

// Raised when what the module exports changes.
inline constexpr int kToolModuleVersion = 1;
// The module's one function: its commands, in the order of the help, or null for another
// version.
using ToolModuleEntry = const ToolCommand* (*)(int version, std::size_t* count);
inline constexpr const char* kToolModuleEntry = "padsmithKitCommands";

// The module's commands, loaded on first use (beside the program, then in the package's folder
// of modules). Empty, and `error` set, when it cannot be loaded.
std::span<const ToolCommand> moduleCommands(std::string& error);

} // namespace padsmith::tool
