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

// Sample files of the kit's own folder that pad edits gave up. They are deleted only when the
// kit is saved, and only those the saved kit no longer names: a kit closed without saving, or
// an edit undone, still finds every file its script names.
class SampleDeletions {
public:
    // After `edit` was applied to `kit`: notes the sample files of the zones it removed
    // (the kit's sample folder and the zone's sample name). With shared samples no file of a
    // pad is ever deleted, so nothing is noted.
    void note(const KitDocument& kit, const KitEdit& edit, bool shareSamples);
    // After `saved` was written: deletes the noted files of its sample folder that none of its
    // zones names (in any letter case) and forgets every note. A file that was itself the
    // removed zone's source stays: undoing the edit later must find its sample. Returns the
    // files deleted.
    std::vector<std::filesystem::path> deleteAfterSave(const KitDocument& saved,
                                                       const std::filesystem::path& pluginFolder,
                                                       KitHost& host);
    void clear() { notes_.clear(); }
    bool empty() const { return notes_.empty(); }

private:
    struct Note {
        std::string folder;
        std::string sampleName;
        std::string sourcePath;
    };
    std::vector<Note> notes_;
};

} // namespace padsmith
