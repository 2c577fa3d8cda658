// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitDocument.h"

#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <algorithm>
#include <vector>

namespace padsmith {

KitDocument::KitDocument() {
    takeSavedFingerprints();
}

void KitDocument::newKit() {
    formatTag = kFormatTag;
    kitName = kUntitledKit;
    sampleFolder = kSharedSampleFolder;
    for (Pad& pad : pads) {
        pad.clear();
        pad.label = kUnnamedPad;
    }
    changedSources.clear();
    computeKitSize();
    takeSavedFingerprints();
}

void KitDocument::takeSavedFingerprints() {
    for (std::size_t p = 0; p < pads.size(); ++p) {
        savedFingerprint_[p] = pads[p].fingerprint();
    }
    savedCopyright_ = copyright;
    savedSampleFolder = sampleFolder;
    savedSamples.clear();
    for (const Pad& pad : pads) {
        for (const SampleZone& zone : pad) {
            savedSamples.push_back({zone.sampleName, zone.sourcePath});
        }
    }
    modified_ = !pendingEdits().empty();
}

std::set<std::string> KitDocument::pendingEdits() const {
    std::set<std::string> pending;
    for (const Pad& pad : pads) {
        for (const SampleZone& zone : pad) {
            if (changedSources.contains(zone.sourcePath)) {
                pending.insert(zone.sourcePath);
            }
        }
    }
    return pending;
}

bool KitDocument::updateModified() {
    // Every pad is compared, not only the current one: an edit on one pad followed by an edit
    // that is undone on another must leave the kit modified, or the first edit could be lost
    // on close without a question.
    modified_ = copyright != savedCopyright_ || !pendingEdits().empty();
    for (std::size_t p = 0; p < pads.size() && !modified_; ++p) {
        if (pads[p].fingerprint() != savedFingerprint_[p]) {
            modified_ = true;
            break;
        }
    }
    return modified_;
}

std::int64_t KitDocument::computeKitSize() {
    std::vector<std::string> paths;
    for (const Pad& pad : pads) {
        for (const SampleZone& zone : pad) {
            paths.push_back(zone.sourcePath);
        }
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    std::int64_t total = 0;
    for (const std::string& path : paths) {
        // A path marked missing was not found when the kit was read.
        if (!path.empty() && !isMarkedMissing(path)) {
            total += fileSize(std::filesystem::path(path));
        }
    }
    kitSize_ = total;
    return total;
}

} // namespace padsmith
