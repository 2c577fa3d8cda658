// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"

#include <optional>
#include <string>
#include <string_view>

namespace padsmith {

// The one rule for the name a zone gives its sample (the file in the kit's sample folder) and
// for the source paths a kit script records. A name that passes is written into the script,
// read back and found as a file unchanged.

// Why `name` cannot name a sample; empty when it can. A sample name is a single name in its
// folder (not empty, "." or "..", no "/" or "\"), fits a field of the kit script (no comma, no
// line break or other control character, at most 256 characters), starts and ends with no blank
// (the plug-in drops leading ones and some systems drop trailing ones), and every character of
// it is one the plug-in's code page holds.
std::string sampleNameProblem(std::string_view name, const CodePage& codePage = CodePage());

// A name that fails the rule made into one that may pass: commas, tabs and line breaks become
// blanks, and blanks at either end go. Everything else stays, letter case included.
std::string cleanSampleName(std::string_view name);

// The sample name an imported file gets: its own file name when that passes the rule, else the
// cleaned name when that passes. Nothing when neither does; `problem` then says why.
std::optional<std::string> importedSampleName(std::string_view fileName, const CodePage& codePage,
                                              std::string* problem = nullptr);

// Why a source path cannot be recorded in a kit script's path line; empty when it can: it holds
// no comma and no control character, is at most 256 characters long and the code page holds
// it. A path that fails is refused, never cut or changed.
std::string sourcePathProblem(std::string_view path, const CodePage& codePage = CodePage());

class KitDocument;

// "/lib/Drums, acoustic/kick.wav: Its path holds a comma, ...": the first source path of `kit`
// that its path lines can't record (sourcePathProblem), with why; nothing when every one fits.
std::optional<std::string> unrecordableSourcePath(const KitDocument& kit,
                                                  const CodePage& codePage = CodePage());

// Whether a zone of `kit` other than the one at (`pad`, `row`) names its sample `name` (in any
// letter case, as the plug-in's folders on Windows do not tell them apart) but copies it from
// another source than `sourcePath`: the two would share one copy, and one of them would play
// the other's sample. Pass -1 as `pad` to compare with every zone.
bool sampleNameTaken(const KitDocument& kit, std::string_view name, std::string_view sourcePath,
                     int pad = -1, int row = -1);

// "kick.wav is the name of another sample of this kit (pad 3)."
std::string sampleNameTakenText(std::string_view name);

} // namespace padsmith
