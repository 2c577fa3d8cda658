#include "kit/ZoneFiles.h"

#include "kit/KitHost.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
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

void moveFilesBack(const std::vector<FileMove>& moves, KitHost& host) {
    host.stopPreview();
    for (auto move = moves.rbegin(); move != moves.rend(); ++move) {
        movePath(move->to, move->from);
    }
}

void moveFilesAgain(const std::vector<FileMove>& moves, KitHost& host) {
    host.stopPreview();
    for (const FileMove& move : moves) {
        movePath(move.from, move.to);
    }
}

SampleImport importSamples(const KitDocument& kit, int pad, int currentRow,
                           const std::vector<fs::path>& files, ImportKeyRange& keyRange,
                           const KitLocation& location, KitHost& host) {
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
            refused += "\n" + toValidUtf8(source) + ": " + problem;
            continue;
        }
        SampleZone zone;
        zone.sampleName = *name;
        zone.sourcePath = source;
        others.pads[static_cast<std::size_t>(pad)].append(zone);
        samples.push_back({*name, source});
    }
    if (!refused.empty()) {
        host.showMessage(MessageIcon::Warning, "These files were not imported:" + refused);
    }
    result.edit = importZones(kit, pad, currentRow, samples, keyRange);
    return result;
}

SampleRename renameSample(const KitDocument& kit, int pad, int row, const std::string& name,
                          const KitLocation& location, KitHost& host) {
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
    const std::string oldSource = zone.sourcePath;
    const std::string oldName = zone.sampleName;
    const fs::path newSource = joinPath(fs::path(oldSource).parent_path(), name);
    if (name == oldName && newSource == fs::path(oldSource)) {
        return result;
    }

    host.stopPreview();
    if (newSource != fs::path(oldSource)) {
        // A sample in the shared folder may be named by other kits: it is copied under the new
        // name and stays as it is.
        const bool shared = isInSharedFolder(oldSource, location.pluginFolder);
        std::error_code error;
        if (shared ? !copyFile(oldSource, newSource, false, error)
                   : !movePath(oldSource, newSource, error)) {
            result.error = error.message();
            return result;
        }
        if (!shared) {
            result.moves.push_back({oldSource, newSource});
        }
    }
    // The kit's own copy follows; a shared copy stays for the kits that name it.
    if (const auto folder =
            ownSampleFolder(kit.sampleFolder, location.pluginFolder, location.shareSamples);
        folder && isPlainName(oldName) && oldName != name) {
        const fs::path oldCopy = joinPath(*folder, oldName);
        const fs::path newCopy = joinPath(*folder, name);
        if (movePath(oldCopy, newCopy)) {
            result.moves.push_back({oldCopy, newCopy});
        }
    }

    // Every zone that played the moved file plays it under its new name.
    const fs::path oldKey = samePathKey(oldSource);
    result.edit.name = "Rename Sample";
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& before = kit.pads[static_cast<std::size_t>(p)];
        Pad after = before;
        for (std::size_t r = 0; r < after.size(); ++r) {
            SampleZone& other = after.at(r);
            const bool renamed = p == pad && r == static_cast<std::size_t>(row);
            if (renamed ||
                (isCopyableSource(other.sourcePath) && samePathKey(other.sourcePath) == oldKey)) {
                other.sampleName = name;
                other.sourcePath = newSource.string();
            }
        }
        if (!(after == before)) {
            result.edit.changes.push_back({p, before, std::move(after)});
        }
    }
    return result;
}

SourceDeletion deleteSourceFiles(const KitDocument& kit, const std::vector<SampleZone>& removed,
                                 KitHost& host) {
    SourceDeletion result;
    std::set<fs::path> stillPlayed;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath)) {
                stillPlayed.insert(samePathKey(zone.sourcePath));
            }
        }
    }
    host.stopPreview();
    std::set<fs::path> handled;
    for (const SampleZone& zone : removed) {
        if (!isCopyableSource(zone.sourcePath) ||
            !handled.insert(samePathKey(zone.sourcePath)).second) {
            continue;
        }
        if (stillPlayed.contains(samePathKey(zone.sourcePath))) {
            ++result.kept;
        } else if (removeFile(zone.sourcePath)) {
            ++result.deleted;
        }
    }
    return result;
}

void sampleEditedOutside(KitDocument& kit, const SampleZone& zone, const KitLocation& location,
                         KitHost& host) {
    if (!isCopyableSource(zone.sourcePath)) {
        return;
    }
    kit.changedSources.insert(zone.sourcePath);
    if (const auto folder =
            ownSampleFolder(kit.sampleFolder, location.pluginFolder, location.shareSamples);
        folder && isPlainName(zone.sampleName)) {
        host.stopPreview();
        removeFile(joinPath(*folder, zone.sampleName));
    }
}

} // namespace padsmith
