#include "kit/PadEdits.h"

#include "kit/KitHost.h"
#include "platform/Files.h"

#include <algorithm>

namespace padsmith {

namespace {

bool validPad(int pad) {
    return pad >= 0 && pad < kPadCount;
}

// The zones of `from` as they sit on pad `pad`.
std::vector<SampleZone> zonesFor(const Pad& from, int pad) {
    std::vector<SampleZone> zones = from.zones();
    for (SampleZone& zone : zones) {
        zone.padNumber = pad + 1;
    }
    return zones;
}

// A pad with zones shows the name its first zone carries.
void nameFromZones(Pad& pad) {
    if (!pad.empty()) {
        pad.label = pad.at(0).padName;
    }
}

void empty(Pad& pad) {
    pad.clear();
    pad.label = kUnnamedPad;
}

bool namedByKit(const KitDocument& kit, const std::string& sampleName) {
    const std::string wanted = lowerCaseAscii(sampleName);
    return std::any_of(kit.pads.begin(), kit.pads.end(), [&](const Pad& pad) {
        return std::any_of(pad.begin(), pad.end(), [&](const SampleZone& zone) {
            return lowerCaseAscii(zone.sampleName) == wanted;
        });
    });
}

} // namespace

void PadClipboard::copy(int pad) {
    source_ = validPad(pad) ? pad : -1;
    cut_ = false;
}

void PadClipboard::cut(int pad) {
    source_ = validPad(pad) ? pad : -1;
    cut_ = source_ >= 0;
}

void PadClipboard::clear() {
    source_ = -1;
    cut_ = false;
}

KitEdit PadClipboard::paste(const KitDocument& kit, int target) {
    if (!canPaste(target) || !validPad(target)) {
        return {};
    }
    const int from = source_;
    const bool move = cut_;
    clear();

    const Pad& source = kit.pads[static_cast<std::size_t>(from)];
    const Pad& current = kit.pads[static_cast<std::size_t>(target)];
    Pad newSource = source;
    Pad newTarget = current;
    newTarget.zones() = zonesFor(source, target);
    if (!current.empty()) {
        newSource.zones() = zonesFor(current, from);
    }
    if (move) {
        // The target's former zones (after a swap) leave the kit with the source pad.
        empty(newSource);
    }
    nameFromZones(newSource);
    nameFromZones(newTarget);

    KitEdit edit;
    edit.name = move ? "Move Pad" : current.empty() ? "Paste Pad" : "Swap Pads";
    edit.changes.push_back(PadChange{from, source, newSource});
    edit.changes.push_back(PadChange{target, current, newTarget});
    return edit;
}

KitEdit deletePad(const KitDocument& kit, int pad) {
    if (!validPad(pad)) {
        return {};
    }
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    Pad after = before;
    empty(after);
    return KitEdit{"Delete Pad", {PadChange{pad, before, after}}};
}

KitEdit renamePad(const KitDocument& kit, int pad, const std::string& name) {
    if (!validPad(pad) || name.empty()) {
        return {};
    }
    const std::string cut = cutText(name, kPadNameMax);
    const Pad& before = kit.pads[static_cast<std::size_t>(pad)];
    Pad after = before;
    after.label = cut;
    for (SampleZone& zone : after) {
        zone.padName = cut;
    }
    return KitEdit{"Rename Pad", {PadChange{pad, before, after}}};
}

void SampleDeletions::note(const KitDocument& kit, const KitEdit& edit, bool shareSamples) {
    if (shareSamples) {
        return;
    }
    for (const PadChange& change : edit.changes) {
        for (const SampleZone& zone : change.before) {
            if (!zone.sampleName.empty() && !namedByKit(kit, zone.sampleName)) {
                notes_.push_back(Note{kit.sampleFolder, zone.sampleName, zone.sourcePath});
            }
        }
    }
}

std::vector<std::filesystem::path>
SampleDeletions::deleteAfterSave(const KitDocument& saved,
                                 const std::filesystem::path& pluginFolder, KitHost& host) {
    std::vector<std::filesystem::path> deleted;
    std::vector<Note> notes;
    notes.swap(notes_);
    for (const Note& note : notes) {
        // A kit saved under another sample folder leaves the old folder to the script that
        // still names it.
        if (note.folder != saved.sampleFolder || saved.sampleFolder == kSharedSampleFolder ||
            !isPlainName(note.folder) || !isPlainName(note.sampleName) ||
            namedByKit(saved, note.sampleName)) {
            continue;
        }
        const std::filesystem::path file =
            joinPath(joinPath(pluginFolder, note.folder), note.sampleName);
        std::error_code error;
        if (std::find(deleted.begin(), deleted.end(), file) != deleted.end() ||
            (!note.sourcePath.empty() &&
             std::filesystem::equivalent(file, std::filesystem::path(note.sourcePath), error))) {
            continue;
        }
        if (deleted.empty()) {
            host.stopPreview();
        }
        if (std::filesystem::is_regular_file(file, error) && deletePath(file)) {
            deleted.push_back(file);
        }
    }
    return deleted;
}

} // namespace padsmith
