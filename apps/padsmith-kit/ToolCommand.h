// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <vector>

namespace padsmith::tool {

// One sub-command of padsmith-kit. `run` gets the arguments after the command's name and
// returns the exit code; errors go to stderr.
//
// The help texts feed `padsmith-kit help COMMAND`, `--help` and the manual page alike:
// `description` is plain sentences (up to its first colon or full stop it is the command's
// summary in the list of commands); `options` and `exitCodes` hold one entry a line: the
// option or code, a tab, then what it means. Every command documents its exit codes.
struct ToolCommand {
    const char* name;
    const char* usage; // one line, after "padsmith-kit "
    int (*run)(const std::vector<std::string>& args);
    const char* description = "";
    const char* options = "";
    const char* exitCodes = "";
};

std::span<const ToolCommand> kitCommands();
std::span<const ToolCommand> audioCommands();
std::span<const ToolCommand> instrumentCommands();
std::span<const ToolCommand> cellCommands();
std::span<const ToolCommand> padCommands();
std::span<const ToolCommand> midiCommands();
std::span<const ToolCommand> folderCommands();
std::span<const ToolCommand> convertCommands();
std::span<const ToolCommand> renderCommands();

} // namespace padsmith::tool
