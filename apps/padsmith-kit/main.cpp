// SPDX-License-Identifier: GPL-3.0-or-later
// padsmith-kit: scripting and batch work on Zarvo kits with the editor's own core.
#include "Help.h"
#include "ToolCommand.h"
#include "ToolModule.h"
#include "platform/ProgramInfo.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using padsmith::tool::ToolCommand;

using CommandList = std::span<const ToolCommand> (*)();
// The commands linked into the program; the module's follow them.
constexpr CommandList kCommandLists[] = {
    &padsmith::tool::kitCommands, &padsmith::tool::folderCommands,
    &padsmith::tool::instrumentCommands, &padsmith::tool::cellCommands,
    &padsmith::tool::padCommands};

void addCommands(std::vector<const ToolCommand*>& commands, std::span<const ToolCommand> list) {
    for (const ToolCommand& command : list) {
        commands.push_back(&command);
    }
}

// The module's commands; when it cannot be loaded, why is said once.
std::span<const ToolCommand> loadedCommands() {
    std::string error;
    const std::span<const ToolCommand> commands = padsmith::tool::moduleCommands(error);
    static bool told = false;
    if (commands.empty() && !told) {
        told = true;
        std::fprintf(stderr,
                     "padsmith-kit: the audio, MIDI, convert and render commands are not "
                     "available: %s\n",
                     error.c_str());
    }
    return commands;
}

std::vector<const ToolCommand*> linkedCommands() {
    std::vector<const ToolCommand*> commands;
    for (const CommandList list : kCommandLists) {
        addCommands(commands, list());
    }
    return commands;
}

std::vector<const ToolCommand*> allCommands() {
    std::vector<const ToolCommand*> commands = linkedCommands();
    addCommands(commands, loadedCommands());
    return commands;
}

const ToolCommand* findIn(const std::vector<const ToolCommand*>& commands, std::string_view name) {
    const auto found =
        std::find_if(commands.begin(), commands.end(),
                     [name](const ToolCommand* command) { return name == command->name; });
    return found == commands.end() ? nullptr : *found;
}

// A linked command is found without loading the module.
const ToolCommand* findCommand(std::string_view name) {
    if (const ToolCommand* command = findIn(linkedCommands(), name)) {
        return command;
    }
    std::vector<const ToolCommand*> loaded;
    addCommands(loaded, loadedCommands());
    return findIn(loaded, name);
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

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The word of `text` from `at` on (empty at the end); `at` moves past it.
std::string_view nextWord(std::string_view text, std::size_t& at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    const std::size_t start = at;
    while (at < text.size() && !isBlank(text[at])) {
        ++at;
    }
    return text.substr(start, at - start);
}

std::string_view withoutBrackets(std::string_view word) {
    while (!word.empty() && word.front() == '[') {
        word.remove_prefix(1);
    }
    while (!word.empty() && word.back() == ']') {
        word.remove_suffix(1);
    }
    return word;
}

// How many values option `arg` of `command` takes (0 or 1), as its usage line or its option
// list shows it; -1 when the command has no such option.
int optionValues(const padsmith::tool::ToolCommand& command, std::string_view arg) {
    const std::string_view usage = command.usage;
    for (std::size_t at = 0;;) {
        const std::string_view word = nextWord(usage, at);
        if (word.empty()) {
            break;
        }
        const std::string_view name = withoutBrackets(word);
        const std::size_t bar = name.find('|');
        const bool same =
            name == arg || (bar != std::string_view::npos &&
                            (name.substr(0, bar) == arg || name.substr(bar + 1) == arg));
        if (!same) {
            continue;
        }
        // "--pad N" and "[--output OUT]" take a value; "[--layers]" and "--pad N FILE..." do not
        // take FILE.
        if (word.ends_with(']')) {
            return 0;
        }
        std::size_t peek = at;
        const std::string_view next = withoutBrackets(nextWord(usage, peek));
        const bool placeholder =
            !next.empty() && next.front() >= 'A' && next.front() <= 'Z' && !next.ends_with("...");
        return placeholder ? 1 : 0;
    }
    // The option list: one option a line, its value after it, then a tab and what it does.
    const std::string_view options = command.options;
    std::size_t line = 0;
    while (line < options.size()) {
        std::size_t end = options.find('\n', line);
        if (end == std::string_view::npos) {
            end = options.size();
        }
        const std::string_view text = options.substr(line, end - line);
        const std::string_view head = text.substr(0, text.find('\t'));
        std::size_t at = 0;
        if (nextWord(head, at) == arg) {
            return nextWord(head, at).empty() ? 0 : 1;
        }
        line = end + 1;
    }
    return -1;
}

// A negative number is a value, not an option ("--volume -6").
bool looksLikeOption(std::string_view arg) {
    return arg.size() > 1 && arg.front() == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

// Every option given must be one the command knows: a misspelt one is refused with the
// command's usage rather than taken as a file name or left unheeded.
bool refuseUnknownOptions(const padsmith::tool::ToolCommand& command,
                          const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!looksLikeOption(args[i])) {
            continue;
        }
        const int values = optionValues(command, args[i]);
        if (values < 0) {
            std::fprintf(stderr, "padsmith-kit: %s: unknown option %s\nusage: padsmith-kit %s\n",
                         command.name, args[i].c_str(), command.usage);
            return true;
        }
        i += static_cast<std::size_t>(values);
    }
    return false;
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
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (refuseUnknownOptions(*command, args)) {
        return 2;
    }
    return command->run(args);
}
