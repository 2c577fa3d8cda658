// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SharedSamples.h"

#include "kit/CodePage.h"
#include "kit/KitDocument.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"
#include "kit/SavePlan.h"
#include "platform/Files.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

std::vector<std::string> sharedCopyClashes(const KitDocument& kit, const KitLocation& location,
                                           const std::string& scriptName) {
    std::vector<std::string> clashes;
    if (location.pluginFolder.empty() || !isPlainName(kit.sampleFolder)) {
        return clashes;
    }
    const fs::path folder = joinPath(location.pluginFolder, kit.sampleFolder);
    const bool savedHere = foldCase(kit.savedSampleFolder) == foldCase(kit.sampleFolder);
    std::optional<std::set<std::string>> others;
    bool unknown = false;
    std::set<std::string> seen;
    // The files of the folder by folded name: the plug-in's folders ignore letter case.
    std::map<std::string, fs::path> files;
    scanFolder(folder, "*", [&](const FoundEntry& entry) {
        if (!entry.isFolder) {
            files.emplace(foldCase(entry.name), entry.fullPath);
        }
        return true;
    });
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            std::optional<fs::path> copy = copyPath(folder, zone.sampleName);
            std::error_code ec;
            if (copy && !fs::exists(*copy, ec)) {
                const auto file = files.find(foldCase(zone.sampleName));
                copy = file == files.end() ? std::optional<fs::path>() : file->second;
            }
            if (!copy || !seen.insert(foldCase(zone.sampleName)).second ||
                !isCopyableSource(zone.sourcePath) || !fs::is_regular_file(zone.sourcePath, ec) ||
                !fs::is_regular_file(*copy, ec)) {
                continue;
            }
            // The kit's own copy is the file its saved state made from this source.
            const bool own =
                savedHere &&
                std::any_of(kit.savedSamples.begin(), kit.savedSamples.end(),
                            [&](const SavedSample& saved) {
                                std::error_code error;
                                return saved.sourcePath == zone.sourcePath &&
                                       isPlainName(saved.sampleName) &&
                                       fs::equivalent(joinPath(folder, saved.sampleName), *copy,
                                                      error);
                            });
            if (own || sameContent(zone.sourcePath, *copy)) {
                continue;
            }
            if (!others) {
                others = namesInKitScripts(location.pluginFolder, kit.sampleFolder, scriptName,
                                           location.codePage, unknown);
            }
            if (unknown || others->contains(foldCase(zone.sampleName))) {
                clashes.push_back(zone.sampleName + ": " + kit.sampleFolder +
                                  " holds another kit's " + zone.sampleName + ", not " +
                                  zone.sourcePath);
            }
        }
    }
    return clashes;
}

std::string sharedNameClashText(const std::string& scriptName,
                                const std::vector<std::string>& clashes) {
    std::string text = "Can't save " + scriptName + ".";
    for (const std::string& clash : clashes) {
        text += "\n" + clash;
    }
    return text + "\nRename these samples (F2) and save again.";
}

} // namespace padsmith
