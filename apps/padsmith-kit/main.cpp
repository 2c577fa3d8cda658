// SPDX-License-Identifier: GPL-3.0-or-later
// padsmith-kit: scripting and batch work on Zarvo kits with the editor's own core.
#include "Help.h"
#include "ToolCommand.h"
#include "platform/ProgramInfo.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using padsmith::tool::ToolCommand;

using CommandList = std::span<const ToolCommand> (*)();
constexpr CommandList kCommandLists[] = {
    &padsmith::tool::kitCommands,        &padsmith::tool::folderCommands,
    &padsmith::tool::instrumentCommands, &padsmith::tool::cellCommands,
    &padsmith::tool::padCommands,        &padsmith::tool::audioCommands,
    &padsmith::tool::midiCommands,       &padsmith::tool::convertCommands,
    &padsmith::tool::renderCommands};

std::vector<const ToolCommand*> allCommands() {
    std::vector<const ToolCommand*> commands;
    for (const CommandList list : kCommandLists) {
        for (const ToolCommand& command : list()) {
            commands.push_back(&command);
        }
    }
    return commands;
}

const ToolCommand* findCommand(std::string_view name) {
    for (const ToolCommand* command : allCommands()) {
        if (name == command->name) {
            return command;
        }
    }
    return nullptr;
}

bool isHelpOption(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

int unknownCommand(std::string_view name) {
    std::fprintf(stderr,
                 "padsmith-kit: unknown command '%.*s'\n"
                 "Run \"padsmith-kit --help\" for the list of commands.\n",
                 static_cast<int>(name.size()), name.data());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace padsmith::tool;
    if (argc < 2) {
        printOverview(stderr, allCommands());
        return 2;
    }
    const std::string_view first = argv[1];
    if (isHelpOption(first) || (first == "help" && argc == 2)) {
        printOverview(stdout, allCommands());
        return 0;
    }
    if (first == "--version") {
        std::printf("padsmith-kit %s\n%s\n%s", padsmith::program::kVersion,
                    padsmith::program::kCopyright, padsmith::program::kLicenceNotice);
        return 0;
    }
    if (first == "--man") { // the manual page, made from this table when the tool is built
        printManPage(stdout, allCommands(), padsmith::program::kVersion);
        return 0;
    }
    if (first == "help") {
        if (argc > 3) {
            std::fprintf(stderr, "padsmith-kit: help takes one command\n");
            return 2;
        }
        const ToolCommand* command = findCommand(argv[2]);
        if (command == nullptr) {
            return unknownCommand(argv[2]);
        }
        printCommandHelp(stdout, *command);
        return 0;
    }

    const ToolCommand* command = findCommand(first);
    if (command == nullptr) {
        return unknownCommand(first);
    }
    if (argc == 3 && isHelpOption(argv[2])) {
        printCommandHelp(stdout, *command);
        return 0;
    }
    return command->run(std::vector<std::string>(argv + 2, argv + argc));
}
