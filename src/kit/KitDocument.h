// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Pad.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace padsmith {

// A sample the kit named when it was last read or saved: the name of its copy and its source.
struct SavedSample {
    std::string sampleName;
    std::string sourcePath;
    bool operator==(const SavedSample&) const = default;
};

// The one kit being edited: four strings, 18 pads, and the state derived from them.
class KitDocument {
public:
    KitDocument();

    std::string formatTag = kFormatTag;
    std::string kitName = kUntitledKit;
    std::string sampleFolder = kSharedSampleFolder;
    std::string copyright;
    std::array<Pad, kPadCount> pads;
    int currentPad = 0;
    // Source files changed outside the editor (handed to a wave editor) since they were last
    // copied: the next save replaces their copies in the sample folder instead of keeping them.
    // While a zone plays one of them the kit counts as modified.
    std::set<std::string> changedSources;
    // The sample folder and the samples as at the last read or save: a save compares the kit
    // with them to find the copies it renames or removes.
    std::string savedSampleFolder = kSharedSampleFolder;
    std::vector<SavedSample> savedSamples;

    // Empties the kit: every pad without zones and named "XXX", the kit "Untitled" with the
    // shared sample folder. The copyright stays. Fingerprints are taken, so it is unmodified.
    void newKit();

    // Takes the pads' fingerprints, the copyright, the sample folder and the samples as the
    // last read or saved state.
    void takeSavedFingerprints();
    // Recomputes `modified` (some pad differs from its saved fingerprint, the copyright from
    // the saved one, or a zone plays an edited source whose copy waits for the save) and
    // returns it.
    bool updateModified();
    bool modified() const { return modified_; }
    // The edited sources (changedSources) that zones of the kit still play.
    std::set<std::string> pendingEdits() const;
    void setModified(bool modified) { modified_ = modified; }

    // Sums the sizes of the distinct source files of all zones (exact, case-sensitive paths).
    std::int64_t computeKitSize();
    std::int64_t kitSize() const { return kitSize_; }

    Pad& current() { return pads.at(static_cast<std::size_t>(currentPad)); }

private:
    std::array<std::uint32_t, kPadCount> savedFingerprint_{};
    std::string savedCopyright_;
    bool modified_ = false;
    std::int64_t kitSize_ = 0;
};

} // namespace padsmith
