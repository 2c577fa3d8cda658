// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SavePlan.h"

#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <algorithm>
#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

struct Sample {
    std::string name;
    std::string source;
};

// The samples of the kit now, one per name (folded letter case), in zone order.
std::vector<Sample> samplesNow(const KitDocument& kit) {
    std::vector<Sample> samples;
    std::set<std::string> seen;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (seen.insert(foldCase(zone.sampleName)).second) {
                samples.push_back({zone.sampleName, zone.sourcePath});
            }
        }
    }
    return samples;
}

bool samePath(const std::string& a, const fs::path& b) {
    return fs::path(a).lexically_normal() == b.lexically_normal();
}

} // namespace

std::optional<fs::path> copyPath(const fs::path& folder, const std::string& sampleName) {
    if (folder.empty() || !isPlainName(sampleName)) {
        return std::nullopt;
    }
    return joinPath(folder, sampleName);
}

SavePlan planSave(const KitDocument& kit, const SaveFolders& folders) {
    SavePlan plan;
    using Kind = FileOperation::Kind;
    const auto readable = [&](const std::string& source) {
        return isCopyableSource(source) && folders.readableSources.contains(source);
    };
    const auto hasCopy = [&](const std::string& name) { return folders.copies.contains(name); };
    const auto mayTouch = [&](const std::string& name) {
        return !folders.shared && !folders.namedByOtherKits.contains(foldCase(name));
    };

    // What the sample folder held for the kit at the last read or save; nothing when the kit
    // now goes to another folder, whose copies are not its own.
    std::vector<Sample> saved;
    if (foldCase(kit.savedSampleFolder) == foldCase(folders.sampleFolder.filename().string())) {
        for (const SavedSample& sample : kit.savedSamples) {
            saved.push_back({sample.sampleName, sample.sourcePath});
        }
    }
    // A copy the kit made: its saved state names it and no other kit script does. Only those
    // are made again when the folder is started afresh; another kit's copy keeps its sound.
    const auto madeByThisKit = [&](const std::string& name) {
        return !folders.namedByOtherKits.contains(foldCase(name)) &&
               std::any_of(saved.begin(), saved.end(), [&](const Sample& before) {
                   return foldCase(before.name) == foldCase(name);
               });
    };
    const std::vector<Sample> now = samplesNow(kit);
    std::set<std::string> namedNow;
    for (const Sample& sample : now) {
        namedNow.insert(foldCase(sample.name));
    }
    std::set<std::string> renamedAway; // folded old names whose copies a rename takes

    for (const Sample& sample : now) {
        const std::optional<fs::path> target = copyPath(folders.sampleFolder, sample.name);
        if (!target) {
            plan.missing.push_back({sample.name, sample.source});
            continue;
        }
        if (samePath(withoutMissingMark(sample.source), *target)) {
            if (!hasCopy(sample.name)) {
                plan.missing.push_back({sample.name, sample.source});
            }
            continue; // the source is the copy itself
        }
        const bool canRead = readable(sample.source);
        if (hasCopy(sample.name)) {
            // A copy made from another source under this name (the name passed to another
            // sample) or from a source edited since is out of date.
            bool stale = (folders.refresh && madeByThisKit(sample.name)) ||
                         kit.changedSources.contains(sample.source);
            for (const Sample& before : saved) {
                if (foldCase(before.name) == foldCase(sample.name) &&
                    before.source != sample.source) {
                    stale = true;
                }
            }
            if (stale && canRead) {
                plan.operations.push_back({Kind::Replace, sample.source, *target});
                if (kit.changedSources.contains(sample.source)) {
                    plan.replacedEdits.insert(sample.source);
                }
            }
            continue;
        }
        // A renamed sample: its copy under the old name becomes the copy under the new one.
        const Sample* old = nullptr;
        for (const Sample& before : saved) {
            if (before.source == sample.source && before.name != sample.name &&
                !namedNow.contains(foldCase(before.name)) && hasCopy(before.name) &&
                !renamedAway.contains(foldCase(before.name)) && isPlainName(before.name)) {
                old = &before;
                break;
            }
        }
        if (old != nullptr) {
            const fs::path oldCopy = joinPath(folders.sampleFolder, old->name);
            const bool ownCopy = samePath(withoutMissingMark(sample.source), oldCopy);
            if (mayTouch(old->name)) {
                plan.operations.push_back({Kind::Rename, oldCopy, *target});
                renamedAway.insert(foldCase(old->name));
            } else {
                plan.operations.push_back(
                    {Kind::Copy, canRead && !ownCopy ? fs::path(sample.source) : oldCopy, *target});
            }
            if (ownCopy) {
                plan.movedSources[sample.source] = target->string();
            }
            continue;
        }
        if (canRead) {
            plan.operations.push_back({Kind::Copy, sample.source, *target});
        } else if (const auto fallback = copyPath(folders.fallbackFolder, sample.name);
                   fallback && folders.fallbackCopies.contains(sample.name)) {
            plan.operations.push_back({Kind::Copy, *fallback, *target});
        } else {
            plan.missing.push_back({sample.name, sample.source});
        }
    }

    // Copies the kit gave up. A copy stays when it may be the only one: its source cannot be
    // read, or is the copy itself.
    std::set<std::string> removed;
    for (const Sample& before : saved) {
        const std::string folded = foldCase(before.name);
        if (namedNow.contains(folded) || renamedAway.contains(folded) ||
            !removed.insert(folded).second || !hasCopy(before.name) || !mayTouch(before.name)) {
            continue;
        }
        const std::optional<fs::path> copy = copyPath(folders.sampleFolder, before.name);
        if (!copy || !readable(before.source) ||
            samePath(withoutMissingMark(before.source), *copy)) {
            continue;
        }
        plan.operations.push_back({Kind::Remove, *copy, {}});
    }
    return plan;
}

std::set<std::string> namesInKitScripts(const fs::path& pluginFolder,
                                        const std::string& sampleFolderName,
                                        const std::string& scriptName, const CodePage& page,
                                        bool& unknown) {
    std::set<std::string> names;
    unknown = false;
    if (pluginFolder.empty()) {
        return names;
    }
    scanFolder(pluginFolder, "*", [&](const FoundEntry& entry) {
        if (entry.isFolder || !wildcardMatch("*.txt", entry.name, true) ||
            entry.name == scriptName) {
            return true;
        }
        std::string text;
        if (!readKitText(entry.fullPath, page, text)) {
            return true;
        }
        const std::optional<KitScriptContent> content = parseKitScript(text);
        if (!content) {
            return true;
        }
        // A script cut off in its header or zone lines may name any sample of the folder.
        const ScriptReadReport::Section broken = content->report.section;
        if (broken == ScriptReadReport::Section::Header ||
            (broken == ScriptReadReport::Section::Zones &&
             foldCase(content->sampleFolder) == foldCase(sampleFolderName))) {
            unknown = true;
        }
        if (foldCase(content->sampleFolder) != foldCase(sampleFolderName)) {
            return true;
        }
        for (const SampleZone& zone : content->zones) {
            names.insert(foldCase(zone.sampleName));
        }
        for (const std::string& name : content->otherPadSamples) {
            names.insert(foldCase(name));
        }
        return true;
    });
    return names;
}

SaveFolders lookAtFolders(const KitDocument& kit, const KitLocation& location,
                          const std::string& sampleFolderName, const std::string& scriptName) {
    SaveFolders folders;
    folders.sampleFolder = joinPath(location.pluginFolder, sampleFolderName);
    folders.shared = foldCase(sampleFolderName) == foldCase(kSharedSampleFolder);
    const auto listNames = [](const fs::path& folder, std::set<std::string>& names) {
        scanFolder(folder, "*", [&names](const FoundEntry& entry) {
            if (!entry.isFolder) {
                names.insert(entry.name);
            }
            return true;
        });
    };
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(folders.sampleFolder, ec))) {
        listNames(folders.sampleFolder, folders.copies);
    }
    const auto noteSource = [&](const std::string& source) {
        std::error_code error;
        if (isCopyableSource(source) && fs::is_regular_file(source, error)) {
            folders.readableSources.insert(source);
        }
    };
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            noteSource(zone.sourcePath);
        }
    }
    for (const SavedSample& sample : kit.savedSamples) {
        noteSource(sample.sourcePath);
    }

    bool unknown = false;
    folders.namedByOtherKits = namesInKitScripts(location.pluginFolder, sampleFolderName,
                                                 scriptName, location.codePage, unknown);
    if (unknown) {
        // Nothing may be renamed or removed: treat every copy as named.
        for (const std::string& name : folders.copies) {
            folders.namedByOtherKits.insert(foldCase(name));
        }
    }
    return folders;
}

} // namespace padsmith
