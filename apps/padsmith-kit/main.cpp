// padsmith-kit: scripting and batch work on Zarvo kits with the editor's own core.
#include "ToolCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using CommandList = std::span<const padsmith::tool::ToolCommand> (*)();
constexpr CommandList kCommandLists[] = {
    &padsmith::tool::kitCommands, &padsmith::tool::instrumentCommands,
    &padsmith::tool::cellCommands, &padsmith::tool::audioCommands};

void printUsage(std::FILE* out) {
    std::fprintf(out, "usage:\n");
    for (const CommandList commands : kCommandLists) {
        for (const auto& command : commands()) {
            std::fprintf(out, "  padsmith-kit %s\n", command.usage);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const CommandList commands : kCommandLists) {
        for (const auto& command : commands()) {
            if (std::strcmp(command.name, argv[1]) == 0) {
                return command.run(args);
            }
        }
    }
    std::fprintf(stderr, "padsmith-kit: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return 2;
}
