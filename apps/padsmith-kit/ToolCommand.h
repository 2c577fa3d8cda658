#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace padsmith {
class KitDocument;
struct KitLocation;
} // namespace padsmith

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
std::span<const ToolCommand> cellCommands();
std::span<const ToolCommand> midiCommands();

// Reads a kit as the editor does; missing samples are searched under `search` when given,
// else just marked. Reports on stderr and returns false when the file is not a kit.
bool loadKit(KitDocument& kit, const std::filesystem::path& path, const KitLocation& location,
             const std::optional<std::string>& search);

} // namespace padsmith::tool
