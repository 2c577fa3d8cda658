// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitChecks.h"
#include "kit/KitEdit.h"
#include "kit/ZoneColumns.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace padsmith {

class KitHost;

// The in-place editor holds at most this many characters; longer text is cut to it.
inline constexpr std::size_t kCellTextMax = 255;

// The first and the last blank-separated word of a typed pair: "  1 - 127" gives "1" and
// "127", "100" gives "100" and "". The last word is empty when the only blank is the first
// character.
std::pair<std::string, std::string> splitPair(std::string_view text);

// The decimal number a text begins with (leading white space and a sign allowed), 0 when it
// begins with none. Numbers too large for an int saturate instead of overflowing.
int leadingInteger(std::string_view text);

// Two numbers typed into one cell, put in order and clamped to 0..127.
struct NumberPair {
    int low = 0;
    int high = 0;
};
NumberPair parseNumberPair(std::string_view text);

// The column a tool argument names: a column title ("Key", "Key Range", ...) or "Vol", in any
// letter case. Empty for anything else.
std::optional<ZoneColumn> zoneColumnNamed(std::string_view name);

// What the editor starts with when a cell of `zone` (a zone of pad index `pad`) is edited:
// pairs as "1  127" / "C-2  G8", volumes as "0  6", an ungrouped zone's Group as the pad number.
std::string editStartText(const SampleZone& zone, ZoneColumn column, int pad);

// What a cell of `column` takes, as the user is told when typed text spells nothing there:
// "a note name such as C3, or a number 0 to 127", ...
std::string cellTextExpected(ZoneColumn column);

// The message for a typed text that spells no value of `column`, empty when it spells one.
// Blanks around the text are ignored; a pair column takes one or two words (with a "-" between
// them, as the list shows a pair), the other columns one word; each word must be a note name
// (Key and Key Range) or a whole number with an optional sign. So "C3 ", "36 C3" and "127  1"
// are read, "kick", "Db3", "12abc" and "100 soft" are refused.
std::string cellTextRefusal(ZoneColumn column, std::string_view text);

// A typed cell text applied to rows of one pad.
struct CellCommit {
    KitEdit edit;                    // empty when nothing changed
    std::optional<int> refusedRow;   // the row whose new key another pad already plays
    std::optional<ZoneRef> conflict; // the zone of that other pad
    std::string refusal;             // the text spells nothing for the column (nothing changed)
};

// Applies `text` to `column` of the zones at `rows` of pad `pad`, as a typed cell commit does:
// note names or numbers, pairs put in order, every value clamped to what the plug-in takes; a
// single volume is both channels'. Text that spells nothing changes nothing (`refusal` says why).
// A key that would make a double-defined note stops the commit at that row: the rows before it
// are changed, it and the rows after it are not (`report` is told, as checkDoubleNote does).
// Rows outside the pad are passed over; empty text, the Sample and Source Folder columns
// change nothing. The kit itself is not changed: apply the returned edit.
CellCommit commitCell(const KitDocument& kit, int pad, std::vector<int> rows, ZoneColumn column,
                      std::string_view text, KitHost* report);

// "Set dynamic velocity": sorts pad `pad`'s zones by key (equal keys keep their order) and
// shares velocity 1..127 between the zones of each key, softest first. Empty with fewer than
// two zones.
KitEdit spreadVelocities(const KitDocument& kit, int pad);

// The velocity window of zone `index` of `count` zones that share one key.
std::pair<int, int> spreadWindow(int index, int count);

// The zone fields that follow from where a zone sits: its pad number, and the two reserved
// fields, which the editor always keeps at 0. Done whenever a pad's zones are shown.
void settleZones(Pad& pad, int padIndex);

} // namespace padsmith
