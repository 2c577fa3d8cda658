// SPDX-License-Identifier: GPL-3.0-or-later
// The kit's health check: which zones the plug-in will play, and the fixes that make it play
// what the user means. The findings about sample files and folders are in KitHealthFiles.cpp.
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

constexpr int kKeys = 128;
using Velocities = std::bitset<128>; // bit v: velocity v (1 to 127) answers

Velocities maskOf(VelocitySpan window) {
    Velocities mask;
    for (int v = window.low; v <= window.high; ++v) {
        mask.set(static_cast<std::size_t>(v));
    }
    return mask;
}

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

// Gives each of the `takes` zones that share `window` on `key` one run of it, lowest first in
// trigger order. The zones are looked up when the fix is applied: a finding keeps no copy.
std::optional<HealthFix> interleaveFix(std::size_t takes, int key, VelocitySpan window) {
    if (takes < 2 || splitWindow(window, takes).empty()) {
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

HealthFix removeFix(ZoneRef ref) {
    return HealthFix{"Remove Row", [ref](const KitDocument& kit) {
                         KitEdit edit{"Remove Row", {}};
                         touchPad(edit, kit, ref.pad).erase(static_cast<std::size_t>(ref.position));
                         return edit;
                     }};
}

// How many zones of the kit play each key and window.
using WindowGroups = std::map<std::tuple<int, int, int>, std::size_t>;
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

// A fix for two zones of different pads that share velocities of a note: takes with the same
// window share it out; an overlap at one end of the later zone's window is cut from it.
std::optional<HealthFix> doubleNoteFix(const KitDocument& kit, ZoneRef first, ZoneRef second,
                                       const WindowGroups& groups) {
    const SampleZone& early = zoneAt(kit, first);
    const SampleZone& late = zoneAt(kit, second);
    if (early.velocityLow == late.velocityLow && early.velocityHigh == late.velocityHigh) {
        const VelocitySpan window = playedVelocities(early);
        return interleaveFix(groups.at({early.key, window.low, window.high}), early.key, window);
    }
    const bool cutLow =
        early.velocityLow <= late.velocityLow && early.velocityHigh < late.velocityHigh;
    const bool cutHigh =
        early.velocityHigh >= late.velocityHigh && early.velocityLow > late.velocityLow;
    if (!cutLow && !cutHigh) {
        return std::nullopt;
    }
    return HealthFix{
        "Trim Velocities", [first, second, cutLow](const KitDocument& on) {
            KitEdit edit{"Trim Velocities", {}};
            const SampleZone& kept = zoneAt(on, first);
            SampleZone& cut =
                touchPad(edit, on, second.pad).at(static_cast<std::size_t>(second.position));
            if (cutLow) {
                cut.velocityLow = kept.velocityHigh + 1;
            } else {
                cut.velocityHigh = kept.velocityLow - 1;
            }
            return edit;
        }};
}

// The keys some zone of the kit plays.
using PlayedKeys = std::array<bool, kKeys>;
PlayedKeys playedKeys(const KitDocument& kit) {
    PlayedKeys played{};
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (validKey(zone.key)) {
                played[static_cast<std::size_t>(zone.key)] = true;
            }
        }
    }
    return played;
}

// The nearest key above `key` that no pad plays, else the nearest below; -1 when every key is
// played.
int freeKeyNear(const PlayedKeys& played, int key) {
    for (int candidate = key + 1; candidate < kKeys; ++candidate) {
        if (!played[static_cast<std::size_t>(candidate)]) {
            return candidate;
        }
    }
    for (int candidate = key - 1; candidate >= 0; --candidate) {
        if (!played[static_cast<std::size_t>(candidate)]) {
            return candidate;
        }
    }
    return -1;
}

// A fix for two pads on one note: the later pad's zones on that note move to the nearest key
// above it that no pad plays (below, when none is left above), found when it is applied.
std::optional<HealthFix> moveToFreeKeyFix(const KitDocument& kit, ZoneRef second,
                                          const PlayedKeys& played) {
    const int key = zoneAt(kit, second).key;
    if (freeKeyNear(played, key) < 0) {
        return std::nullopt;
    }
    const int pad = second.pad;
    return HealthFix{"Move to a free key", [pad, key](const KitDocument& on) {
                         KitEdit edit{"Move to a free key", {}};
                         const int free = freeKeyNear(playedKeys(on), key);
                         if (free < 0) {
                             return edit;
                         }
                         Pad& moved = touchPad(edit, on, pad);
                         for (SampleZone& zone : moved.zones()) {
                             if (zone.key == key) {
                                 zone.key = free;
                             }
                         }
                         return edit;
                     }};
}

// How many of the zones a zone clashes with its double-note finding names.
constexpr std::size_t kNamedClashes = 3;

std::string doubleNoteMessage(const KitDocument& kit, const DoubleNoteGroup& group) {
    const ZoneRef first = group.zone;
    const SampleZone& zone = zoneAt(kit, first);
    const std::string note = noteName(zone.key) + " at " + windowText(playedVelocities(zone)) +
                             ": a save refuses a note defined twice";
    const std::string row = "Row " + std::to_string(first.position + 1);
    if (group.count == 1) {
        return row + " and " + placeText(group.first.front(), first.pad) + " both define " + note;
    }
    std::vector<std::string> places;
    for (const ZoneRef other : group.first) {
        places.push_back(placeText(other, first.pad));
    }
    std::string named = joinedList(places);
    if (group.count > places.size()) {
        named.clear();
        for (const std::string& place : places) {
            named += place + ", ";
        }
        named += "…";
    }
    return row + " and " + std::to_string(group.count) + " zones of other pads (" + named +
           ") define " + note;
}

// A double note per zone, with the zones of later pads it clashes with: a zone that clashes
// with many is one finding, not one per pair. Its fixes are those of its first pair.
std::vector<HealthFinding> doubleNotes(const KitDocument& kit) {
    std::vector<HealthFinding> findings;
    const std::vector<DoubleNoteGroup> groups = findDoubleNoteGroups(kit, kNamedClashes);
    if (groups.empty()) {
        return findings;
    }
    const WindowGroups windows = groupByWindow(kit);
    const PlayedKeys played = playedKeys(kit);
    for (const DoubleNoteGroup& group : groups) {
        const ZoneRef first = group.zone;
        const ZoneRef second = group.first.front();
        HealthFinding finding;
        finding.kind = HealthKind::DoubleNote;
        finding.pad = first.pad;
        finding.rows = {first.position};
        finding.message = doubleNoteMessage(kit, group);
        if (auto fix = doubleNoteFix(kit, first, second, windows)) {
            finding.fixes.push_back(std::move(*fix));
        }
        // Two drums dropped on one key want keys of their own rather than half the velocities.
        if (auto move = moveToFreeKeyFix(kit, second, played)) {
            finding.fixes.push_back(std::move(*move));
        }
        findings.push_back(std::move(finding));
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

void sortFindings(std::vector<HealthFinding>& findings) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const HealthFinding& a, const HealthFinding& b) {
                         // Kit-wide findings (pad -1) come last.
                         const int padA = a.pad < 0 ? kPadCount : a.pad;
                         const int padB = b.pad < 0 ? kPadCount : b.pad;
                         const int rowA = a.rows.empty() ? -1 : a.rows.front();
                         const int rowB = b.rows.empty() ? -1 : b.rows.front();
                         return std::tie(padA, a.kind, rowA) < std::tie(padB, b.kind, rowB);
                     });
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
    std::vector<HealthFinding> more = doubleNotes(kit);
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
