// SPDX-License-Identifier: GPL-3.0-or-later
// The kit's health check: which zones the plug-in will play, and the fixes that make it play
// what the user means. The findings about sample files and folders are in KitHealthFiles.cpp,
// double notes in KitHealthNotes.cpp.
#include "kit/KitHealth.h"

#include "kit/KitChecks.h"
#include "kit/KitHealthParts.h"
#include "kit/NoteNames.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <map>
#include <set>
#include <tuple>

namespace padsmith {

namespace {

using Velocities = std::bitset<128>; // bit v: velocity v (1 to 127) answers

Velocities maskOf(VelocitySpan window) {
    Velocities mask;
    for (int v = window.low; v <= window.high; ++v) {
        mask.set(static_cast<std::size_t>(v));
    }
    return mask;
}

// Splits `window` into `parts` runs, lowest first; empty when it holds fewer velocities.
std::vector<VelocitySpan> splitWindow(VelocitySpan window, std::size_t parts) {
    const int width = window.high - window.low + 1;
    std::vector<VelocitySpan> runs;
    if (parts == 0 || static_cast<std::size_t>(width) < parts) {
        return runs;
    }
    const auto n = static_cast<int>(parts);
    for (int i = 0; i < n; ++i) {
        runs.push_back({window.low + width * i / n, window.low + width * (i + 1) / n - 1});
    }
    return runs;
}

// The zones of `key` that play `window`, in trigger order: the takes that share it.
std::vector<ZoneRef> takesOf(const KitDocument& kit, int key, VelocitySpan window) {
    std::vector<ZoneRef> takes;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t r = 0; r < pad.size(); ++r) {
            if (pad.at(r).key == key && playedVelocities(pad.at(r)) == window) {
                takes.push_back({p, static_cast<int>(r)});
            }
        }
    }
    return takes;
}

HealthFix removeFix(ZoneRef ref) {
    return HealthFix{"Remove Row", [ref](const KitDocument& kit) {
                         KitEdit edit{"Remove Row", {}};
                         touchPad(edit, kit, ref.pad).erase(static_cast<std::size_t>(ref.position));
                         return edit;
                     }};
}

} // namespace

bool validKey(int key) {
    return key >= 0 && key < kKeys;
}

const SampleZone& zoneAt(const KitDocument& kit, ZoneRef ref) {
    return kit.pads[static_cast<std::size_t>(ref.pad)].at(static_cast<std::size_t>(ref.position));
}

std::string windowText(VelocitySpan window) {
    return window.low == window.high
               ? std::to_string(window.low)
               : std::to_string(window.low) + "–" + std::to_string(window.high);
}

// "row 2" for a zone of `pad`, "pad 3 row 1" for one of another pad.
std::string placeText(ZoneRef ref, int pad) {
    const std::string row = "row " + std::to_string(ref.position + 1);
    return ref.pad == pad ? row : "pad " + std::to_string(ref.pad + 1) + " " + row;
}

std::string joinedList(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) {
            text += i + 1 == items.size() ? " and " : ", ";
        }
        text += items[i];
    }
    return text;
}

// Gives each of the `takes` zones that share `window` on `key` one run of it, lowest first in
// trigger order. The zones are looked up when the fix is applied: a finding keeps no copy.
std::optional<HealthFix> interleaveFix(std::size_t takes, int key, VelocitySpan window) {
    // Each take needs a velocity of its own (as splitWindow asks, without making the runs).
    if (takes < 2 || static_cast<std::size_t>(window.high - window.low + 1) < takes) {
        return std::nullopt;
    }
    return HealthFix{"Interleave Takes", [key, window](const KitDocument& kit) {
                         KitEdit edit{"Interleave Takes", {}};
                         const std::vector<ZoneRef> group = takesOf(kit, key, window);
                         const std::vector<VelocitySpan> runs = splitWindow(window, group.size());
                         for (std::size_t i = 0; i < runs.size(); ++i) {
                             SampleZone& zone =
                                 touchPad(edit, kit, group[i].pad)
                                     .at(static_cast<std::size_t>(group[i].position));
                             zone.velocityLow = runs[i].low;
                             zone.velocityHigh = runs[i].high;
                         }
                         return edit;
                     }};
}

WindowGroups groupByWindow(const KitDocument& kit) {
    WindowGroups groups;
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t r = 0; r < pad.size(); ++r) {
            const VelocitySpan window = playedVelocities(pad.at(r));
            ++groups[{pad.at(r).key, window.low, window.high}];
        }
    }
    return groups;
}

namespace {

bool overlaps(VelocitySpan a, VelocitySpan b) {
    return std::max(a.low, b.low) <= std::min(a.high, b.high);
}

struct KeyState {
    Velocities covered;
    std::vector<ZoneRef> players; // zones of this key that play at least one velocity
    // For each covered velocity, the player that answers it: the first in trigger order.
    std::array<std::uint8_t, 128> playerAt{};

    ZoneRef playing(int velocity) const {
        return players[playerAt[static_cast<std::size_t>(velocity)]];
    }
};

HealthFinding shadowedFinding(const KitDocument& kit, ZoneRef ref, const KeyState& state,
                              const WindowGroups& groups) {
    const SampleZone& zone = zoneAt(kit, ref);
    const VelocitySpan window = playedVelocities(zone);
    std::vector<ZoneRef> coverers;
    for (const ZoneRef other : state.players) {
        if (overlaps(playedVelocities(zoneAt(kit, other)), window)) {
            coverers.push_back(other);
        }
    }
    std::vector<std::string> places;
    std::vector<std::string> windows;
    for (const ZoneRef other : coverers) {
        places.push_back(placeText(other, ref.pad));
        windows.push_back(windowText(playedVelocities(zoneAt(kit, other))));
    }
    HealthFinding finding;
    finding.kind = HealthKind::NeverPlays;
    finding.pad = ref.pad;
    finding.rows = {ref.position};
    const bool one = coverers.size() == 1;
    finding.message = "Row " + std::to_string(ref.position + 1) +
                      " can never play: " + joinedList(places) + (one ? " plays " : " play ") +
                      noteName(zone.key) + " at " + joinedList(windows) + " first";
    // The takes that share one window can share it out, when nothing else covers it: every
    // zone before it is one of them, a zone of the same key and window.
    const bool onlyTakes = std::all_of(coverers.begin(), coverers.end(), [&](ZoneRef other) {
        return playedVelocities(zoneAt(kit, other)) == window;
    });
    if (onlyTakes) {
        if (auto fix =
                interleaveFix(groups.at({zone.key, window.low, window.high}), zone.key, window)) {
            finding.fixes.push_back(std::move(*fix));
        }
    }
    finding.fixes.push_back(removeFix(ref));
    return finding;
}

HealthFinding silentFinding(const KitDocument& kit, ZoneRef ref) {
    const SampleZone& zone = zoneAt(kit, ref);
    HealthFinding finding;
    finding.kind = HealthKind::NeverPlays;
    finding.pad = ref.pad;
    finding.rows = {ref.position};
    const std::string row = "Row " + std::to_string(ref.position + 1) + " can never play: ";
    finding.message = validKey(zone.key)
                          ? row + "its velocity window " + std::to_string(zone.velocityLow) + "–" +
                                std::to_string(zone.velocityHigh) + " holds no velocity"
                          : row + "its key " + std::to_string(zone.key) + " is no MIDI note";
    finding.fixes.push_back(removeFix(ref));
    return finding;
}

// Zones that never play, in trigger order; `keys` gets what each key plays.
std::vector<HealthFinding> neverPlaying(const KitDocument& kit, std::array<KeyState, kKeys>& keys) {
    std::vector<HealthFinding> findings;
    const WindowGroups groups = groupByWindow(kit);
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t r = 0; r < pad.size(); ++r) {
            const ZoneRef ref{p, static_cast<int>(r)};
            const SampleZone& zone = pad.at(r);
            const VelocitySpan window = playedVelocities(zone);
            if (!validKey(zone.key) || window.empty()) {
                findings.push_back(silentFinding(kit, ref));
                continue;
            }
            KeyState& state = keys[static_cast<std::size_t>(zone.key)];
            const Velocities mask = maskOf(window);
            if ((mask & ~state.covered).none()) {
                findings.push_back(shadowedFinding(kit, ref, state, groups));
                continue;
            }
            for (int v = window.low; v <= window.high; ++v) {
                if (!state.covered.test(static_cast<std::size_t>(v))) {
                    state.playerAt[static_cast<std::size_t>(v)] =
                        static_cast<std::uint8_t>(state.players.size());
                }
            }
            state.covered |= mask;
            state.players.push_back(ref);
        }
    }
    return findings;
}

// Velocities of a key that nothing plays, next to velocities that something does.
std::vector<HealthFinding> velocityGaps(const std::array<KeyState, kKeys>& keys) {
    std::vector<HealthFinding> findings;
    for (int key = 0; key < kKeys; ++key) {
        const KeyState& state = keys[static_cast<std::size_t>(key)];
        const Velocities& covered = state.covered;
        if (covered.none()) {
            continue;
        }
        for (int v = 1; v <= 127;) {
            if (covered.test(static_cast<std::size_t>(v))) {
                ++v;
                continue;
            }
            const int first = v;
            while (v <= 127 && !covered.test(static_cast<std::size_t>(v))) {
                ++v;
            }
            const VelocitySpan gap{first, v - 1};
            const std::optional<ZoneRef> below =
                first > 1 ? std::optional(state.playing(first - 1)) : std::nullopt;
            const std::optional<ZoneRef> above =
                gap.high < 127 ? std::optional(state.playing(gap.high + 1)) : std::nullopt;
            const ZoneRef anchor = below ? *below : *above;

            HealthFinding finding;
            finding.kind = HealthKind::VelocityGap;
            finding.severity = Severity::Warning;
            finding.pad = anchor.pad;
            for (const auto& neighbour : {below, above}) {
                if (neighbour && neighbour->pad == anchor.pad) {
                    finding.rows.push_back(neighbour->position);
                }
            }
            std::sort(finding.rows.begin(), finding.rows.end());
            finding.message = "Velocit" + std::string(gap.low == gap.high ? "y " : "ies ") +
                              windowText(gap) + " of " + noteName(key) + " play nothing";

            // The neighbours grow over the gap: the one below takes its lower half.
            const int width = gap.high - gap.low + 1;
            const int split = below && above ? gap.low + width / 2 : (below ? v : gap.low);
            finding.fixes.push_back(
                {"Stretch Velocities", [below, above, split](const KitDocument& on) {
                     KitEdit edit{"Stretch Velocities", {}};
                     if (below) {
                         touchPad(edit, on, below->pad)
                             .at(static_cast<std::size_t>(below->position))
                             .velocityHigh = split - 1;
                     }
                     if (above) {
                         touchPad(edit, on, above->pad)
                             .at(static_cast<std::size_t>(above->position))
                             .velocityLow = split;
                     }
                     return edit;
                 }});
            findings.push_back(std::move(finding));
        }
    }
    return findings;
}

std::vector<HealthFinding> playFindings(const KitDocument& kit, std::array<KeyState, kKeys>& keys) {
    std::vector<HealthFinding> findings = neverPlaying(kit, keys);
    std::vector<HealthFinding> gaps = velocityGaps(keys);
    findings.insert(findings.end(), std::make_move_iterator(gaps.begin()),
                    std::make_move_iterator(gaps.end()));
    return findings;
}

// By pad (kit-wide findings, pad -1, last), then kind, then first row, in the order found
// where those are equal. The keys are sorted, not the findings: each is moved once.
void sortFindings(std::vector<HealthFinding>& findings) {
    struct Key {
        int pad;
        int kind;
        int row;
        std::size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(findings.size());
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const HealthFinding& finding = findings[i];
        keys.push_back({finding.pad < 0 ? kPadCount : finding.pad, static_cast<int>(finding.kind),
                        finding.rows.empty() ? -1 : finding.rows.front(), i});
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return std::tie(a.pad, a.kind, a.row, a.index) < std::tie(b.pad, b.kind, b.row, b.index);
    });
    std::vector<HealthFinding> sorted;
    sorted.reserve(findings.size());
    for (const Key& key : keys) {
        sorted.push_back(std::move(findings[key.index]));
    }
    findings = std::move(sorted);
}

bool sameFinding(const HealthFinding& a, const HealthFinding& b) {
    return a.kind == b.kind && a.pad == b.pad && a.rows == b.rows && a.message == b.message;
}

} // namespace

KitEdit HealthFix::editFor(const KitDocument& kit) const {
    return build ? build(kit) : KitEdit{name, {}};
}

Pad& touchPad(KitEdit& edit, const KitDocument& kit, int pad) {
    for (PadChange& change : edit.changes) {
        if (change.pad == pad) {
            return change.after;
        }
    }
    const Pad& now = kit.pads[static_cast<std::size_t>(pad)];
    edit.changes.push_back(PadChange{pad, now, now});
    return edit.changes.back().after;
}

std::string_view healthKindName(HealthKind kind) {
    switch (kind) {
    case HealthKind::NeverPlays:
        return "never-plays";
    case HealthKind::VelocityGap:
        return "velocity-gap";
    case HealthKind::DoubleNote:
        return "double-note";
    case HealthKind::MissingSample:
        return "missing-sample";
    case HealthKind::UnreadableSample:
        return "unreadable-sample";
    case HealthKind::UnplayableFormat:
        return "unplayable-format";
    case HealthKind::MixedFormat:
        return "mixed-format";
    case HealthKind::LevelOrder:
        return "level-order";
    case HealthKind::UnusedFile:
        return "unused-file";
    case HealthKind::StaleCopy:
        return "stale-copy";
    case HealthKind::CodePageText:
        return "code-page";
    case HealthKind::SampleName:
        return "sample-name";
    }
    return "";
}

std::optional<HealthKind> healthKindFromName(std::string_view name) {
    for (int k = 0; k < kHealthKindCount; ++k) {
        if (healthKindName(static_cast<HealthKind>(k)) == name) {
            return static_cast<HealthKind>(k);
        }
    }
    return std::nullopt;
}

std::string_view severityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Note:
        return "note";
    }
    return "";
}

std::vector<HealthFinding> checkKitHealth(const KitDocument& kit, const HealthInputs& inputs) {
    std::array<KeyState, kKeys> keys;
    std::vector<HealthFinding> findings = playFindings(kit, keys);
    std::vector<HealthFinding> more = doubleNoteFindings(kit);
    findings.insert(findings.end(), std::make_move_iterator(more.begin()),
                    std::make_move_iterator(more.end()));
    std::set<std::pair<int, int>> silent;
    for (const HealthFinding& finding : findings) {
        if (finding.kind == HealthKind::NeverPlays) {
            silent.insert({finding.pad, finding.rows.front()});
        }
    }
    more = sampleFindings(kit, inputs, silent);
    findings.insert(findings.end(), std::make_move_iterator(more.begin()),
                    std::make_move_iterator(more.end()));
    sortFindings(findings);
    return findings;
}

std::vector<HealthFinding> padPlayFindings(const KitDocument& kit, int pad) {
    std::array<KeyState, kKeys> keys;
    std::vector<HealthFinding> findings = playFindings(kit, keys);
    std::erase_if(findings, [pad](const HealthFinding& finding) { return finding.pad != pad; });
    sortFindings(findings);
    return findings;
}

int applyHealthFixes(KitDocument& kit, HealthKind kind, const HealthInputs& inputs,
                     KitEdit* combined) {
    const KitDocument original = kit;
    std::vector<HealthFinding> passedOver; // fixes that did not remove their finding
    int applied = 0;
    // Each fix removes at least its own finding; the bound only guards against a fix that
    // brings back another one.
    const std::size_t bound = 4 * (kit.pads.size() + 1) * 128;
    for (std::size_t round = 0; round < bound; ++round) {
        const std::vector<HealthFinding> findings = checkKitHealth(kit, inputs);
        const auto next =
            std::find_if(findings.begin(), findings.end(), [&](const HealthFinding& finding) {
                return finding.kind == kind && !finding.fixes.empty() &&
                       std::none_of(
                           passedOver.begin(), passedOver.end(),
                           [&](const HealthFinding& old) { return sameFinding(old, finding); });
            });
        if (next == findings.end()) {
            break;
        }
        applyEdit(kit, next->fixes.front().editFor(kit));
        ++applied;
        passedOver.push_back(*next);
    }
    if (combined != nullptr) {
        combined->name = "Fix " + std::string(healthKindName(kind));
        combined->changes.clear();
        for (int p = 0; p < kPadCount; ++p) {
            const auto index = static_cast<std::size_t>(p);
            if (!(original.pads[index] == kit.pads[index])) {
                combined->changes.push_back({p, original.pads[index], kit.pads[index]});
            }
        }
    }
    return applied;
}

} // namespace padsmith
