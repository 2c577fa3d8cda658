// Reading a kit script from disk into the kit, and saving the kit with its samples into the
// plug-in's folders.
#include "kit/KitChecks.h"
#include "kit/KitHost.h"
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

} // namespace

bool readKitScript(KitDocument& kit, const fs::path& path, const KitLocation& location,
                   KitHost& host, SampleFinder& finder) {
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
        const std::optional<std::string> found =
            finder.findSample(padIndex, line.zoneIndex, line.path);
        if (!found) {
            break; // no search folder: the zones not reached keep "???"
        }
        pad.at(static_cast<std::size_t>(line.zoneIndex)).sourcePath = *found;
    }
    if (content->paths.empty()) {
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
    kit.kitName = kitNameFromPath(path);
    kit.sampleFolder = chooseSampleFolder(location.shareSamples, kit.kitName);
    return true;
}

bool writeKitScript(KitDocument& kit, const fs::path& path, const KitLocation& location,
                    KitHost& host, bool freshSampleFolder) {
    if (checkKitNotes(kit, &host)) {
        return false;
    }
    const BusyScope busy(host);
    const int remembered = kit.currentPad;
    const KitDocument before = kit;

    kit.kitName = kitNameFromPath(path);
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

    // A kit name that is empty, "." or ".." or holds a separator names no folder of its own:
    // nothing is emptied and no sample is copied for it. The shared folder is never emptied.
    const bool install = !location.pluginFolder.empty();
    const bool folderUsable = install && isPlainName(kit.sampleFolder);
    const fs::path sampleFolder = joinPath(location.pluginFolder, kit.sampleFolder);
    if (folderUsable && freshSampleFolder && !location.shareSamples &&
        lowerCaseAscii(kit.sampleFolder) != lowerCaseAscii(kSharedSampleFolder)) {
        host.stopPreview();
        emptyKitSampleFolder(kit, sampleFolder);
    }

    for (std::size_t p = 0; p < kit.pads.size(); ++p) {
        const Pad& pad = kit.pads[p];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            host.selectPad(static_cast<int>(p), static_cast<int>(row));
            const std::string& source = pad.at(row).sourcePath;
            if (folderUsable && isCopyableSource(source)) {
                // An existing copy is kept, unless its source was edited since: then the copy
                // is replaced whole, so the plug-in never reads a half-written file.
                const bool changed = kit.changedSources.contains(source);
                if (copyFileToFolder(source, sampleFolder, changed) && changed) {
                    kit.changedSources.erase(source);
                }
            }
        }
    }
    if (install) {
        // The plug-in finds every saved kit in its own folder.
        copyFileToFolder(path, location.pluginFolder, true);
    }

    host.selectPad(remembered, 0);
    kit.currentPad = remembered;
    kit.takeSavedFingerprints();
    return true;
}

} // namespace padsmith
