// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/GrooveZones.h"

#include "kit/NoteNames.h"
#include "kit/Trigger.h"

#include <algorithm>
#include <map>

namespace padsmith {

std::optional<ZonePlay> zonePlayed(const KitDocument& kit, int note, int velocity,
                                   std::optional<int> pad) {
    std::optional<ZoneRef> found;
    if (pad) {
        if (*pad < 0 || *pad >= kPadCount) {
            return std::nullopt;
        }
        const int row = triggeredRow(kit.pads[static_cast<std::size_t>(*pad)], note, velocity);
        if (row >= 0) {
            found = ZoneRef{*pad, row};
        }
    } else {
        found = triggeredZone(kit, note, velocity);
    }
    if (!found) {
        return std::nullopt;
    }
    const SampleZone& zone = kit.pads[static_cast<std::size_t>(found->pad)].at(
        static_cast<std::size_t>(found->position));
    return ZonePlay{*found, zone.sourcePath, zone.gainLeft, zone.gainRight};
}

int sweepNote(const KitDocument& kit, int pad) {
    if (pad < 0 || pad >= kPadCount) {
        return -1;
    }
    const Pad& played = kit.pads[static_cast<std::size_t>(pad)];
    const int row = auditionZone(played);
    return row < 0 ? -1 : played.at(static_cast<std::size_t>(row)).key;
}

std::vector<UnplayedNote> unplayedNotes(const KitDocument& kit, const Groove& groove,
                                        std::optional<int> pad) {
    std::map<int, UnplayedNote> notes;
    for (const GrooveHit& hit : groove.hits) {
        if (zonePlayed(kit, hit.note, hit.velocity, pad)) {
            continue;
        }
        UnplayedNote& unplayed = notes[hit.note];
        unplayed.note = hit.note;
        ++unplayed.hits;
        unplayed.lowestVelocity = std::min(unplayed.lowestVelocity, hit.velocity);
        unplayed.highestVelocity = std::max(unplayed.highestVelocity, hit.velocity);
    }
    std::vector<UnplayedNote> list;
    for (const auto& [note, unplayed] : notes) {
        list.push_back(unplayed);
    }
    return list;
}

std::string describeUnplayed(const UnplayedNote& note) {
    std::string text = "note " + std::to_string(note.note) + " (" + noteName(note.note) +
                       "): " + std::to_string(note.hits) + (note.hits == 1 ? " hit" : " hits");
    text += note.lowestVelocity == note.highestVelocity
                ? ", velocity " + std::to_string(note.lowestVelocity)
                : ", velocities " + std::to_string(note.lowestVelocity) + " to " +
                      std::to_string(note.highestVelocity);
    return text;
}

} // namespace padsmith
