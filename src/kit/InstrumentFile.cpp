// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument files on disk: export and import of one pad, and the pad saved as a kit of its own.
#include "kit/InstrumentFile.h"

#include "kit/FolderKit.h"
#include "kit/KitName.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
#include "kit/SavePlan.h"
#include "platform/Files.h"

#include <system_error>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

// Far more than any pad holds (a zone line is a few hundred bytes); anything bigger is not an
// instrument, and reading it whole would only exhaust memory.
constexpr std::uintmax_t kInstrumentFileMax = 16U * 1024U * 1024U;

// Reads a file that may come from anywhere: only a regular file of a sane size, so that a
// device or a pipe named .zvi can neither block nor flood the program.
bool readInstrumentFile(const fs::path& path, const CodePage& page, std::string& text) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kInstrumentFileMax) {
        return false;
    }
    std::string bytes;
    if (!readWholeFile(path, bytes) || bytes.size() > kInstrumentFileMax) {
        return false;
    }
    text = decodeFileText(bytes, page);
    return true;
}

void namePadZones(Pad& pad) {
    for (SampleZone& zone : pad) {
        zone.padName = cutText(pad.label, kPadNameMax);
    }
}

bool isPadIndex(int padIndex) {
    return padIndex >= 0 && padIndex < kPadCount;
}

// One part of a file name: separators would lead into another folder, so they become blanks,
// and blanks at the ends go, so the parts stand one blank apart.
std::string namePart(std::string text) {
    for (char& c : text) {
        if (c == '/' || c == '\\' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool exportInstrument(KitDocument& kit, int padIndex, const fs::path& path, const CodePage& page) {
    if (!isPadIndex(padIndex)) {
        return false;
    }
    Pad& pad = kit.pads[static_cast<std::size_t>(padIndex)];
    namePadZones(pad);
    const CodePage::Encoded bytes = page.encode(formatInstrument(pad, padIndex));
    return bytes.ok() && replaceFileContents(path, bytes.bytes);
}

InstrumentImport importInstrument(const KitDocument& kit, Pad& pad, int padIndex,
                                  const fs::path& path, SampleFinder& finder,
                                  const CodePage& page) {
    InstrumentImport result;
    std::string text;
    if (!isPadIndex(padIndex) || !readInstrumentFile(path, page, text)) {
        return result;
    }
    result.opened = true;
    result.content = parseInstrument(text);

    // The kit as the pad now stands, the zones imported so far included: no two samples of
    // different sources may share a name, or both would play one copy.
    KitDocument scratch = kit;
    Pad& scratchPad = scratch.pads[static_cast<std::size_t>(padIndex)];
    scratchPad = pad;
    const auto nameProblem = [&](const std::string& name, const std::string& source) {
        std::string problem = sampleNameProblem(name, page);
        if (problem.empty() && sampleNameTaken(scratch, name, source, padIndex, -1)) {
            problem = sampleNameTakenText(name);
        }
        return problem;
    };

    const bool wasEmpty = pad.empty();
    for (SampleZone zone : result.content.zones) {
        if (std::string problem = sourcePathProblem(zone.sourcePath, page); !problem.empty()) {
            result.refused.push_back(toValidUtf8(zone.sourcePath) + ": " + problem);
            continue;
        }
        const std::optional<std::string> found = finder.findSample(
            padIndex, static_cast<int>(pad.size()), zone.sourcePath, zone.sampleName);
        if (!found) {
            result.searchDeclined = true;
            break;
        }
        // The file found under the search folder must fit the kit's path line as well.
        if (isCopyableSource(*found)) {
            if (std::string problem = sourcePathProblem(*found, page); !problem.empty()) {
                result.refused.push_back(toValidUtf8(*found) + ": " + problem);
                continue;
            }
        }
        zone.sourcePath = *found;
        if (std::string problem = nameProblem(zone.sampleName, zone.sourcePath); !problem.empty()) {
            const std::string own = fileNameOf(withoutMissingMark(zone.sourcePath));
            if (!nameProblem(own, zone.sourcePath).empty()) {
                result.refused.push_back(toValidUtf8(zone.sampleName) + ": " + problem);
                continue;
            }
            zone.sampleName = own;
        }
        // The number the pad's rows show; the file may come from any pad.
        zone.padNumber = padIndex + 1;
        pad.append(zone);
        scratchPad.append(zone);
        ++result.imported;
    }
    if (wasEmpty && !pad.empty()) {
        pad.label = pad.at(0).padName;
    }
    return result;
}

std::optional<std::string> padKitFileName(const std::string& kitName, const std::string& padName) {
    // The file is a kit script: its name follows the rule for kit names (commas and line
    // breaks to blanks, the ends trimmed, nothing that names no folder of its own).
    const std::string name = kitNameForScript(namePart(kitName) + " " + namePart(padName) + ".txt");
    if (name.empty()) {
        return std::nullopt;
    }
    return name + ".txt";
}

PadKitResult savePadAsKit(KitDocument& kit, int padIndex, const KitLocation& location, bool replace,
                          fs::path* target, std::vector<std::string>* notCopied) {
    if (!isPadIndex(padIndex) || kit.pads[static_cast<std::size_t>(padIndex)].empty()) {
        return PadKitResult::EmptyPad;
    }
    Pad& pad = kit.pads[static_cast<std::size_t>(padIndex)];
    const std::optional<std::string> name = padKitFileName(kit.kitName, pad.label);
    if (!name || location.pluginFolder.empty()) {
        return PadKitResult::BadName;
    }
    const fs::path path = joinPath(location.pluginFolder, *name);
    if (target != nullptr) {
        *target = path;
    }
    std::error_code ec;
    if (!replace && fs::exists(fs::symlink_status(path, ec))) {
        return PadKitResult::Exists;
    }
    namePadZones(pad);

    // The pad kit on its own: its name, its sample folder, the pad's zones and nothing else.
    KitDocument padKit;
    padKit.formatTag = kit.formatTag;
    padKit.copyright = kit.copyright;
    padKit.kitName = kitNameForScript(path);
    padKit.sampleFolder = chooseSampleFolder(location.shareSamples, padKit.kitName);
    padKit.pads[static_cast<std::size_t>(padIndex)] = pad;
    // Its folder holds what an older pad kit of the same name saved there, if any.
    padKit.savedSampleFolder.clear();
    padKit.savedSamples.clear();
    takeSavedStateOf(padKit, path, location);
    const CodePage::Encoded bytes = location.codePage.encode(formatPadKitScript(padKit, padIndex));
    if (!bytes.ok()) {
        return PadKitResult::Unheld;
    }

    SaveFolders folders = lookAtFolders(padKit, location, padKit.sampleFolder, *name);
    // A copy the pad kit already has may come from an older pad: made again, except in the
    // shared folder, whose copies other kits play.
    folders.refresh = !folders.shared;
    // A sample whose source is gone takes the copy the kit saved of it.
    const auto own = ownSampleFolder(kit.sampleFolder, location.pluginFolder, false);
    if (own && foldCase(kit.savedSampleFolder) == foldCase(kit.sampleFolder)) {
        takeCopiesFrom(folders, padKit, *own, kit.savedSamples);
    }
    const SavePlan plan = planSave(padKit, folders);
    // The copies first, the script last, all or nothing.
    const FilePlanResult result = carryOutAll(plan.operations, {{path, bytes.bytes}});
    if (!result.done) {
        return PadKitResult::Failed;
    }
    std::vector<std::string> failed;
    for (const MissingCopy& missing : plan.missing) {
        failed.push_back(joinPath(padKit.sampleFolder, missing.sampleName).string());
    }
    if (notCopied != nullptr) {
        *notCopied = std::move(failed);
    }
    return PadKitResult::Written;
}

} // namespace padsmith
