// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"
#include "kit/KitDocument.h"
#include "kit/KitEdit.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

// What a kit's health check finds: zones that never play, velocities that play nothing, and
// samples that will not sound as the user thinks. Each finding says what is wrong in the
// user's terms and, where one exists, carries the fix as a kit edit. The audio and the folders
// are not looked at here: what was measured is passed in.

enum class HealthKind {
    NeverPlays,       // zones before it in trigger order take its whole key and velocity window
    VelocityGap,      // velocities of a key that no zone plays
    DoubleNote,       // the same note on two pads with overlapping velocities (save refuses it)
    MissingSample,    // no file at the zone's source path
    UnreadableSample, // not a WAVE or AIFF file
    UnplayableFormat, // compressed or unusual sample data the plug-in cannot read
    MixedFormat,      // a layer whose rate, bits or channels differ from the pad's other layers
    LevelOrder,       // a softer layer that is louder than a harder one
    UnusedFile,       // a file in the kit's own sample folder that no kit script names
    StaleCopy,        // the copy in the sample folder differs from its (edited) source
    CodePageText,     // a text the code page cannot hold
    SampleName,       // a sample name that fails the name rule
};
inline constexpr int kHealthKindCount = 12;

enum class Severity {
    Error,   // the plug-in will not play what the user means
    Warning, // probably unintended
    Note,
};

// "never-plays", "velocity-gap", ...: the names the command-line tool uses.
std::string_view healthKindName(HealthKind kind);
std::optional<HealthKind> healthKindFromName(std::string_view name);
std::string_view severityName(Severity severity);

// A fix is built when it is applied, on the kit its finding was made on (never on another: the
// rows it names may have moved since).
struct HealthFix {
    std::string name; // "Interleave Takes", "Remove Row", ...: also the undo step's name
    std::function<KitEdit(const KitDocument& kit)> build;

    KitEdit editFor(const KitDocument& kit) const;
};

struct HealthFinding {
    HealthKind kind = HealthKind::NeverPlays;
    Severity severity = Severity::Error;
    int pad = -1;          // pad index; -1 for a finding about the kit or its folder
    std::vector<int> rows; // zone positions in that pad, ascending
    std::string message;   // one line: "Row 3 can never play: row 2 plays D1 at 81–127 first"
    std::vector<HealthFix> fixes; // the first is the one "Fix" applies
};

// What the audio reader measured in one sample file, as far as the check needs it.
struct SampleSound {
    enum class State { Missing, Unreadable, NotPcm, Ok };
    State state = State::Ok;
    std::uint32_t rate = 0;
    int bits = 0;
    int channels = 0;
    bool floatingPoint = false;
    double peakDecibels = 0.0; // dB below full scale, -inf for silence

    bool sameFormat(const SampleSound& other) const {
        return rate == other.rate && bits == other.bits && channels == other.channels &&
               floatingPoint == other.floatingPoint;
    }
};
// The facts of a zone's source file; nullptr when they are not known (yet).
using SoundLookup = std::function<const SampleSound*(const std::string& sourcePath)>;

// What lies in the plug-in's folders, gathered by gatherFolderFacts (kit/HealthFolders.h).
struct FolderFacts {
    std::string sampleFolder;              // the kit's own sample folder; empty with sharing on
    std::vector<std::string> unusedFiles;  // names in it that no kit script names, in name order
    std::vector<std::string> staleSources; // source paths whose copy there differs from them
};

struct HealthInputs {
    CodePage codePage;
    SoundLookup sounds;                   // empty: no findings that need the audio
    const FolderFacts* folders = nullptr; // null: no findings about the folders
    // Without sounds, whether to look at the disk for missing samples (one stat a zone).
    bool statSources = true;
};

// One pass over the kit: every finding, by pad (kit-wide ones last), then kind, then row.
std::vector<HealthFinding> checkKitHealth(const KitDocument& kit, const HealthInputs& inputs);

// The findings that concern the zones of one pad and need neither audio nor disk: zones that
// never play and the pad's velocity gaps. For views that draw one pad.
std::vector<HealthFinding> padPlayFindings(const KitDocument& kit, int pad);

// Applies the first fix of every finding of `kind`, one after the other, each computed again on
// the kit the previous ones left (fixes of one kind may touch the same zones). Returns how
// many were applied; the edit that does it all (for one undo step) in `combined`.
int applyHealthFixes(KitDocument& kit, HealthKind kind, const HealthInputs& inputs,
                     KitEdit* combined = nullptr);

} // namespace padsmith
