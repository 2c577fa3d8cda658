// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitEdit.h"

#include <filesystem>
#include <string>
#include <vector>

namespace padsmith {

class KitHost;

// The pad clipboard: the pad a paste takes from and whether the paste moves it. It holds no
// zones: a paste takes the source pad as it is at that moment.
class PadClipboard {
public:
    // Copy also clears the cut mark: the next paste copies, whatever was cut before.
    void copy(int pad);
    void cut(int pad);
    void clear();
    int source() const { return source_; }
    bool cutMarked() const { return cut_; }
    // A pad was cut or copied and `target` is another pad.
    bool canPaste(int target) const { return source_ >= 0 && source_ != target; }

    // The paste onto `target` as an edit, and the clipboard emptied. Onto a pad with zones the
    // two pads' zones are swapped, onto an empty pad the source's zones are copied; after a Cut
    // the source pad is then emptied. Empty when there is nothing to paste.
    KitEdit paste(const KitDocument& kit, int target);

private:
    int source_ = -1;
    bool cut_ = false;
};

// Removes every zone of `pad`; its name becomes "XXX". No file is touched.
KitEdit deletePad(const KitDocument& kit, int pad);
// What a pad name never holds: a comma would end its field of the kit script, a line break
// its line.
inline constexpr const char* kPadNameRefused = ",\r\n";
// Names `pad` (at most 31 characters) and every zone of it. Empty for an empty name.
KitEdit renamePad(const KitDocument& kit, int pad, const std::string& name);

} // namespace padsmith
