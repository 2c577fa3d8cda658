// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/FolderKit.h"

#include "kit/KitHost.h"
#include "kit/KitScript.h"
#include "kit/LayerOrder.h"
#include "kit/NoteNames.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneCommands.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>

namespace padsmith {

namespace {

constexpr int kFirstFreeKey = 60;
constexpr int kUnassigned = -1;

// The folders of a relative path and its file name.
std::pair<std::vector<std::string>, std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    for (const std::string_view part : pathParts(path)) {
        parts.emplace_back(part);
    }
    if (parts.empty()) {
        return {};
    }
    std::string file = std::move(parts.back());
    parts.pop_back();
    return {std::move(parts), std::move(file)};
}

std::string joined(const std::vector<std::string>& parts, std::string_view between) {
    std::string text;
    for (const std::string& part : parts) {
        if (!part.empty()) {
            if (!text.empty()) {
                text += between;
            }
            text += part;
        }
    }
    return text;
}

// What tells one group from another beside its drum: the folders (without the words that only
// tell a layer, so "Snare/Soft" and "Snare/Hard" are one sound) and the file's sound name.
std::string folderSound(const std::vector<std::string>& folders) {
    std::vector<std::string> sounds;
    for (const std::string& folder : folders) {
        // The dot keeps a folder's own dots from being read as an extension.
        sounds.push_back(soundName(folder + ".", true));
    }
    return joined(sounds, "/");
}

// Each word with its first letter upper case: "hh closed" gives "Hh Closed".
std::string titleCase(std::string text) {
    bool start = true;
    for (char& c : text) {
        if (start && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        start = c == ' ';
    }
    return text;
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool nameFits(const std::string& name) {
    return sampleNameProblem(name).empty();
}

// The name with " N" before its extension.
std::string numbered(const std::string& name, int number) {
    const std::size_t dot = name.rfind('.');
    const std::size_t at = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, at) + " " + std::to_string(number) + name.substr(at);
}

struct Grouping {
    int drumOrder = 0; // the Drum value, or after every drum for samples that name none
    std::string folder;
    std::string sound;
    bool operator<(const Grouping& other) const {
        if (drumOrder != other.drumOrder) {
            return drumOrder < other.drumOrder;
        }
        if (folder != other.folder) {
            return naturalLess(folder, other.folder);
        }
        return naturalLess(sound, other.sound);
    }
};

} // namespace

bool isAudioFileName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return false;
    }
    const std::string extension = lowerCase(std::string(name.substr(dot + 1)));
    for (const char* known : {"wav", "wave", "aif", "aiff", "aifc", "flac", "ogg", "oga", "opus",
                              "mp3", "m4a", "wma", "caf", "w64", "rf64"}) {
        if (extension == known) {
            return true;
        }
    }
    return false;
}

std::vector<FolderSample>
listFolderSamples(const std::filesystem::path& root,
                  const std::function<bool(const std::filesystem::path&)>& playable,
                  std::vector<std::string>& unplayable, const std::function<void()>& progress) {
    std::vector<FolderSample> samples;
    scanFolderTree(root, "*", [&](const FoundEntry& entry) {
        if (entry.isFolder || !isAudioFileName(entry.name)) {
            return true;
        }
        std::string relative = entry.fullPath.lexically_relative(root).generic_string();
        if (playable(entry.fullPath)) {
            samples.push_back({std::move(relative), entry.fullPath.string()});
        } else {
            unplayable.push_back(std::move(relative));
        }
        if (progress) {
            progress();
        }
        return true;
    });
    return samples;
}

FolderKitPlan planFolderKit(std::vector<FolderSample> samples) {
    std::map<Grouping, FolderGroup> groups;
    for (FolderSample& sample : samples) {
        const auto [folders, file] = splitPath(sample.relativePath);
        if (file.empty()) {
            continue;
        }
        const std::optional<Drum> drum = drumOfPath(sample.relativePath);
        Grouping grouping{drum ? static_cast<int>(*drum) : static_cast<int>(Drum::Perc) + 1,
                          folderSound(folders), soundName(file)};
        FolderGroup& group = groups[grouping];
        group.drum = drum;
        group.samples.push_back(std::move(sample));
    }

    std::vector<FolderGroup> all;
    std::vector<int> repeat; // how many groups of its drum come before it
    std::map<int, int> drumCount;
    for (auto& [grouping, group] : groups) {
        // Softest first, by the words of the folders too ("Snare/Soft/01.wav").
        std::vector<std::string> names;
        for (const FolderSample& sample : group.samples) {
            std::string name = sample.relativePath;
            std::replace(name.begin(), name.end(), '/', ' ');
            std::replace(name.begin(), name.end(), '\\', ' ');
            names.push_back(std::move(name));
        }
        std::vector<FolderSample> ordered;
        for (const std::size_t index : layerOrder(names)) {
            ordered.push_back(std::move(group.samples[index]));
        }
        group.samples = std::move(ordered);
        group.windows = layerWindows(group.samples.size());

        std::string name;
        const int count = ++drumCount[grouping.drumOrder];
        repeat.push_back(group.drum ? count - 1 : 0);
        if (group.drum) {
            name = std::string(drumInfo(*group.drum).name);
            if (count > 1) {
                name += " " + std::to_string(count);
            }
        } else {
            name = titleCase(!grouping.sound.empty() ? grouping.sound : grouping.folder);
            if (name.empty()) {
                name = "Sample";
            }
        }
        group.name = cutText(name, kPadNameMax);
        all.push_back(std::move(group));
    }

    // When not every group fits, every drum gets its first pad before any drum its second.
    std::vector<std::size_t> byRepeat(all.size());
    std::iota(byRepeat.begin(), byRepeat.end(), std::size_t{0});
    std::stable_sort(byRepeat.begin(), byRepeat.end(),
                     [&repeat](std::size_t a, std::size_t b) { return repeat[a] < repeat[b]; });
    std::vector<bool> onPad(all.size(), false);
    for (std::size_t i = 0; i < byRepeat.size() && i < static_cast<std::size_t>(kPadCount); ++i) {
        onPad[byRepeat[i]] = true;
    }
    FolderKitPlan plan;
    for (std::size_t i = 0; i < all.size(); ++i) {
        (onPad[i] ? plan.pads : plan.leftOut).push_back(std::move(all[i]));
    }
    assignKeys(plan.pads);
    return plan;
}

void assignKeys(std::vector<FolderGroup>& pads) {
    std::set<int> used;
    for (FolderGroup& pad : pads) {
        pad.key = kUnassigned;
    }
    auto take = [&used](FolderGroup& pad, int key) {
        if (pad.key == kUnassigned && !pad.samples.empty() && used.insert(key).second) {
            pad.key = key;
        }
    };
    // The General MIDI key of each drum first, so a second kick never takes the first
    // snare's key; then the alternates; then free keys.
    for (FolderGroup& pad : pads) {
        if (pad.drum && !drumInfo(*pad.drum).keys.empty()) {
            take(pad, drumInfo(*pad.drum).keys.front());
        }
    }
    for (FolderGroup& pad : pads) {
        if (pad.drum) {
            for (const int key : drumInfo(*pad.drum).keys) {
                take(pad, key);
            }
        }
    }
    for (FolderGroup& pad : pads) {
        for (int i = 0; i < 128 && pad.key == kUnassigned && !pad.samples.empty(); ++i) {
            // 60 up to 127, then 59 down to 0.
            take(pad, i <= 127 - kFirstFreeKey ? kFirstFreeKey + i : 127 - i);
        }
    }
}

NewPadChoice newPadChoice(const KitDocument& kit, int pad, const std::string& samplePath) {
    // The file and the folder it lies in: the folders above say more about the library than
    // about the drum.
    const std::vector<std::string_view> parts = pathParts(samplePath);
    std::string relative;
    for (std::size_t i = parts.size() > 2 ? parts.size() - 2 : 0; i < parts.size(); ++i) {
        relative += (relative.empty() ? "" : "/") + std::string(parts[i]);
    }
    const FolderKitPlan plan = planFolderKit({{relative, samplePath}});
    NewPadChoice choice;
    if (plan.pads.empty()) {
        return choice;
    }
    const FolderGroup& group = plan.pads.front();
    std::set<int> played;
    std::set<std::string> names;
    for (int other = 0; other < kPadCount; ++other) {
        if (other == pad) {
            continue;
        }
        const Pad& zones = kit.pads[static_cast<std::size_t>(other)];
        for (const SampleZone& zone : zones) {
            played.insert(zone.key);
        }
        names.insert(lowerCase(zones.label));
    }
    choice.name = group.name;
    for (int number = 2; names.count(lowerCase(choice.name)) != 0 && number <= kPadCount + 1;
         ++number) {
        choice.name = cutText(group.name, kPadNameMax - 3) + " " + std::to_string(number);
    }
    choice.wantedKey = group.key;
    std::vector<int> candidates;
    if (group.drum) {
        const std::vector<int>& keys = drumInfo(*group.drum).keys;
        candidates.assign(keys.begin(), keys.end());
    }
    for (int key = group.key; key <= 127; ++key) {
        candidates.push_back(key);
    }
    for (int key = group.key - 1; key >= 0; --key) {
        candidates.push_back(key);
    }
    choice.key = group.key;
    for (const int key : candidates) {
        if (played.count(key) == 0) {
            choice.key = key;
            break;
        }
    }
    return choice;
}

void movePlanGroup(FolderKitPlan& plan, std::size_t from, std::size_t to) {
    if (from >= plan.pads.size() || to >= static_cast<std::size_t>(kPadCount) || from == to) {
        return;
    }
    if (to >= plan.pads.size()) {
        plan.pads.resize(to + 1);
    }
    std::swap(plan.pads[from], plan.pads[to]);
    while (!plan.pads.empty() && plan.pads.back().samples.empty()) {
        plan.pads.pop_back();
    }
}

void setPlanKey(FolderKitPlan& plan, std::size_t pad, int key) {
    if (pad >= plan.pads.size() || key < 0 || key > 127 || plan.pads[pad].samples.empty()) {
        return;
    }
    for (FolderGroup& other : plan.pads) {
        if (other.key == key && !other.samples.empty()) {
            other.key = plan.pads[pad].key;
        }
    }
    plan.pads[pad].key = key;
}

std::vector<std::vector<std::string>> folderSampleNames(const FolderKitPlan& plan) {
    std::set<std::string> taken; // lower case
    std::vector<std::vector<std::string>> names;
    for (const FolderGroup& pad : plan.pads) {
        std::vector<std::string>& padNames = names.emplace_back();
        for (const FolderSample& sample : pad.samples) {
            const auto [folders, file] = splitPath(sample.relativePath);
            std::vector<std::string> candidates = {file, joined(folders, " ") + " " + file};
            std::string chosen;
            for (std::string& candidate : candidates) {
                std::replace(candidate.begin(), candidate.end(), ',', ' ');
                if (nameFits(candidate) && taken.count(lowerCase(candidate)) == 0) {
                    chosen = candidate;
                    break;
                }
            }
            for (int number = 2; chosen.empty(); ++number) {
                std::string candidate = numbered(cutText(candidates.front(), kTextMax - 8), number);
                if (nameFits(candidate) && taken.count(lowerCase(candidate)) == 0) {
                    chosen = std::move(candidate);
                }
            }
            taken.insert(lowerCase(chosen));
            padNames.push_back(std::move(chosen));
        }
    }
    return names;
}

void fillKitFromPlan(KitDocument& kit, const FolderKitPlan& plan) {
    const std::vector<std::vector<std::string>> names = folderSampleNames(plan);
    for (std::size_t p = 0; p < plan.pads.size() && p < kit.pads.size(); ++p) {
        const FolderGroup& group = plan.pads[p];
        if (group.samples.empty()) {
            continue;
        }
        Pad& pad = kit.pads[p];
        pad.clear();
        pad.label = group.name;
        for (std::size_t i = 0; i < group.samples.size(); ++i) {
            SampleZone zone;
            zone.padNumber = static_cast<int>(p) + 1;
            zone.key = group.key;
            zone.padName = group.name;
            zone.sampleName = names[p][i];
            zone.sourcePath = group.samples[i].sourcePath;
            zone.velocityLow = group.windows.at(i).first;
            zone.velocityHigh = group.windows.at(i).second;
            pad.append(zone);
        }
    }
    kit.currentPad = 0;
}

std::vector<std::string> planLines(const FolderKitPlan& plan) {
    std::vector<std::string> lines;
    char line[128];
    for (std::size_t p = 0; p < plan.pads.size(); ++p) {
        const FolderGroup& group = plan.pads[p];
        for (std::size_t i = 0; i < group.samples.size(); ++i) {
            // The pad, its name and key on its first line only.
            const bool first = i == 0;
            const std::string key =
                first ? std::to_string(group.key) + " " + noteName(group.key) : std::string();
            const std::string window = std::to_string(group.windows.at(i).first) + "-" +
                                       std::to_string(group.windows.at(i).second);
            std::snprintf(line, sizeof line, "%2zu  %-12s %-8s %-7s  ", p + 1,
                          first ? group.name.c_str() : "", key.c_str(), window.c_str());
            lines.push_back(line + group.samples[i].relativePath);
        }
    }
    for (const FolderGroup& group : plan.leftOut) {
        for (const FolderSample& sample : group.samples) {
            lines.push_back("left out (no pad free): " + sample.relativePath);
        }
    }
    return lines;
}

void takeSavedStateOf(KitDocument& kit, const std::filesystem::path& script,
                      const KitLocation& location) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(script, ec)) {
        return;
    }
    KitHost quiet;
    SampleFinder finder(quiet);
    finder.setAskForFolder(false);
    KitDocument old;
    if (readKitScript(old, script, location, quiet, finder)) {
        kit.savedSampleFolder = old.savedSampleFolder;
        kit.savedSamples = old.savedSamples;
    }
}

} // namespace padsmith
