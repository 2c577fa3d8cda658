// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitScript.h"
#include "kit/SavePlan.h"
#include "kit/SaveReport.h"
#include "platform/FilePlan.h"

#include <filesystem>
#include <optional>
#include <string>

namespace padsmith {

// Saving a kit and installing it into the plug-in folder, in steps that return what they did.
// None of them talks to a window: the caller shows the report (and stops a preview that may
// hold a sample open before it calls them).

struct SaveOptions {
    bool freshSampleFolder = false; // the kit's own folder is to hold exactly its samples
    FileProgress progress;          // files done / files in all, between files
};

// Step 1: what keeps the kit from being written as it is: a file name that gives no kit name,
// a double-defined note, a text the code page cannot hold or would read back as other
// characters, a source path with a comma or longer than a path line holds. Nothing when none.
std::optional<SaveReport> refusalBeforeSave(const KitDocument& kit,
                                            const std::filesystem::path& path,
                                            const KitLocation& location);

// Step 2: the kit as it will be saved (its name, sample folder and pad names set; sources that
// are the kit's own copies following their content), the script's bytes and the file plan.
struct PreparedSave {
    KitDocument kit;
    std::filesystem::path path;
    std::string scriptBytes;
    bool install = false; // there is a plug-in folder to install into
    SavePlan plan;
    std::optional<SaveReport> refusal; // set when the kit cannot be written after all
};
PreparedSave prepareSave(const KitDocument& kit, const std::filesystem::path& path,
                         const KitLocation& location, bool freshSampleFolder);

// Step 3: carries the plan out, all or nothing (platform/FilePlan), the script last. On
// success `kit` becomes the saved kit and takes its fingerprints; otherwise it is unchanged.
SaveReport carryOutSave(KitDocument& kit, const PreparedSave& prepared, const KitLocation& location,
                        const FileProgress& progress);

// The three steps in one.
SaveReport saveKit(KitDocument& kit, const std::filesystem::path& path, const KitLocation& location,
                   const SaveOptions& options = {});

} // namespace padsmith
