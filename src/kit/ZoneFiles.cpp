// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneFiles.h"

#include "kit/FolderKit.h"
#include "kit/KitHost.h"
#include "kit/NoteNames.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
#include "kit/SavePlan.h"
#include "platform/Files.h"

#include <algorithm>
#include <map>
#include <set>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

bool isPadIndex(int pad) {
    return pad >= 0 && pad < kPadCount;
}

// The same file for the kit: the same path once "." and ".." are resolved in the text. Two
// names of one file (links) are different samples to the kit, as they are to the plug-in.
fs::path samePathKey(const std::string& path) {
    return fs::path(path).lexically_normal();
}

// Deletes one file, never a folder: a source path or sample name that happens to name a folder
// must not take the folder's contents with it.
bool removeFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
        return false;
    }
    return fs::remove(path, ec);
}

bool isInSharedFolder(const fs::path& file, const fs::path& pluginFolder) {
    if (pluginFolder.empty()) {
        return false;
    }
    std::error_code ec;
    const fs::path shared = fs::weakly_canonical(joinPath(pluginFolder, kSharedSampleFolder), ec);
    const fs::path folder = fs::weakly_canonical(file.parent_path(), ec);
    return !ec && folder == shared;
}

} // namespace

SampleImport importSamples(const KitDocument& kit, int pad, int currentRow,
                           const std::vector<fs::path>& files, ImportKeyRange& keyRange,
                           const KitLocation& location, KitHost& host,
                           const DecodedFrom& decodedFrom) {
    SampleImport result;
    if (!isPadIndex(pad) || files.empty()) {
        return result;
    }
    // The zones an import replaces give up their names; every other zone keeps its own.
    const Pad& zones = kit.pads[static_cast<std::size_t>(pad)];
    const std::size_t first =
        currentRow < 0 ? zones.size() : std::min<std::size_t>(currentRow, zones.size());
    KitDocument others = kit;
    {
        Pad& kept = others.pads[static_cast<std::size_t>(pad)];
        const std::size_t replaced = std::min(files.size(), kept.size() - first);
        kept.zones().erase(kept.zones().begin() + static_cast<std::ptrdiff_t>(first),
                           kept.zones().begin() + static_cast<std::ptrdiff_t>(first + replaced));
    }
    std::vector<ImportedSample> samples;
    std::string refused;
    for (const fs::path& file : files) {
        const std::string source = file.string();
        const auto decoded = decodedFrom.find(file);
        const std::string origin = decoded != decodedFrom.end() ? decoded->second.string() : "";
        std::string problem = sourcePathProblem(source, location.codePage);
        std::optional<std::string> name;
        if (problem.empty()) {
            name = importedSampleName(file.filename().string(), location.codePage, &problem);
        }
        if (name && sampleNameTaken(others, *name, source)) {
            problem = sampleNameTakenText(*name);
            name.reset();
        }
        if (!name) {
            result.notImported.push_back(file);
            refused += "\n" + toValidUtf8(origin.empty() ? source : origin) + ": " + problem;
            continue;
        }
        SampleZone zone;
        zone.sampleName = *name;
        zone.sourcePath = source;
        others.pads[static_cast<std::size_t>(pad)].append(zone);
        samples.push_back({*name, source, origin});
    }
    if (!refused.empty()) {
        host.showMessage(MessageIcon::Warning, "These files were not imported:" + refused);
    }
    result.edit = importZones(kit, pad, currentRow, samples, keyRange);
    if (!samples.empty() && zones.empty()) {
        const NewPadChoice choice = newPadChoice(kit, pad, samples.front().namedBy());
        if (choice.key != choice.wantedKey) {
            result.keyNote = "Key " + noteName(choice.wantedKey) + " (" +
                             std::to_string(choice.wantedKey) +
                             ") is played by another pad: the samples are on the next free key, " +
                             noteName(choice.key) + " (" + std::to_string(choice.key) + ").";
        }
    }
    return result;
}

SampleRename renameSample(const KitDocument& kit, int pad, int row, const std::string& name,
                          const KitLocation& location) {
    SampleRename result;
    if (!isPadIndex(pad) || row < 0 ||
        static_cast<std::size_t>(row) >= kit.pads[static_cast<std::size_t>(pad)].size()) {
        return result;
    }
    if (std::string problem = sampleNameProblem(name, location.codePage); !problem.empty()) {
        result.error = std::move(problem);
        return result;
    }
    const SampleZone& zone =
        kit.pads[static_cast<std::size_t>(pad)].at(static_cast<std::size_t>(row));
    if (name == zone.sampleName) {
        return result;
    }
    if (sampleNameTaken(kit, name, zone.sourcePath, pad, row)) {
        result.error = sampleNameTakenText(name);
        return result;
    }

    // Every zone that plays the same source shares its copy, so it takes the new name too.
    const bool known = isCopyableSource(zone.sourcePath);
    const fs::path key = samePathKey(zone.sourcePath);
    result.edit.name = "Rename Sample";
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& before = kit.pads[static_cast<std::size_t>(p)];
        Pad after = before;
        for (std::size_t r = 0; r < after.size(); ++r) {
            SampleZone& other = after.at(r);
            const bool renamed = p == pad && r == static_cast<std::size_t>(row);
            if (renamed || (known && isCopyableSource(other.sourcePath) &&
                            samePathKey(other.sourcePath) == key)) {
                other.sampleName = name;
            }
        }
        if (!(after == before)) {
            result.edit.changes.push_back({p, before, std::move(after)});
        }
    }
    return result;
}

SourceDeletion trashSourceFiles(const KitDocument& kit, const std::vector<SampleZone>& removed,
                                const KitLocation& location, KitHost& host) {
    SourceDeletion result;
    // Files are told apart as files: a link and the file it leads to are one.
    const auto fileKey = [](const std::string& path) {
        std::error_code ec;
        const fs::path canonical = fs::weakly_canonical(path, ec);
        return ec ? samePathKey(path) : canonical;
    };
    std::set<fs::path> stillPlayed;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath)) {
                stillPlayed.insert(fileKey(zone.sourcePath));
                stillPlayed.insert(samePathKey(zone.sourcePath));
            }
        }
    }
    // The sample folders of the plug-in folder (also those that are links to folders elsewhere)
    // and the names that its kit scripts give their samples there, this kit's own as last
    // saved included: the plug-in plays those files.
    std::map<fs::path, std::string> sampleFolders;
    if (!location.pluginFolder.empty()) {
        std::error_code ec;
        for (fs::directory_iterator it(location.pluginFolder, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code ignored;
            if (it->is_directory(ignored)) {
                sampleFolders.emplace(fs::weakly_canonical(it->path(), ignored),
                                      it->path().filename().string());
            }
        }
    }
    std::map<std::string, std::set<std::string>> namedByKits;
    const auto playedByAKit = [&](const fs::path& file) {
        std::error_code ec;
        const auto folder = sampleFolders.find(fs::weakly_canonical(file.parent_path(), ec));
        if (ec || folder == sampleFolders.end()) {
            return false;
        }
        const std::string& folderName = folder->second;
        auto names = namedByKits.find(folderName);
        if (names == namedByKits.end()) {
            bool unknown = false;
            std::set<std::string> found = namesInKitScripts(location.pluginFolder, folderName, {},
                                                            location.codePage, unknown);
            if (unknown) {
                found.insert(foldCase(file.filename().string()));
            }
            names = namedByKits.emplace(folderName, std::move(found)).first;
        }
        return names->second.contains(foldCase(file.filename().string()));
    };

    host.stopPreview();
    std::set<fs::path> handled;
    for (const SampleZone& zone : removed) {
        if (!isCopyableSource(zone.sourcePath) ||
            !handled.insert(samePathKey(zone.sourcePath)).second) {
            continue;
        }
        const fs::path file = zone.sourcePath;
        if (stillPlayed.contains(samePathKey(zone.sourcePath)) ||
            stillPlayed.contains(fileKey(zone.sourcePath))) {
            ++result.kept;
            continue;
        }
        if (isInSharedFolder(file, location.pluginFolder) || playedByAKit(file)) {
            ++result.spared;
            continue;
        }
        std::error_code error;
        const fs::file_status status = fs::symlink_status(file, error);
        if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
            continue; // gone already, or a folder: nothing to delete
        }
        if (std::optional<TrashedFile> trashed = moveToTrash(file, error)) {
            result.trashed.push_back(std::move(*trashed));
        } else {
            result.noTrash.push_back(file);
        }
    }
    return result;
}

std::vector<fs::path> deleteFilesForGood(const std::vector<fs::path>& files, KitHost& host) {
    host.stopPreview();
    std::vector<fs::path> stayed;
    for (const fs::path& file : files) {
        if (!removeFile(file)) {
            stayed.push_back(file);
        }
    }
    return stayed;
}

void restoreFromTrash(std::vector<TrashedFile>& files, KitHost& host) {
    host.stopPreview();
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        padsmith::restoreFromTrash(*file);
    }
}

void moveToTrashAgain(std::vector<TrashedFile>& files, KitHost& host) {
    host.stopPreview();
    for (TrashedFile& file : files) {
        padsmith::moveToTrashAgain(file);
    }
}

void sampleEditedOutside(KitDocument& kit, const SampleZone& zone) {
    if (isCopyableSource(zone.sourcePath)) {
        kit.changedSources.insert(zone.sourcePath);
        kit.updateModified();
    }
}

} // namespace padsmith
