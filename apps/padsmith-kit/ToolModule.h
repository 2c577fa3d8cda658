// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands that need the sound server, MIDI, other samplers' formats or the audio encoders
// live in a module of their own, loaded when one of them is asked for: the kit commands
// (relink, check, show, ...) start without those libraries and their dozens of dependencies.
// The module also decodes the samples add-samples is given in FLAC, Ogg and the like.
#include "ToolCommand.h"
#include "formats/SampleDecode.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>

namespace padsmith::tool {

// Raised when what the module exports changes.
inline constexpr int kToolModuleVersion = 2;

// What the module offers the tool.
struct ToolModuleExports {
    const ToolCommand* commands; // in the order of the help
    std::size_t commandCount;
    formats::PlayableSource (*decodeAddedSample)(const std::filesystem::path& file,
                                                 const std::filesystem::path& cacheFolder);
};
// The module's one function: what it exports, or null for another version.
using ToolModuleEntry = const ToolModuleExports* (*)(int version);
inline constexpr const char* kToolModuleEntry = "padsmithKitModule";

// The module's commands, loaded on first use (beside the program, then in the package's folder
// of modules). Empty, and `error` set, when it cannot be loaded.
std::span<const ToolCommand> moduleCommands(std::string& error);

// formats::decodeAddedSample, run by the module (loaded on first use). When the module cannot
// be loaded there is no copy, and `problem` says why.
formats::PlayableSource decodeAddedSample(const std::filesystem::path& file,
                                          const std::filesystem::path& cacheFolder);

} // namespace padsmith::tool
