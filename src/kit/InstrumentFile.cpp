// Instrument files on disk: export and import of one pad, and the pad saved as a kit of its own.
#include "kit/InstrumentFile.h"

#include "kit/KitName.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
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

InstrumentImport importInstrument(Pad& pad, int padIndex, const fs::path& path,
                                  SampleFinder& finder, const CodePage& page) {
    InstrumentImport result;
    std::string text;
    if (!isPadIndex(padIndex) || !readInstrumentFile(path, page, text)) {
        return result;
    }
    result.opened = true;
    result.content = parseInstrument(text);

    const bool wasEmpty = pad.empty();
    for (SampleZone zone : result.content.zones) {
        if (std::string problem = sourcePathProblem(zone.sourcePath, page); !problem.empty()) {
            result.refused.push_back(toValidUtf8(zone.sourcePath) + ": " + problem);
            continue;
        }
        if (std::string problem = sampleNameProblem(zone.sampleName, page); !problem.empty()) {
            const std::string own = fileNameOf(withoutMissingMark(zone.sourcePath));
            if (!sampleNameProblem(own, page).empty()) {
                result.refused.push_back(toValidUtf8(zone.sampleName) + ": " + problem);
                continue;
            }
            zone.sampleName = own;
        }
        const std::optional<std::string> found =
            finder.findSample(padIndex, static_cast<int>(pad.size()), zone.sourcePath);
        if (!found) {
            result.searchDeclined = true;
            break;
        }
        zone.sourcePath = *found;
        // The number the pad's rows show; the file may come from any pad.
        zone.padNumber = padIndex + 1;
        pad.append(zone);
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

PadKitResult savePadAsKit(KitDocument& kit, int padIndex, const fs::path& pluginFolder,
                          bool replace, const CodePage& page, fs::path* target) {
    if (!isPadIndex(padIndex) || kit.pads[static_cast<std::size_t>(padIndex)].empty()) {
        return PadKitResult::EmptyPad;
    }
    Pad& pad = kit.pads[static_cast<std::size_t>(padIndex)];
    const std::optional<std::string> name = padKitFileName(kit.kitName, pad.label);
    if (!name || pluginFolder.empty()) {
        return PadKitResult::BadName;
    }
    const fs::path path = joinPath(pluginFolder, *name);
    if (target != nullptr) {
        *target = path;
    }
    std::error_code ec;
    if (!replace && fs::exists(fs::symlink_status(path, ec))) {
        return PadKitResult::Exists;
    }
    namePadZones(pad);
    const CodePage::Encoded bytes = page.encode(formatPadKitScript(kit, padIndex));
    if (!bytes.ok()) {
        return PadKitResult::Unheld;
    }
    return replaceFileContents(path, bytes.bytes) ? PadKitResult::Written : PadKitResult::Failed;
}

} // namespace padsmith
