// Reading a kit script from disk into the kit, and saving the kit with its samples into the
// plug-in's folders.
#include "kit/KitChecks.h"
#include "kit/KitHost.h"
#include "kit/KitName.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
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

fs::path canonicalOrSelf(const fs::path& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical;
}

// Empties the kit's own sample folder before a save, so that afterwards it holds exactly the
// kit's samples. Files that the kit itself copies from stay: deleting them would lose the
// samples the save is about to copy.
void emptyKitSampleFolder(const KitDocument& kit, const fs::path& folder) {
    std::set<fs::path> sources;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath)) {
                sources.insert(canonicalOrSelf(zone.sourcePath));
            }
        }
    }
    // Only a real folder is emptied. A file that stands where the folder would be (a kit saved
    // as "Zarvo.dll.txt" or "Rock.txt.txt") is the plug-in or another kit, and a link leads to
    // files that the user keeps elsewhere: both stay as they are.
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec))) {
        return;
    }
    const fs::path real = canonicalOrSelf(folder);
    std::vector<fs::path> doomed;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (!sources.contains(real / it->path().filename())) {
            doomed.push_back(it->path());
        }
    }
    for (const fs::path& path : doomed) {
        deletePath(path);
    }
}

// Brings a zone's sample into the sample folder. False when the plug-in will not find it
// there: nothing was copied (unknown, missing or marked source, or a failed copy) and no file
// of its name is there already.
bool bringSample(KitDocument& kit, const SampleZone& zone, const fs::path& sampleFolder) {
    const std::string& source = zone.sourcePath;
    if (isCopyableSource(source)) {
        // An existing copy is kept, unless its source was edited since: then the copy is
        // replaced whole, so the plug-in never reads a half-written file.
        const bool changed = kit.changedSources.contains(source);
        const CopyResult copied = isPlainName(zone.sampleName)
                                      ? copyFileAs(source, sampleFolder, zone.sampleName, changed)
                                      : CopyResult::Failed;
        if (copied == CopyResult::Copied && changed) {
            kit.changedSources.erase(source);
        }
        if (copied != CopyResult::Failed) {
            return true;
        }
    }
    std::error_code ec;
    return isPlainName(zone.sampleName) &&
           fs::is_regular_file(joinPath(sampleFolder, zone.sampleName), ec);
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
        std::optional<std::string> found;
        if (!declined) {
            found = finder.findSample(padIndex, line.zoneIndex, line.path);
        }
        if (!found) {
            // No search folder: every path stays as recorded, marked when its file is missing,
            // so that a later search or relink can still find it.
            declined = true;
            found = finder.checkSample(line.path);
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

    // The script goes to a temporary file first: a save that fails leaves the old kit whole,
    // and nothing in the plug-in folder is touched.
    const CodePage::Encoded bytes = location.codePage.encode(formatKitScript(kit));
    if (!bytes.ok() || !replaceFileContents(path, bytes.bytes)) {
        kit = before;
        host.showMessage(MessageIcon::Error, "Can't write " + path.string());
        return false;
    }

    // The shared folder is never emptied, in any letter case.
    const bool install = !location.pluginFolder.empty();
    const fs::path sampleFolder = joinPath(location.pluginFolder, kit.sampleFolder);
    if (install && freshSampleFolder && !location.shareSamples &&
        lowerCaseAscii(kit.sampleFolder) != lowerCaseAscii(kSharedSampleFolder)) {
        host.stopPreview();
        emptyKitSampleFolder(kit, sampleFolder);
    }

    std::vector<std::string> failed;
    for (std::size_t p = 0; p < kit.pads.size(); ++p) {
        const Pad& pad = kit.pads[p];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            host.selectPad(static_cast<int>(p), static_cast<int>(row));
            if (install && !bringSample(kit, pad.at(row), sampleFolder)) {
                failed.push_back(joinPath(kit.sampleFolder, pad.at(row).sampleName).string());
            }
        }
    }
    // The plug-in finds every saved kit in its own folder.
    if (install && copyFileToFolder(path, location.pluginFolder, true) != CopyResult::Copied) {
        failed.push_back(path.filename().string());
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
