// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitSave.h"

#include "kit/KitName.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
#include "kit/SharedSamples.h"
#include "platform/Files.h"

#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRefusalsListed = 12;

SaveReport refused(const fs::path& path) {
    SaveReport report;
    report.outcome = SaveReport::Outcome::Refused;
    report.script = path;
    return report;
}

// "Pad 3, row 2": where a text of the kit stands, for a refusal.
std::string zonePlace(int pad, std::size_t row) {
    return "Pad " + std::to_string(pad + 1) + ", row " + std::to_string(row + 1);
}

// The plug-in folder's files are named relative to it: "Rock/kick.wav".
std::string inPluginFolder(const fs::path& file, const fs::path& pluginFolder) {
    const fs::path relative = file.lexically_relative(pluginFolder);
    if (relative.empty() || relative.begin()->string() == "..") {
        return file.string();
    }
    return relative.generic_string();
}

std::string missingReason(const MissingCopy& missing) {
    if (isCopyableSource(missing.sourcePath)) {
        return "from " + missing.sourcePath + ", which is missing";
    }
    if (isMarkedMissing(missing.sourcePath)) {
        return "from " + withoutMissingMark(missing.sourcePath) + ", which is missing";
    }
    return "no source known";
}

// A text whose bytes in the code page would be taken for UTF-8 by the reader ("Ã©" written
// in Windows-1252 reads back as "é"): the first one in the kit, with its place.
std::optional<SaveReport::Entry> textReadBackOtherwise(const KitDocument& kit,
                                                       const CodePage& page) {
    const auto misread = [&](const std::string& text) {
        const CodePage::Encoded bytes = page.encode(text);
        return bytes.ok() && isUtf8WithNonAscii(bytes.bytes) &&
               decodeFileText(bytes.bytes, page) != text;
    };
    // The reader takes a file that looks like UTF-8 in the code page when more of its paths
    // exist read so (see readKitText): a source path that exists only as written tells it.
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            std::error_code ec;
            if (isCopyableSource(zone.sourcePath) && misread(zone.sourcePath) &&
                fs::exists(zone.sourcePath, ec) &&
                !fs::exists(decodeFileText(page.encode(zone.sourcePath).bytes, page), ec)) {
                return std::nullopt;
            }
        }
    }
    for (const std::string* text : {&kit.kitName, &kit.copyright}) {
        if (misread(*text)) {
            return SaveReport::Entry{toValidUtf8(*text), ""};
        }
    }
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            const SampleZone& zone = pad.at(row);
            for (const std::string* text : {&zone.padName, &zone.sampleName, &zone.sourcePath}) {
                if (misread(*text)) {
                    return SaveReport::Entry{zonePlace(p, row) + ": " + toValidUtf8(*text), ""};
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<SaveReport> refusalBeforeSave(const KitDocument& kit, const fs::path& path,
                                            const KitLocation& location) {
    // The kit name also names the sample folder: a file name that gives none must not lead to
    // samples copied into the plug-in folder itself.
    if (kitNameForScript(path).empty()) {
        SaveReport report = refused(path);
        report.refused.push_back({path.filename().string(), unusableKitNameText(path)});
        return report;
    }
    // Zones are taken by the pad they sit in: a pasted pad's zones may carry an older number.
    if (const auto clash = findFirstDoubleNote(kit)) {
        const auto [zone, other] = *clash;
        SaveReport report = refused(path);
        report.doubleNote = zone;
        report.refused.push_back(
            {zonePlace(zone.pad, static_cast<std::size_t>(zone.position)),
             "Double defined NOTE in your drum set! (also " +
                 zonePlace(other.pad, static_cast<std::size_t>(other.position)) + ")"});
        return report;
    }
    // The plug-in reads the script in its code page: a text that the code page cannot hold is
    // refused, never written as something else; and a source path is never cut or changed.
    SaveReport report = refused(path);
    for (const UnheldText& unheld : findUnheldTexts(kit, location.codePage)) {
        report.refused.push_back({unheld.field, unheldTextMessage(unheld, location.codePage)});
        if (report.refused.size() >= kRefusalsListed) {
            break;
        }
    }
    for (int p = 0; p < kPadCount && report.refused.size() < kRefusalsListed; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            const std::string& source = pad.at(row).sourcePath;
            if (!isCopyableSource(source)) {
                continue;
            }
            if (std::string problem = sourcePathProblem(source, location.codePage);
                !problem.empty() && location.codePage.canHold(source)) {
                report.refused.push_back({toValidUtf8(source), std::move(problem)});
                break;
            }
        }
    }
    if (!report.refused.empty()) {
        return report;
    }
    // A sample whose name another kit's copy holds in the sample folder would play that sound.
    if (!location.pluginFolder.empty()) {
        KitDocument there = kit;
        there.kitName = kitNameForScript(path);
        there.sampleFolder = chooseSampleFolder(location.shareSamples, there.kitName);
        for (std::string& clash : sharedCopyClashes(there, location, path.filename().string())) {
            report.refused.push_back({there.sampleFolder, std::move(clash)});
        }
        if (!report.refused.empty()) {
            return report;
        }
    }
    return std::nullopt;
}

PreparedSave prepareSave(const KitDocument& kit, const fs::path& path, const KitLocation& location,
                         bool freshSampleFolder) {
    PreparedSave prepared;
    prepared.kit = kit;
    prepared.path = path;
    KitDocument& saved = prepared.kit;
    saved.kitName = kitNameForScript(path);
    saved.sampleFolder = chooseSampleFolder(location.shareSamples, saved.kitName);
    for (Pad& pad : saved.pads) {
        for (SampleZone& zone : pad) {
            zone.padName = cutText(pad.label, kPadNameMax);
        }
    }
    if (std::optional<SaveReport::Entry> misread =
            textReadBackOtherwise(saved, location.codePage)) {
        prepared.refusal = refused(path);
        misread->detail = "Written in " + std::string(location.codePage.name()) +
                          ", its characters would read back as other ones.";
        prepared.refusal->refused.push_back(*misread);
        return prepared;
    }

    // What the sample folder needs is worked out before anything is written: a source that is
    // the kit's own copy follows its content, and the script must name it there.
    prepared.install = !location.pluginFolder.empty();
    if (prepared.install) {
        SaveFolders folders =
            lookAtFolders(saved, location, saved.sampleFolder, path.filename().string());
        folders.refresh = freshSampleFolder;
        // Only a real folder is emptied: a link leads to files the user keeps elsewhere.
        std::error_code ec;
        folders.fresh = freshSampleFolder && !location.shareSamples && !folders.shared &&
                        fs::is_directory(fs::symlink_status(folders.sampleFolder, ec));
        prepared.plan = planSave(saved, folders);
        for (Pad& pad : saved.pads) {
            for (SampleZone& zone : pad) {
                if (const auto moved = prepared.plan.movedSources.find(zone.sourcePath);
                    moved != prepared.plan.movedSources.end()) {
                    zone.sourcePath = moved->second;
                }
            }
        }
    }
    const CodePage::Encoded bytes = location.codePage.encode(formatKitScript(saved));
    if (!bytes.ok()) {
        prepared.refusal = refused(path);
        prepared.refusal->refused.push_back(
            {path.filename().string(), "The code page cannot hold \"" + bytes.unheld + "\"."});
        return prepared;
    }
    prepared.scriptBytes = bytes.bytes;
    return prepared;
}

SaveReport carryOutSave(KitDocument& kit, const PreparedSave& prepared, const KitLocation& location,
                        const FileProgress& progress) {
    if (prepared.refusal) {
        return *prepared.refusal;
    }
    SaveReport report;
    report.script = prepared.path;
    const fs::path& plugin = location.pluginFolder;

    // The script goes beside the user's other kits, and the plug-in finds every saved kit in
    // its own folder: both are written last, after every copy is in place.
    std::vector<FileWrite> writes{{prepared.path, prepared.scriptBytes}};
    fs::path installed;
    if (prepared.install) {
        installed = joinPath(plugin, prepared.path.filename().string());
        if (!sameFile(installed, prepared.path)) {
            writes.push_back({installed, prepared.scriptBytes});
        }
    }
    const FilePlanResult result = carryOutAll(prepared.plan.operations, writes, progress);
    if (!result.done) {
        report.outcome = SaveReport::Outcome::Failed;
        const FileOperation& op = result.failure->operation;
        using Kind = FileOperation::Kind;
        const fs::path& file = op.kind == Kind::Remove ? op.from : op.to;
        const std::string name =
            file == prepared.path ? file.string() : inPluginFolder(file, plugin);
        const std::string reason = reasonInWords(result.failure->error);
        switch (op.kind) {
        case Kind::Copy:
        case Kind::Replace:
            report.failure = op.from.empty() ? name + " could not be written: " + reason
                                             : name + " could not be copied from " +
                                                   op.from.string() + ": " + reason;
            break;
        case Kind::Rename:
            report.failure = inPluginFolder(op.from, plugin) + " could not be renamed to " +
                             op.to.filename().string() + ": " + reason;
            break;
        case Kind::Remove:
            report.failure = name + " could not be removed: " + reason;
            break;
        }
        return report;
    }

    report.outcome = SaveReport::Outcome::Saved;
    const auto already = [&](const FileOperation& op) {
        for (const FileOperation& there : result.alreadyThere) {
            if (there == op) {
                return true;
            }
        }
        return false;
    };
    for (const FileOperation& op : prepared.plan.operations) {
        using Kind = FileOperation::Kind;
        switch (op.kind) {
        case Kind::Copy:
            if (!already(op)) {
                report.copied.push_back({inPluginFolder(op.to, plugin), op.from.string()});
            }
            break;
        case Kind::Replace:
            report.replaced.push_back({inPluginFolder(op.to, plugin), op.from.string()});
            break;
        case Kind::Rename:
            report.renamed.push_back({inPluginFolder(op.to, plugin), op.from.filename().string()});
            break;
        case Kind::Remove:
            report.removed.push_back({inPluginFolder(op.from, plugin), {}});
            break;
        }
    }
    for (const TrashedFile& trashed : result.trashed) {
        report.trashed.push_back(
            {inPluginFolder(trashed.original, plugin), trashed.inTrash.string()});
    }
    for (const auto& [original, kept] : result.keptAs) {
        report.kept.push_back({inPluginFolder(original, plugin), kept.filename().string()});
    }
    for (const MissingCopy& missing : prepared.plan.missing) {
        report.notCopied.push_back(
            {joinPath(prepared.kit.sampleFolder, missing.sampleName).generic_string(),
             missingReason(missing)});
    }
    for (const NotCopied& stranger : prepared.plan.notCopied) {
        report.notCopied.push_back({inPluginFolder(stranger.file, plugin), stranger.reason});
    }

    report.movedSources = prepared.plan.movedSources;
    const int currentPad = kit.currentPad;
    kit = prepared.kit;
    kit.currentPad = currentPad;
    for (const std::string& source : prepared.plan.replacedEdits) {
        kit.changedSources.erase(source);
    }
    kit.takeSavedFingerprints();
    return report;
}

SaveReport saveKit(KitDocument& kit, const fs::path& path, const KitLocation& location,
                   const SaveOptions& options) {
    if (std::optional<SaveReport> refusal = refusalBeforeSave(kit, path, location)) {
        return *refusal;
    }
    const PreparedSave prepared = prepareSave(kit, path, location, options.freshSampleFolder);
    return carryOutSave(kit, prepared, location, options.progress);
}

} // namespace padsmith
