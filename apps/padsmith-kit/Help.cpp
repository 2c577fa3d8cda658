// SPDX-License-Identifier: GPL-3.0-or-later
// Help texts and the manual page of padsmith-kit.
#include "Help.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace padsmith::tool {

namespace {

constexpr std::size_t kWidth = 79;

constexpr const char* kAbout =
    "Works on the drum kits of the Zarvo plug-in with the Padsmith editor's own core, for "
    "scripting and batch work. A kit is a kit script (a text file beginning with \"vst "
    "samples,\") and the sample files it names; the plug-in folder is the folder that holds "
    "Zarvo.dll, its kit scripts and their sample folders. Errors go to the standard error "
    "with a non-zero exit code, and a command that fails changes nothing.";

// "a\tb\nc\td" as pairs; a line without a tab has an empty second part.
std::vector<std::pair<std::string, std::string>> entries(const char* text) {
    std::vector<std::pair<std::string, std::string>> result;
    std::istringstream lines(text == nullptr ? "" : text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) {
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            result.emplace_back(line, std::string());
        } else {
            result.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        }
    }
    return result;
}

// Writes `text` word-wrapped at kWidth: the first line after `first` (already `column`
// characters wide), the others indented by `indent`.
void printWrapped(std::FILE* out, const std::string& text, std::size_t column, std::size_t indent) {
    std::istringstream words(text);
    std::string word;
    bool lineStart = true;
    while (words >> word) {
        if (!lineStart && column + 1 + word.size() > kWidth) {
            std::fprintf(out, "\n%*s", static_cast<int>(indent), "");
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            std::fputc(' ', out);
            ++column;
        }
        std::fputs(word.c_str(), out);
        column += word.size();
        lineStart = false;
    }
    std::fputc('\n', out);
}

// A two-column list: the left texts padded to one width, the right ones wrapped beside them.
void printTable(std::FILE* out, const std::vector<std::pair<std::string, std::string>>& rows) {
    std::size_t width = 0;
    for (const auto& row : rows) {
        width = std::max(width, row.first.size());
    }
    for (const auto& [left, right] : rows) {
        std::fprintf(out, "  %-*s  ", static_cast<int>(width), left.c_str());
        printWrapped(out, right, width + 4, width + 4);
    }
}

// Text for roff: backslashes and hyphens escaped, no line starting with a control character.
std::string roff(const std::string& text, bool minusSigns = false) {
    std::string result;
    for (const char c : text) {
        if (c == '\\') {
            result += "\\e";
        } else if (c == '-' && minusSigns) {
            result += "\\-";
        } else {
            result += c;
        }
    }
    if (!result.empty() && (result.front() == '.' || result.front() == '\'')) {
        result.insert(0, "\\&");
    }
    return result;
}

// "--plugin-dir DIR": the option in bold, its argument in italics.
std::string roffOption(const std::string& option) {
    const std::size_t space = option.find(' ');
    if (space == std::string::npos) {
        return "\\fB" + roff(option, true) + "\\fR";
    }
    return "\\fB" + roff(option.substr(0, space), true) + "\\fR \\fI" +
           roff(option.substr(space + 1), true) + "\\fR";
}

void printRoffList(std::FILE* out, const char* heading,
                   const std::vector<std::pair<std::string, std::string>>& rows, bool options) {
    if (rows.empty()) {
        return;
    }
    std::fprintf(out, ".PP\n%s\n.RS\n", heading);
    for (const auto& [left, right] : rows) {
        std::fprintf(out, ".TP\n%s\n%s\n", options ? roffOption(left).c_str() : roff(left).c_str(),
                     roff(right).c_str());
    }
    std::fprintf(out, ".RE\n");
}

} // namespace

std::string summaryOf(const std::string& description) {
    // A stop inside a word ("KIT PAD.txt") does not end the clause.
    for (std::size_t i = 0; i < description.size(); ++i) {
        const bool stop = description[i] == '.' || description[i] == ':';
        if (stop && (i + 1 == description.size() || description[i + 1] == ' ')) {
            return description.substr(0, i);
        }
    }
    return description;
}

void printOverview(std::FILE* out, const std::vector<const ToolCommand*>& commands) {
    std::fprintf(out, "usage: padsmith-kit COMMAND [ARGUMENTS]\n"
                      "       padsmith-kit help COMMAND | --help | --version\n\n");
    printWrapped(out, kAbout, 0, 0);
    std::fprintf(out, "\ncommands:\n");
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ToolCommand* command : commands) {
        rows.emplace_back(command->name, summaryOf(command->description));
    }
    printTable(out, rows);
    std::fprintf(out, "\nusage of each command:\n");
    for (const ToolCommand* command : commands) {
        std::fprintf(out, "  padsmith-kit %s\n", command->usage);
    }
    std::fprintf(out, "\n\"padsmith-kit help COMMAND\" tells what a command does, its options "
                      "and exit codes.\n");
}

void printCommandHelp(std::FILE* out, const ToolCommand& command) {
    std::fprintf(out, "usage: padsmith-kit %s\n\n", command.usage);
    printWrapped(out, command.description, 0, 0);
    if (const auto options = entries(command.options); !options.empty()) {
        std::fprintf(out, "\noptions:\n");
        printTable(out, options);
    }
    if (const auto codes = entries(command.exitCodes); !codes.empty()) {
        std::fprintf(out, "\nexit codes:\n");
        printTable(out, codes);
    }
}

void printManPage(std::FILE* out, const std::vector<const ToolCommand*>& commands,
                  const std::string& version) {
    std::fprintf(out,
                 ".TH PADSMITH-KIT 1 \"\" \"Padsmith %s\" \"User Commands\"\n"
                 ".SH NAME\n"
                 "padsmith-kit \\- work on Zarvo drum kits from the command line\n"
                 ".SH SYNOPSIS\n"
                 ".B padsmith-kit\n"
                 ".I COMMAND\n"
                 ".RI [ ARGUMENTS ]\n"
                 ".br\n"
                 ".B padsmith-kit help\n"
                 ".I COMMAND\n"
                 ".br\n"
                 ".B padsmith-kit\n"
                 ".BR \\-\\-help \" | \" \\-\\-version\n"
                 ".SH DESCRIPTION\n%s\n",
                 roff(version).c_str(), roff(kAbout).c_str());

    std::fprintf(out, ".SH COMMANDS\n");
    for (const ToolCommand* command : commands) {
        std::fprintf(out, ".SS \"%s\"\n%s\n", roff(command->usage, true).c_str(),
                     roff(command->description).c_str());
        printRoffList(out, "Options:", entries(command->options), true);
        printRoffList(out, "Exit status:", entries(command->exitCodes), false);
    }

    std::fprintf(out, ".SH OPTIONS\n"
                      ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n"
                      "Print the commands with their usage and exit.\n"
                      ".TP\n\\fBhelp\\fR \\fICOMMAND\\fR, \\fICOMMAND\\fR \\fB\\-\\-help\\fR\n"
                      "Print what the command does, its options and exit codes, and exit.\n"
                      ".TP\n\\fB\\-\\-version\\fR\n"
                      "Print the program's name and version and exit.\n"
                      ".SH EXIT STATUS\n"
                      "Each command above lists its own exit codes. In general:\n"
                      ".TP\n.B 0\nsuccess\n"
                      ".TP\n.B 1\nthe work failed; what failed is told on the standard error\n"
                      ".TP\n.B 2\nwrong usage: an unknown command or option, or a missing "
                      "argument\n"
                      ".SH SEE ALSO\n"
                      ".BR padsmith (1)\n");
}

} // namespace padsmith::tool
