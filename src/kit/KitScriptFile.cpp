// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a kit script from disk into the kit (saving it is kit/KitSave).
#include "kit/KitHost.h"
#include "kit/KitName.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

// Where a zone's sample lies when the script records no source paths: in the sample folder the
// script names. A name that would lead out of that folder is not followed.
std::string pathInSampleFolder(const fs::path& pluginFolder, const std::string& sampleFolder,
                               const std::string& sampleName) {
    const fs::path path = joinPath(joinPath(pluginFolder, sampleFolder), sampleName);
    if (!isPlainName(sampleFolder) || !isPlainName(sampleName)) {
        return markMissing(path.string());
    }
    return path.string();
}

// A relative source path in a hand-written script is taken relative to the script's folder, not
// to wherever the program was started. Windows paths ("C:\\...") and unknown ones stay.
std::string sourcePathFromScript(const std::string& recorded, const fs::path& scriptPath) {
    const bool marked = isMarkedMissing(recorded);
    const std::string path = marked ? withoutMissingMark(recorded) : recorded;
    if (path.empty() || path == kUnknownSource || isWindowsPath(path) ||
        !fs::path(path).is_relative()) {
        return recorded;
    }
    std::error_code ec;
    const fs::path folder = fs::absolute(scriptPath, ec).parent_path();
    if (ec) {
        return recorded;
    }
    const std::string absolute = (folder / path).lexically_normal().string();
    return marked ? markMissing(absolute) : absolute;
}

} // namespace

bool readKitScript(KitDocument& kit, const fs::path& path, const KitLocation& location,
                   KitHost& host, SampleFinder& finder, ScriptReadReport* report) {
    std::string text;
    if (!readKitText(path, location.codePage, text)) {
        host.showMessage(MessageIcon::Warning, "Can't open " + path.string());
        return false;
    }
    std::optional<KitScriptContent> content = parseKitScript(text);
    if (!content) {
        host.showMessage(MessageIcon::None, "Unknown format !");
        return false;
    }
    if (report != nullptr) {
        *report = content->report;
    }

    const int currentPad = kit.currentPad;
    host.stopPreview();
    kit.newKit();
    kit.currentPad = currentPad;
    kit.formatTag = content->formatTag;
    kit.kitName = content->kitName;
    kit.sampleFolder = content->sampleFolder;
    kit.copyright = content->copyright;

    for (SampleZone& zone : content->zones) {
        host.pumpMessages();
        if (zone.padNumber < 1 || zone.padNumber > kPadCount) {
            continue;
        }
        Pad& pad = kit.pads.at(static_cast<std::size_t>(zone.padNumber - 1));
        zone.sourcePath = kUnknownSource;
        pad.append(zone);
        pad.label = zone.padName;
    }

    bool declined = false;
    finder.setPluginFolder(location.pluginFolder);
    for (const KitScriptContent::PathLine& line : content->paths) {
        host.pumpMessages();
        const int padIndex = line.padNumber - 1;
        if (padIndex < 0 || padIndex >= kPadCount) {
            continue;
        }
        Pad& pad = kit.pads.at(static_cast<std::size_t>(padIndex));
        if (line.zoneIndex < 0 || static_cast<std::size_t>(line.zoneIndex) >= pad.size()) {
            continue; // more path lines than the pad has zones
        }
        const std::string recorded = sourcePathFromScript(line.path, path);
        std::optional<std::string> found;
        if (!declined) {
            found = finder.findSample(padIndex, line.zoneIndex, recorded,
                                      pad.at(static_cast<std::size_t>(line.zoneIndex)).sampleName);
        }
        if (!found) {
            // No search folder: every path stays as recorded, marked when its file is missing,
            // so that a later search or relink can still find it.
            declined = true;
            found = finder.checkSample(recorded);
        }
        pad.at(static_cast<std::size_t>(line.zoneIndex)).sourcePath = *found;
    }
    // Only a file without any path line takes its samples to be in its sample folder already:
    // after a path section that broke off, the zones it did not reach stay unknown.
    const bool pathsBroken =
        content->report.section == ScriptReadReport::Section::Paths && content->paths.empty();
    if (content->paths.empty() && !pathsBroken) {
        for (Pad& pad : kit.pads) {
            for (SampleZone& zone : pad) {
                zone.sourcePath =
                    pathInSampleFolder(location.pluginFolder, kit.sampleFolder, zone.sampleName);
            }
        }
    }

    // The label a pad shows is the name of its first zone.
    for (Pad& pad : kit.pads) {
        if (!pad.empty()) {
            pad.label = pad.at(0).padName;
        }
    }
    finder.forget();
    kit.takeSavedFingerprints();
    kit.computeKitSize();

    // The name and folder stored in the file only served to find the samples above.
    kit.kitName = kitNameForScript(path);
    kit.sampleFolder = chooseSampleFolder(location.shareSamples, kit.kitName);

    if (content->report.readInPart()) {
        host.showMessage(MessageIcon::Warning, path.filename().string() +
                                                   " was read only in part.\n" +
                                                   readInPartText(content->report));
    }
    return true;
}

} // namespace padsmith
