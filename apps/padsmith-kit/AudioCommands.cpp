#include "ToolCommand.h"

namespace padsmith::tool {

std::span<const ToolCommand> audioCommands() { return {}; }

} // namespace padsmith::tool
