// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitEdit.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace padsmith {

namespace {

bool validPad(int pad) {
    return pad >= 0 && pad < kPadCount;
}

} // namespace

bool KitEdit::empty() const {
    return std::all_of(changes.begin(), changes.end(),
                       [](const PadChange& change) { return change.before == change.after; });
}

void applyEdit(KitDocument& kit, const KitEdit& edit) {
    for (const PadChange& change : edit.changes) {
        if (validPad(change.pad)) {
            kit.pads[static_cast<std::size_t>(change.pad)] = change.after;
        }
    }
}

KitEdit inverseOf(const KitEdit& edit) {
    KitEdit inverse;
    inverse.name = edit.name;
    inverse.changes.reserve(edit.changes.size());
    for (auto change = edit.changes.rbegin(); change != edit.changes.rend(); ++change) {
        inverse.changes.push_back(PadChange{change->pad, change->after, change->before});
    }
    return inverse;
}

void followMovedSources(KitEdit& edit, const std::map<std::string, std::string>& moved) {
    if (moved.empty()) {
        return;
    }
    for (PadChange& change : edit.changes) {
        for (Pad* pad : {&change.before, &change.after}) {
            for (SampleZone& zone : *pad) {
                if (const auto it = moved.find(zone.sourcePath); it != moved.end()) {
                    zone.sourcePath = it->second;
                }
            }
        }
    }
}

EditPlace placeOf(const KitEdit& edit, int preferred) {
    const PadChange* shown = nullptr;
    for (const PadChange& change : edit.changes) {
        if (!validPad(change.pad) || change.before == change.after) {
            continue;
        }
        if (shown == nullptr || change.pad == preferred) {
            shown = &change;
        }
    }
    EditPlace place;
    if (shown == nullptr) {
        return place;
    }
    place.pad = shown->pad;
    for (std::size_t row = 0; row < shown->after.size(); ++row) {
        if (row >= shown->before.size() || !(shown->after.at(row) == shown->before.at(row))) {
            place.rows.push_back(static_cast<int>(row));
        }
    }
    return place;
}

KitEditRecorder::KitEditRecorder(KitDocument& kit, std::string name) : kit_(kit) {
    edit_.name = std::move(name);
}

Pad& KitEditRecorder::touch(int pad) {
    if (!validPad(pad)) {
        throw std::out_of_range("pad index out of range");
    }
    const bool known = std::any_of(edit_.changes.begin(), edit_.changes.end(),
                                   [pad](const PadChange& change) { return change.pad == pad; });
    Pad& target = kit_.pads[static_cast<std::size_t>(pad)];
    if (!known) {
        edit_.changes.push_back(PadChange{pad, target, Pad{}});
    }
    return target;
}

KitEdit KitEditRecorder::finish() const {
    KitEdit edit = edit_;
    for (PadChange& change : edit.changes) {
        change.after = kit_.pads[static_cast<std::size_t>(change.pad)];
    }
    return edit;
}

} // namespace padsmith
