// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/Convert.h"

#include "formats/SampleDecode.h"
#include "formats/hydrogen/DrumkitArchive.h"
#include "formats/hydrogen/HydrogenReader.h"
#include "formats/sfz/SfzReader.h"
#include "kit/NoteNames.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneCommands.h"
#include "platform/Checksum.h"
#include "platform/Files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

constexpr std::array<float, 7> kVolumeSteps{0.25F, 0.5F, 1.0F, 2.0F, 4.0F, 6.0F, 8.0F};
// Farther than this from every step, a gain is named in the report.
constexpr double kStepTolerance = 3.0; // dB

double decibels(double gain) {
    return 20.0 * std::log10(gain);
}

// A pad name from an instrument name: no commas (they end a field of the kit script), no blanks
// at the ends, at most 31 characters.
std::string padLabel(std::string name) {
    std::replace(name.begin(), name.end(), ',', ' ');
    std::replace(name.begin(), name.end(), '\n', ' ');
    std::replace(name.begin(), name.end(), '\r', ' ');
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return kUnnamedPad;
    }
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    name = cutText(name, kPadNameMax);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

// The sample names of a kit share one folder, so they must differ (in any letter case) unless
// they name the same source.
class SampleNamer {
public:
    std::string nameFor(const fs::path& source, const std::string& folderName) {
        const std::string key = source.string();
        if (const auto known = bySource_.find(key); known != bySource_.end()) {
            return known->second;
        }
        std::string name = usable(source.filename().string());
        if (taken(name) && !folderName.empty()) {
            name = usable(folderName + " " + name);
        }
        const std::string stem = fs::path(name).stem().string();
        const std::string extension = fs::path(name).extension().string();
        for (int n = 2; taken(name); ++n) {
            name = stem + " " + std::to_string(n) + extension;
        }
        used_.insert(lowerCaseAscii(name));
        bySource_[key] = name;
        return name;
    }

private:
    bool taken(const std::string& name) const { return used_.contains(lowerCaseAscii(name)); }

    static std::string usable(std::string name) {
        if (sampleNameProblem(name).empty()) {
            return name;
        }
        std::replace(name.begin(), name.end(), ',', ' ');
        std::replace(name.begin(), name.end(), '/', ' ');
        std::replace(name.begin(), name.end(), '\\', ' ');
        const auto first = name.find_first_not_of(' ');
        name = first == std::string::npos ? "" : name.substr(first);
        const std::string extension = fs::path(name).extension().string();
        if (name.size() > kTextMax) {
            name = cutText(name, kTextMax - extension.size()) + extension;
        }
        return sampleNameProblem(name).empty() ? name : "sample.wav";
    }

    std::set<std::string> used_;
    std::map<std::string, std::string> bySource_;
};

// A source whose file name differs from its sample name (two files named alike, a name the
// kit cannot hold) is linked or copied under that name into the cache folder, so that every
// save copies it under the name the kit gives it.
fs::path sourceNamed(const fs::path& source, const std::string& sampleName,
                     const fs::path& cacheFolder) {
    std::error_code ec;
    const std::string identity = fs::absolute(source, ec).string();
    const fs::path target =
        cacheFolder / "named" /
        std::to_string(checksumBlock(0xFFFFFFFF, identity.data(), identity.size())) / sampleName;
    if (fs::is_regular_file(target, ec) && fileSize(target) == fileSize(source)) {
        return target;
    }
    createFolderChain(target.parent_path());
    fs::remove(target, ec);
    fs::create_hard_link(source, target, ec);
    if (ec && !copyFile(source, target, true, ec)) {
        return source;
    }
    return target;
}

int freeKey(int wanted, const std::set<int>& used) {
    for (int step = 0; step < 128; ++step) {
        for (const int key : {wanted + step, wanted - step}) {
            if (key >= 0 && key <= 127 && !used.contains(key)) {
                return key;
            }
        }
    }
    return wanted;
}

std::string keyText(int key) {
    return noteName(key) + " (" + std::to_string(key) + ")";
}

} // namespace

float nearestVolumeStep(double gain) {
    if (!(gain > 0.0)) {
        return kVolumeSteps.front();
    }
    const double target = decibels(gain);
    float best = kVolumeSteps.front();
    for (const float step : kVolumeSteps) {
        if (std::abs(decibels(step) - target) < std::abs(decibels(best) - target)) {
            best = step;
        }
    }
    return best;
}

KitKind inputKind(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return fs::is_regular_file(path / "drumkit.xml", ec) ? KitKind::HydrogenFolder
                                                             : KitKind::Unknown;
    }
    return outputKind(path) == KitKind::HydrogenFolder && path.filename() != "drumkit.xml"
               ? KitKind::Unknown
               : outputKind(path);
}

KitKind outputKind(const fs::path& path) {
    const std::string extension = lowerCaseAscii(path.extension().string());
    std::error_code ec;
    if (extension == ".sfz") {
        return KitKind::Sfz;
    }
    if (extension == ".h2drumkit") {
        return KitKind::HydrogenArchive;
    }
    if (extension == ".txt") {
        return KitKind::KitScript;
    }
    if (path.filename() == "drumkit.xml" || extension.empty() || fs::is_directory(path, ec)) {
        return KitKind::HydrogenFolder;
    }
    return KitKind::Unknown;
}

std::optional<ForeignKit> readForeignKit(const fs::path& path, const ReadOptions& options,
                                         const fs::path& cacheFolder, std::string& error,
                                         const ArchiveLimits& limits) {
    switch (inputKind(path)) {
    case KitKind::Sfz:
        return readSfz(path, options, error);
    case KitKind::HydrogenFolder:
        return readHydrogenDrumkit(path, options, error);
    case KitKind::HydrogenArchive: {
        const fs::path target = cacheFolder / "unpacked";
        deletePath(target);
        const std::optional<UnpackedDrumkit> unpacked =
            unpackDrumkitArchive(path, target, error, limits);
        if (!unpacked) {
            return std::nullopt;
        }
        std::optional<ForeignKit> kit = readHydrogenDrumkit(unpacked->xml, options, error, target);
        if (kit && !unpacked->refused.empty()) {
            const std::string refused = std::to_string(unpacked->refused.size()) + " archive entr" +
                                        (unpacked->refused.size() == 1 ? "y" : "ies") +
                                        " were refused: " + listNames(unpacked->refused, 4) + ".";
            std::vector<std::string> notes{refused};
            notes.insert(notes.end(), kit->notes.begin(), kit->notes.end());
            kit->notes = std::move(notes);
        }
        return kit;
    }
    case KitKind::KitScript:
    case KitKind::Unknown:
        break;
    }
    error = path.string() + " is neither an SFZ file nor a Hydrogen drumkit";
    return std::nullopt;
}

std::optional<Conversion> convertToKit(const ForeignKit& foreign, const fs::path& cacheFolder,
                                       bool decode, const ConvertProgress& progress) {
    Conversion result;
    result.report = foreign.notes;
    KitDocument& kit = result.kit;
    kit.newKit();

    std::vector<const ForeignInstrument*> taken;
    std::vector<std::string> leftOut;
    for (const ForeignInstrument& instrument : foreign.instruments) {
        if (instrument.layers.empty()) {
            continue;
        }
        if (taken.size() < static_cast<std::size_t>(kPadCount)) {
            taken.push_back(&instrument);
        } else {
            leftOut.push_back(instrument.name);
        }
    }
    int total = 0;
    for (const ForeignInstrument* instrument : taken) {
        total += static_cast<int>(instrument->layers.size());
    }

    SampleNamer namer;
    std::set<int> usedKeys;
    std::vector<std::string> missing;
    std::vector<std::string> undecodable;
    std::vector<std::string> offScale;
    std::vector<std::string> silentSides;
    int done = 0;
    for (std::size_t p = 0; p < taken.size(); ++p) {
        const ForeignInstrument& instrument = *taken[p];
        Pad& pad = kit.pads[p];
        pad.label =
            padLabel(instrument.name.empty() ? instrument.layers.front().file.stem().string()
                                             : instrument.name);
        int key = std::clamp(instrument.key, 0, 127);
        if (usedKeys.contains(key)) {
            const int moved = freeKey(key, usedKeys);
            result.report.push_back(pad.label + ": " + keyText(key) +
                                    " is another pad's key; it plays on " + keyText(moved) + ".");
            key = moved;
        }
        usedKeys.insert(key);
        for (const ForeignLayer& layer : instrument.layers) {
            if (progress && !progress(done, total)) {
                return std::nullopt;
            }
            ++done;
            SampleZone zone;
            zone.padNumber = static_cast<std::int32_t>(p) + 1;
            zone.padName = pad.label;
            zone.key = key;
            zone.velocityLow = std::clamp(layer.velocityLow, 1, 127);
            zone.velocityHigh = std::clamp(layer.velocityHigh, zone.velocityLow, 127);
            zone.keyRangeLow = layer.keyLow >= 0 ? std::clamp(layer.keyLow, 0, 127) : key;
            zone.keyRangeHigh =
                layer.keyHigh >= 0 ? std::clamp(layer.keyHigh, zone.keyRangeLow, 127) : key;
            zone.gainLeft = nearestVolumeStep(layer.gainLeft);
            zone.gainRight = nearestVolumeStep(layer.gainRight);
            const std::string shown = layer.file.filename().string();
            for (const double gain : {layer.gainLeft, layer.gainRight}) {
                if (!(gain > 0.0)) {
                    silentSides.push_back(shown);
                } else if (std::abs(decibels(gain) - decibels(nearestVolumeStep(gain))) >
                           kStepTolerance) {
                    offScale.push_back(shown);
                }
            }

            const PlayableSource source = playableSource(layer.file, cacheFolder, decode);
            const fs::path path = source.path.empty() ? layer.file : source.path;
            if (source.decoded) {
                ++result.decoded;
            }
            if (source.problem == "missing") {
                if (std::find(missing.begin(), missing.end(), layer.file.string()) ==
                    missing.end()) {
                    missing.push_back(layer.file.string());
                }
            } else if (!source.ok()) {
                undecodable.push_back(shown + " " + source.problem);
            }
            zone.sampleName = namer.nameFor(path, layer.file.parent_path().filename().string());
            fs::path playing = path;
            if (source.ok() && decode && zone.sampleName != path.filename().string()) {
                playing = sourceNamed(path, zone.sampleName, cacheFolder);
            }
            zone.sourcePath = source.ok() ? playing.string() : markMissing(path.string());
            pad.append(zone);
            ++result.zones;
        }
    }
    if (progress) {
        progress(total, total);
    }

    if (!leftOut.empty()) {
        result.report.push_back(
            std::to_string(leftOut.size()) +
            " instrument(s) past the 18 pads were left out: " + listNames(leftOut) + ".");
    }
    if (!missing.empty()) {
        result.report.push_back(std::to_string(missing.size()) +
                                " sample file(s) are missing: " + listNames(missing, 4) + ".");
    }
    if (!undecodable.empty()) {
        result.report.push_back(std::to_string(undecodable.size()) +
                                " sample file(s) could not be read: " + listNames(undecodable, 4) +
                                ".");
    }
    if (!offScale.empty()) {
        result.report.push_back(
            "Volumes beyond the kit's steps (-12 dB to +18 dB) play at the nearest step: " +
            listNames(offScale, 4) + ".");
    }
    if (!silentSides.empty()) {
        result.report.push_back("Silent sides (pan hard to one side, or gain 0) play at the "
                                "lowest volume step: " +
                                listNames(silentSides, 4) + ".");
    }
    // A new kit, never saved: its size and fingerprints are taken by whoever shows or saves
    // it (each would look at every sample once more).
    return result;
}

} // namespace padsmith::formats
