#pragma once

#include "kit/Pad.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>

namespace padsmith {

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
    std::set<std::string> changedSources;

    // Empties the kit: every pad without zones and named "XXX", the kit "Untitled" with the
    // shared sample folder. The copyright stays. Fingerprints are taken, so it is unmodified.
    void newKit();

    // Takes the pads' fingerprints and the copyright as the last read or saved state.
    void takeSavedFingerprints();
    // Recomputes `modified` (some pad differs from its saved fingerprint, or the copyright from
    // the saved one) and returns it.
    bool updateModified();
    bool modified() const { return modified_; }
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
