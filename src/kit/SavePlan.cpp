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

// Stands for the sources of a kit script that could be read only in part.
const std::string kScriptReadInPart = "?";

bool samePath(const std::string& a, const fs::path& b) {
    return sameFile(fs::path(a), b);
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
    const bool savedHere =
        foldCase(kit.savedSampleFolder) == foldCase(folders.sampleFolder.filename().string());
    if (savedHere) {
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
    std::map<std::string, const Sample*> ownerNow; // folded name to the sample that has it now
    for (const Sample& sample : now) {
        ownerNow.emplace(foldCase(sample.name), &sample);
    }
    std::map<std::string, std::string> savedSource; // folded name to the source it had
    for (const Sample& before : saved) {
        savedSource.emplace(foldCase(before.name), before.source);
    }
    const auto sameSource = [](const std::string& a, const std::string& b) {
        return a == b || (isCopyableSource(a) && isCopyableSource(b) && samePath(a, fs::path(b)));
    };

    // The renames, planned as a whole: each sample that the saved kit had under another name,
    // from the same source, takes that copy along, unless the old name stays with a sample of
    // the same source. A rename onto a copy that stays is dropped, and so, in turn, are the
    // renames that counted on its copy leaving.
    struct Move {
        const Sample* sample;
        std::string oldName;
    };
    std::vector<Move> moves;
    std::set<std::string> oldsTaken;
    for (const Sample& sample : now) {
        for (const Sample& before : saved) {
            const std::string folded = foldCase(before.name);
            if (before.name == sample.name || !sameSource(before.source, sample.source) ||
                !hasCopy(before.name) || !isPlainName(before.name) ||
                !copyPath(folders.sampleFolder, sample.name) || oldsTaken.contains(folded)) {
                continue;
            }
            // An edited source is copied anew under the new name; its old copy goes as any
            // copy the kit gave up (to the trash, as nothing else holds its sound).
            const fs::path oldCopy = joinPath(folders.sampleFolder, before.name);
            if (kit.changedSources.contains(sample.source) && readable(sample.source) &&
                !samePath(withoutMissingMark(sample.source), oldCopy)) {
                continue;
            }
            const auto owner = ownerNow.find(folded);
            const bool oldNameFree = owner == ownerNow.end() || owner->second == &sample ||
                                     !sameSource(owner->second->source, sample.source);
            if (oldNameFree && mayTouch(before.name)) {
                moves.push_back({&sample, before.name});
                oldsTaken.insert(folded);
                break;
            }
        }
    }
    for (bool dropped = true; dropped;) {
        dropped = false;
        std::set<std::string> leaving;
        for (const Move& move : moves) {
            leaving.insert(foldCase(move.oldName));
        }
        for (auto it = moves.begin(); it != moves.end(); ++it) {
            const std::string& name = it->sample->name;
            const bool caseOnly = foldCase(name) == foldCase(it->oldName);
            bool occupied = false;
            for (const std::string& copy : folders.copies) {
                if (foldCase(copy) == foldCase(name) && !leaving.contains(foldCase(copy)) &&
                    !caseOnly) {
                    occupied = true;
                }
            }
            if (occupied) {
                moves.erase(it);
                dropped = true;
                break;
            }
        }
    }
    std::set<std::string> renamedAway; // folded old names whose copies a rename takes
    std::set<const Sample*> renamedInto;
    for (const Move& move : moves) {
        const fs::path oldCopy = joinPath(folders.sampleFolder, move.oldName);
        const fs::path target = joinPath(folders.sampleFolder, move.sample->name);
        plan.operations.push_back({Kind::Rename, oldCopy, target, {}});
        renamedAway.insert(foldCase(move.oldName));
        renamedInto.insert(move.sample);
        if (samePath(withoutMissingMark(move.sample->source), oldCopy)) {
            plan.movedSources[move.sample->source] = target.string();
        }
    }
    // The file that holds `name`'s copy: the name itself, else the name in another letter case
    // (the plug-in finds either).
    const auto copyOnDisk = [&](const std::string& name) {
        std::string onDisk = name;
        if (!hasCopy(name)) {
            for (const std::string& copy : folders.copies) {
                if (foldCase(copy) == foldCase(name)) {
                    onDisk = copy;
                    break;
                }
            }
        }
        return joinPath(folders.sampleFolder, onDisk);
    };
    // The sources with which other kit scripts play the file `onDisk` ("" for a script that
    // gives none, kScriptReadInPart for one read only in part); empty when none plays it. A name in
    // another letter case plays it only where no file of that very name is there.
    const auto otherPlayers = [&](const std::string& onDisk) {
        std::set<std::string> sources;
        if (!folders.namedByOtherKits.contains(foldCase(onDisk))) {
            return sources;
        }
        bool known = false;
        for (const auto& [name, given] : folders.otherKitsSources) {
            if (foldCase(name) != foldCase(onDisk)) {
                continue;
            }
            known = true;
            if (name == onDisk || !hasCopy(name)) {
                sources.insert(given.begin(), given.end());
            }
        }
        if (!known) {
            sources.insert(kScriptReadInPart);
        }
        return sources;
    };
    // A copy under `name` once the renames are done.
    const auto copyAfterRenames = [&](const std::string& name) {
        for (const std::string& copy : folders.copies) {
            if (foldCase(copy) == foldCase(name) && !renamedAway.contains(foldCase(copy))) {
                return true;
            }
        }
        return false;
    };

    for (const Sample& sample : now) {
        if (renamedInto.contains(&sample)) {
            continue;
        }
        const std::optional<fs::path> target = copyPath(folders.sampleFolder, sample.name);
        if (!target) {
            plan.missing.push_back({sample.name, sample.source});
            continue;
        }
        const std::string folded = foldCase(sample.name);
        const bool copyThere = copyAfterRenames(sample.name);
        if (samePath(withoutMissingMark(sample.source), *target) && copyThere) {
            continue; // the source is the copy itself
        }
        const bool canRead = readable(sample.source);
        const auto before = savedSource.find(folded);
        std::vector<fs::path> holders;
        if (before != savedSource.end() && isCopyableSource(before->second)) {
            holders.emplace_back(before->second);
        }
        if (copyThere) {
            // A copy made from another source under this name (the name passed to another
            // sample), from a source edited since, or someone else's file under the name is
            // out of date.
            const bool passed =
                before != savedSource.end() && !sameSource(before->second, sample.source);
            // Someone else's file counts where the sample was renamed onto it, and in a folder
            // the kit has saved into (a copy it left behind, its source gone then): a copy that
            // was there before the kit's first save is never replaced unasked.
            bool renamedOntoIt = false;
            for (const Sample& earlier : saved) {
                renamedOntoIt = renamedOntoIt || (foldCase(earlier.name) != folded &&
                                                  sameSource(earlier.source, sample.source));
            }
            const bool foreign = before == savedSource.end() && (renamedOntoIt || savedHere) &&
                                 folders.foreignCopies.contains(sample.name);
            const bool edited = kit.changedSources.contains(sample.source);
            // A copy other kits play is replaced only for an edit of its own source, and only
            // where each of them plays it from that source; elsewhere a copy is replaced, in
            // the shared folder too (its old sound kept by another file or the trash), where no
            // other kit plays it. A fresh start never remakes the shared folder's copies.
            const fs::path onDisk = copyOnDisk(sample.name);
            const std::set<std::string> players = otherPlayers(onDisk.filename().string());
            // A script without path lines, or whose source is the copy itself, plays the copy
            // as its sample: the copy this kit made from the edited source.
            const bool madeFromIt =
                before != savedSource.end() && sameSource(before->second, sample.source);
            const bool replaceable =
                players.empty() ||
                (edited &&
                 std::all_of(players.begin(), players.end(), [&](const std::string& source) {
                     return source.empty() || samePath(source, onDisk)
                                ? madeFromIt
                                : source != kScriptReadInPart && sameSource(source, sample.source);
                 }));
            const bool stale = (folders.refresh && !folders.shared && madeByThisKit(sample.name)) ||
                               edited || passed;
            if ((foreign || passed) && !replaceable) {
                plan.notCopied.push_back(
                    {*target, foreign ? "another file of this name is there, and other kits may "
                                        "play it; the kit plays that file"
                                      : "this copy holds another sample that other kits may "
                                        "play; the kit plays that one"});
                continue;
            }
            if (!replaceable) {
                continue;
            }
            if ((stale || foreign) && canRead) {
                plan.operations.push_back(
                    {Kind::Replace, sample.source, copyOnDisk(sample.name), holders});
                if (kit.changedSources.contains(sample.source)) {
                    plan.replacedEdits.insert(sample.source);
                }
            }
            continue;
        }
        // A sample whose source cannot be read takes its content from the copy it had
        // under another name (a rename where the old copy must stay).
        const Sample* older = nullptr;
        for (const Sample& earlier : saved) {
            if (!canRead && earlier.name != sample.name &&
                sameSource(earlier.source, sample.source) && hasCopy(earlier.name) &&
                isPlainName(earlier.name)) {
                older = &earlier;
                break;
            }
        }
        if (canRead) {
            plan.operations.push_back({Kind::Copy, sample.source, *target, {}});
        } else if (older != nullptr) {
            plan.operations.push_back(
                {Kind::Copy, joinPath(folders.sampleFolder, older->name), *target, {}});
        } else if (const auto fallback = folders.fallbackCopies.find(sample.name);
                   fallback != folders.fallbackCopies.end()) {
            plan.operations.push_back(
                {Kind::Copy, joinPath(folders.fallbackFolder, fallback->second), *target, {}});
        } else {
            plan.missing.push_back({sample.name, sample.source});
        }
    }

    // Sources of the kit now: a copy that is one of them (or that one links to) stays.
    std::vector<fs::path> sourcesNow;
    for (const Sample& sample : now) {
        if (isCopyableSource(sample.source)) {
            sourcesNow.emplace_back(sample.source);
        }
    }
    const auto isSourceNow = [&](const fs::path& copy) {
        for (const fs::path& source : sourcesNow) {
            if (sameFile(source, copy)) {
                return true;
            }
        }
        return false;
    };

    // Copies the kit gave up. A copy stays when it may be the only one: its source cannot be
    // read, or is the copy itself.
    std::set<std::string> removed;
    for (const Sample& before : saved) {
        const std::string folded = foldCase(before.name);
        if (ownerNow.contains(folded) || renamedAway.contains(folded) ||
            !removed.insert(folded).second || !hasCopy(before.name) || !mayTouch(before.name)) {
            continue;
        }
        const std::optional<fs::path> copy = copyPath(folders.sampleFolder, before.name);
        if (!copy || !readable(before.source) ||
            samePath(withoutMissingMark(before.source), *copy) || isSourceNow(*copy)) {
            continue;
        }
        plan.operations.push_back({Kind::Remove, *copy, {}, {fs::path(before.source)}});
    }

    // A fresh folder loses the copies the kit made and no longer names (its saved state named
    // them, no other kit script does). Files the kit did not make (another kit's, someone
    // else's) and files that the kit itself copies from stay.
    if (folders.fresh) {
        for (const std::string& name : folders.copies) {
            const std::string folded = foldCase(name);
            const fs::path file = joinPath(folders.sampleFolder, name);
            if (ownerNow.contains(folded) || renamedAway.contains(folded) ||
                removed.contains(folded) || !mayTouch(name) || !madeByThisKit(name) ||
                isSourceNow(file)) {
                continue;
            }
            removed.insert(folded);
            plan.operations.push_back({Kind::Remove, file, {}, sourcesNow});
        }
    }

    // A source that is a file the plan overwrites, removes or renames follows its content to
    // the copy made from it, or to the sample's own copy that holds it already.
    const auto leaves = [&](const fs::path& file) {
        for (const FileOperation& op : plan.operations) {
            const fs::path& leaving = op.kind == Kind::Replace ? op.to : op.from;
            if (op.kind != Kind::Copy && sameFile(file, leaving)) {
                return true;
            }
        }
        return false;
    };
    for (const Sample& sample : now) {
        if (!isCopyableSource(sample.source) || plan.movedSources.contains(sample.source) ||
            !leaves(fs::path(sample.source))) {
            continue;
        }
        const fs::path source(sample.source);
        for (const FileOperation& op : plan.operations) {
            if ((op.kind == Kind::Copy || op.kind == Kind::Replace || op.kind == Kind::Rename) &&
                op.from == source) {
                plan.movedSources[sample.source] = op.to.string();
                break;
            }
        }
        const fs::path copy = copyOnDisk(sample.name);
        if (!plan.movedSources.contains(sample.source) && copyAfterRenames(sample.name) &&
            !leaves(copy) && !sameFile(source, copy) && sameContent(source, copy)) {
            plan.movedSources[sample.source] = copy.string();
        }
    }
    return plan;
}

} // namespace padsmith
