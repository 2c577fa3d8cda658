// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/HealthFolders.h"

#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <fstream>
#include <set>
#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

// The same bytes: the same file (a hard link), or the same size and content.
bool sameContent(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) {
        return true;
    }
    if (fs::file_size(a, error) != fs::file_size(b, error) || error) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    constexpr std::size_t kBlock = 1 << 16;
    std::string one(kBlock, '\0');
    std::string two(kBlock, '\0');
    while (first && second) {
        first.read(one.data(), kBlock);
        second.read(two.data(), kBlock);
        if (first.gcount() != second.gcount() ||
            one.compare(0, static_cast<std::size_t>(first.gcount()), two, 0,
                        static_cast<std::size_t>(second.gcount())) != 0) {
            return false;
        }
    }
    return first.eof() && second.eof();
}

} // namespace

FolderFacts gatherFolderFacts(const KitDocument& kit, const KitLocation& location) {
    FolderFacts facts;
    if (location.pluginFolder.empty() || !isPlainName(kit.sampleFolder)) {
        return facts;
    }
    const fs::path folder = joinPath(location.pluginFolder, kit.sampleFolder);

    // A copy is where a save puts it: under its source's file name. One that a save will
    // replace anyway (its source was handed to a wave editor) is no surprise.
    std::set<std::string> compared;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            const std::string& source = zone.sourcePath;
            if (!isCopyableSource(source) || kit.changedSources.contains(source) ||
                !compared.insert(source).second) {
                continue;
            }
            const fs::path copy = joinPath(folder, fileNameOf(source));
            std::error_code error;
            if (fs::is_regular_file(copy, error) && fs::is_regular_file(source, error) &&
                !sameContent(source, copy)) {
                facts.staleSources.push_back(source);
            }
        }
    }

    const std::optional<fs::path> own =
        ownSampleFolder(kit.sampleFolder, location.pluginFolder, location.shareSamples);
    if (!own) {
        return facts;
    }
    facts.sampleFolder = kit.sampleFolder;
    // No folder, no file in it that no kit plays: the other kits' scripts need not be read.
    std::error_code missing;
    if (!fs::is_directory(*own, missing)) {
        return facts;
    }
    std::optional<std::string> refusal;
    std::unordered_set<std::string> used =
        sampleNamesUsedIn(location.pluginFolder, kit.sampleFolder, location.codePage, refusal);
    if (refusal) {
        return facts;
    }
    // The kit as it is now, saved or not, plays its samples under their sources' names.
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            used.insert(foldCase(zone.sampleName));
            if (isCopyableSource(zone.sourcePath)) {
                used.insert(foldCase(fileNameOf(zone.sourcePath)));
            }
        }
    }
    scanFolder(*own, "*", [&](const FoundEntry& entry) {
        if (!entry.isFolder && isValidUtf8(entry.name) && !used.contains(foldCase(entry.name))) {
            facts.unusedFiles.push_back(entry.name);
        }
        return true;
    });
    return facts;
}

} // namespace padsmith
