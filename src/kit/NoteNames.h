// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace padsmith {

// "C-2" for key 0 up to "G8" for key 127; only the low seven bits of `key` count.
const std::string& noteName(int key);
// The key a note name spells ("C3", "c#3", "#C3", "C_3", "E#3", "H#3", ...), or -1.
int noteIndex(std::string_view text);

} // namespace padsmith
