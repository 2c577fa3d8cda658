// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"

#include <filesystem>
#include <string>
#include <vector>

namespace padsmith {

class KitDocument;
class Pad;

// Reads a kit script or instrument file as the program's UTF-8 text (see decodeFileText).
// False when the file cannot be read.
bool readKitText(const std::filesystem::path& path, const CodePage& page, std::string& text);

// A text of a kit that the kit file's code page cannot hold.
struct UnheldText {
    int pad = -1;          // pad index; -1 for a kit string
    int row = -1;          // zone position; -1 for a kit string or a pad's name
    std::string field;     // "kit name", "copyright", "pad name", "sample name", "source path"
    std::string text;      // the whole text
    std::string character; // the first character of it that the code page cannot hold
};

// Every text a kit script of `kit` would hold that `page` cannot: the kit strings, the pad
// names and each zone's sample name and source path, in file order.
std::vector<UnheldText> findUnheldTexts(const KitDocument& kit, const CodePage& page);
// The same for the one pad of an instrument file: its name, then each zone's sample name and
// source path.
std::vector<UnheldText> findUnheldTexts(const Pad& pad, int padIndex, const CodePage& page);

// "Pad 3, row 2, sample name "Łódź.wav": "Ł" (U+0141) can't be written in the code page ..."
std::string unheldTextMessage(const UnheldText& unheld, const CodePage& page);

} // namespace padsmith
