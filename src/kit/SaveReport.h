// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitChecks.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace padsmith {

// What a save did, and what it refused, with the reasons in words. The save steps return it;
// the editor decides from it what the user sees, and the tool prints it.
struct SaveReport {
    enum class Outcome {
        Saved,   // the script and every copy that could be made are in place
        Refused, // the kit cannot be written as it is: nothing was written
        Failed,  // a step failed: nothing changed (`failure` says where and why)
    };
    Outcome outcome = Outcome::Failed;
    std::filesystem::path script; // the file saved

    // One file of the plug-in folder, named relative to it ("Rock/kick.wav"), and what the
    // entry says of it: the source it came from, its old name, where it went, or why.
    struct Entry {
        std::string file;
        std::string detail;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> copied;    // detail: the source
    std::vector<Entry> replaced;  // detail: the source it was made again from
    std::vector<Entry> renamed;   // detail: the old name
    std::vector<Entry> removed;   // copies the kit gave up whose content another file holds
    std::vector<Entry> trashed;   // overwritten or removed, held nowhere else: detail: trash path
    std::vector<Entry> kept;      // ... and the trash could not take it: detail: the new name
    std::vector<Entry> notCopied; // samples without a copy in the sample folder: detail: why
    std::vector<Entry> refused;   // Refused: what cannot be written, and why
    std::string failure;          // Failed: "Rock/kick.wav: no space left on the device"
    // Sources that were the kit's own copies and whose content the save moved: old path to new.
    // The kit's zones follow them; so must any kept state that names them (undo steps).
    std::map<std::string, std::string> movedSources;
    // Refused for a double-defined note: the first zone that has one.
    std::optional<ZoneRef> doubleNote;

    bool saved() const { return outcome == Outcome::Saved; }
};

// The report as the user reads it: why nothing was saved, or what the save could not do and
// where content went that nothing else holds. Empty for a save with nothing to say.
std::string saveReportMessage(const SaveReport& report);

// Every line of the report, one file a line, for the tool's output: "copied Rock/kick.wav
// from /lib/kick.wav".
std::vector<std::string> saveReportLines(const SaveReport& report);

} // namespace padsmith
