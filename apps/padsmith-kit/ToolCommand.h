#pragma once

#include <span>
#include <string>
#include <vector>

namespace padsmith::tool {

// One sub-command of padsmith-kit. `run` gets the arguments after the command's name and
// returns the exit code; errors go to stderr.
struct ToolCommand {
    const char* name;
    const char* usage; // one line, after "padsmith-kit "
    int (*run)(const std::vector<std::string>& args);
};

std::span<const ToolCommand> kitCommands();
std::span<const ToolCommand> audioCommands();
std::span<const ToolCommand> instrumentCommands();
std::span<const ToolCommand> cellCommands();

} // namespace padsmith::tool
