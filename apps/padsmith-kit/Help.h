// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ToolCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace padsmith::tool {

// The help of padsmith-kit in its three forms, all drawn from the commands' own texts, so a
// new command is documented everywhere by its table entry.

// What `padsmith-kit --help` prints: the synopsis and every command with its summary.
void printOverview(std::FILE* out, const std::vector<const ToolCommand*>& commands);
// What `padsmith-kit help COMMAND` prints: usage, description, options, exit codes.
void printCommandHelp(std::FILE* out, const ToolCommand& command);
// The manual page padsmith-kit(1) in roff.
void printManPage(std::FILE* out, const std::vector<const ToolCommand*>& commands,
                  const std::string& version);

// The first clause of a description: up to its first colon or full stop that ends a word.
std::string summaryOf(const std::string& description);

} // namespace padsmith::tool
