#include "ToolCommand.h"

namespace padsmith::tool {

std::span<const ToolCommand> kitCommands() { return {}; }

} // namespace padsmith::tool
