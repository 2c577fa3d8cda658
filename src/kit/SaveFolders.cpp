// SPDX-License-Identifier: GPL-3.0-or-later
// What a save finds in the folders before it plans: the copies there, the sources that can be
// read, the names and sources other kit scripts give the same sample folder, and where a
// sample whose source is gone may take its sound from.
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "kit/SavePlan.h"
#include "platform/Files.h"

#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

std::set<std::string> namesInKitScripts(const fs::path& pluginFolder,
                                        const std::string& sampleFolderName,
                                        const std::string& scriptName, const CodePage& page,
                                        bool& unknown,
                                        std::map<std::string, std::set<std::string>>* sources) {
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
            if (sources != nullptr) {
                (*sources)[name].insert("");
            }
        }
        if (sources != nullptr) {
            // Path lines count per pad, in zone order.
            std::map<std::pair<int, int>, std::string> paths;
            for (const KitScriptContent::PathLine& line : content->paths) {
                paths.emplace(std::pair{line.padNumber, line.zoneIndex},
                              withoutMissingMark(line.path));
            }
            std::map<int, int> rows;
            for (const SampleZone& zone : content->zones) {
                const auto path = paths.find({zone.padNumber, rows[zone.padNumber]++});
                (*sources)[zone.sampleName].insert(path == paths.end() ? std::string()
                                                                       : path->second);
            }
        }
        return true;
    });
    return names;
}

void takeCopiesFrom(SaveFolders& folders, const KitDocument& kit, const fs::path& folder,
                    const std::vector<SavedSample>& savedThere) {
    std::set<std::string> there;
    scanFolder(folder, "*", [&there](const FoundEntry& entry) {
        if (!entry.isFolder) {
            there.insert(entry.name);
        }
        return true;
    });
    folders.fallbackFolder = folder;
    folders.fallbackCopies.clear();
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (folders.readableSources.contains(zone.sourcePath)) {
                continue;
            }
            for (const SavedSample& saved : savedThere) {
                if (there.contains(saved.sampleName) && isPlainName(saved.sampleName) &&
                    withoutMissingMark(saved.sourcePath) == withoutMissingMark(zone.sourcePath)) {
                    folders.fallbackCopies.emplace(zone.sampleName, saved.sampleName);
                    break;
                }
            }
        }
    }
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
    // A sample folder that is a link to a folder elsewhere holds the kit's copies all the same.
    std::error_code ec;
    if (fs::is_directory(folders.sampleFolder, ec)) {
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

    // A file under a sample name that the kit as saved did not name, and that does not hold
    // the sample's content, is someone else's.
    std::set<std::string> savedNames;
    const bool sameFolder = foldCase(kit.savedSampleFolder) == foldCase(sampleFolderName);
    if (sameFolder) {
        for (const SavedSample& sample : kit.savedSamples) {
            savedNames.insert(foldCase(sample.sampleName));
        }
    }
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (savedNames.contains(foldCase(zone.sampleName)) ||
                !folders.readableSources.contains(zone.sourcePath)) {
                continue;
            }
            // The plug-in finds a copy in any letter case.
            std::string onDisk;
            for (const std::string& name : folders.copies) {
                if (name == zone.sampleName ||
                    (onDisk.empty() && foldCase(name) == foldCase(zone.sampleName))) {
                    onDisk = name;
                }
            }
            if (onDisk.empty()) {
                continue;
            }
            const fs::path copy = joinPath(folders.sampleFolder, onDisk);
            if (!sameFile(zone.sourcePath, copy) && !sameContent(zone.sourcePath, copy)) {
                folders.foreignCopies.insert(zone.sampleName);
            }
        }
    }

    // A kit saved into another sample folder than before takes a sample whose source is gone
    // from its copy in the folder it had; not from the shared folder, where a copy of that name
    // may be another kit's sound.
    if (!sameFolder && !kit.savedSampleFolder.empty() && !location.pluginFolder.empty() &&
        foldCase(kit.savedSampleFolder) != foldCase(kSharedSampleFolder)) {
        takeCopiesFrom(folders, kit, joinPath(location.pluginFolder, kit.savedSampleFolder),
                       kit.savedSamples);
    }

    bool unknown = false;
    folders.namedByOtherKits =
        namesInKitScripts(location.pluginFolder, sampleFolderName, scriptName, location.codePage,
                          unknown, &folders.otherKitsSources);
    if (unknown) {
        // Nothing may be renamed or removed: treat every copy as named.
        for (const std::string& name : folders.copies) {
            folders.namedByOtherKits.insert(foldCase(name));
        }
    }
    return folders;
}

} // namespace padsmith
