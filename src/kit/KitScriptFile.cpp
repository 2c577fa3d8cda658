// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a kit script from disk into the kit, and saving the kit with its samples into the
// plug-in's folders.
#include "kit/KitChecks.h"
#include "kit/KitHost.h"
#include "kit/KitName.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
#include "kit/SavePlan.h"
#include "kit/SharedSamples.h"
#include "platform/Files.h"

#include <set>
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

// "Rock/kick.wav (from /lib/kick.wav, which is missing)": a copy the save could not make.
std::string missingCopyText(const std::string& sampleFolder, const MissingCopy& missing) {
    std::string text = joinPath(sampleFolder, missing.sampleName).string();
    if (isCopyableSource(missing.sourcePath)) {
        text += " (from " + missing.sourcePath + ", which is missing)";
    } else if (isMarkedMissing(missing.sourcePath)) {
        text += " (from " + withoutMissingMark(missing.sourcePath) + ", which is missing)";
    } else {
        text += " (no source known)";
    }
    return text;
}

// Names relative to the plug-in folder: "Rock/kick.wav", "Rock.txt".
std::string notCopiedText(const std::vector<std::string>& names, const fs::path& pluginFolder) {
    constexpr std::size_t kListed = 12;
    std::string text = "These files could not be copied into " + pluginFolder.string() + ":";
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i) {
        text += "\n" + names[i];
    }
    if (names.size() > kListed) {
        text += "\n... and " + std::to_string(names.size() - kListed) + " more";
    }
    return text;
}

// The first source path of the kit that its path line cannot record whole.
std::optional<std::string> pathThatDoesNotFit(const KitDocument& kit, const CodePage& page) {
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath)) {
                if (std::string problem = sourcePathProblem(zone.sourcePath, page);
                    !problem.empty()) {
                    return toValidUtf8(zone.sourcePath) + ": " + problem;
                }
            }
        }
    }
    return std::nullopt;
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

bool writeKitScript(KitDocument& kit, const fs::path& path, const KitLocation& location,
                    KitHost& host, bool freshSampleFolder, std::vector<std::string>* notCopied) {
    // The kit name also names the sample folder: a file name that gives none must not lead to
    // samples copied into the plug-in folder itself.
    const std::string kitName = kitNameForScript(path);
    if (kitName.empty()) {
        host.showMessage(MessageIcon::Error, unusableKitNameText(path));
        return false;
    }
    if (checkKitNotes(kit, &host)) {
        return false;
    }
    const BusyScope busy(host);
    const int remembered = kit.currentPad;
    const KitDocument before = kit;

    kit.kitName = kitName;
    kit.sampleFolder = chooseSampleFolder(location.shareSamples, kit.kitName);
    for (Pad& pad : kit.pads) {
        for (SampleZone& zone : pad) {
            zone.padName = cutText(pad.label, kPadNameMax);
        }
    }

    // The plug-in reads the script in its code page: a text that the code page cannot hold is
    // refused, never written as something else.
    const std::vector<UnheldText> unheld = findUnheldTexts(kit, location.codePage);
    if (!unheld.empty()) {
        kit = before;
        host.showMessage(MessageIcon::Error,
                         "Can't save " + path.filename().string() + ".\n" +
                             unheldTextMessage(unheld.front(), location.codePage));
        return false;
    }

    // A source path is never cut: a save that would have to cut one writes nothing.
    if (const std::optional<std::string> tooLong = pathThatDoesNotFit(kit, location.codePage)) {
        kit = before;
        host.showMessage(MessageIcon::Error,
                         "Can't save " + path.filename().string() + ".\n" + *tooLong);
        return false;
    }

    // A sample whose name another kit's copy holds in the sample folder would play that sound.
    if (const std::vector<std::string> clashes =
            sharedCopyClashes(kit, location, path.filename().string());
        !clashes.empty()) {
        kit = before;
        host.showMessage(MessageIcon::Error,
                         sharedNameClashText(path.filename().string(), clashes));
        return false;
    }

    // What the sample folder needs is worked out before anything is written: a source that is
    // the kit's own copy follows that copy's rename, and the script must name it there.
    const bool install = !location.pluginFolder.empty();
    SavePlan plan;
    if (install) {
        SaveFolders folders =
            lookAtFolders(kit, location, kit.sampleFolder, path.filename().string());
        folders.refresh = freshSampleFolder;
        plan = planSave(kit, folders);
        for (Pad& pad : kit.pads) {
            for (SampleZone& zone : pad) {
                if (const auto moved = plan.movedSources.find(zone.sourcePath);
                    moved != plan.movedSources.end()) {
                    zone.sourcePath = moved->second;
                }
            }
        }
    }

    // The script goes to a temporary file first: a save that fails leaves the old kit whole,
    // and nothing in the plug-in folder is touched.
    const CodePage::Encoded bytes = location.codePage.encode(formatKitScript(kit));
    if (!bytes.ok() || !replaceFileContents(path, bytes.bytes)) {
        kit = before;
        host.showMessage(MessageIcon::Error, "Can't write " + path.string());
        return false;
    }

    std::vector<std::string> failed;
    if (install) {
        for (std::size_t p = 0; p < kit.pads.size(); ++p) {
            for (std::size_t row = 0; row < kit.pads[p].size(); ++row) {
                host.selectPad(static_cast<int>(p), static_cast<int>(row));
            }
        }
        host.stopPreview();
        const std::vector<FileOperationFailure> failures = carryOut(plan.operations);
        for (const std::string& source : plan.replacedEdits) {
            kit.changedSources.erase(source);
        }
        for (const FileOperationFailure& failure : failures) {
            using Kind = FileOperation::Kind;
            const FileOperation& op = failure.operation;
            if (op.kind == Kind::Remove) {
                continue; // a copy that stays costs nothing
            }
            if (op.kind == Kind::Replace) {
                kit.changedSources.insert(op.from.string());
            }
            failed.push_back(joinPath(kit.sampleFolder, op.to.filename().string()).string() + " (" +
                             failure.error.message() + ")");
        }
        for (const MissingCopy& missing : plan.missing) {
            failed.push_back(missingCopyText(kit.sampleFolder, missing));
        }
        // The plug-in finds every saved kit in its own folder.
        if (copyFileToFolder(path, location.pluginFolder, true) != CopyResult::Copied) {
            failed.push_back(path.filename().string());
        }
    }
    if (!failed.empty()) {
        host.showMessage(MessageIcon::Warning, notCopiedText(failed, location.pluginFolder));
    }
    if (notCopied != nullptr) {
        *notCopied = failed;
    }

    host.selectPad(remembered, 0);
    kit.currentPad = remembered;
    kit.takeSavedFingerprints();
    return true;
}

} // namespace padsmith
