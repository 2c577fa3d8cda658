// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/DrumWords.h"
#include "kit/KitDocument.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace padsmith {

struct KitLocation;

// A kit made from a folder of samples: the samples grouped into pads by the drum words in
// their paths, each pad on the General MIDI key of its drum, its samples as velocity layers.
// Nothing here reads the disk: the caller lists the folder and tells which files can be played.

// One sample of the folder: its path below the folder ("Kicks/Kick_Hard_01.wav", with "/"
// between folders) and the full path the kit will name as its source.
struct FolderSample {
    std::string relativePath;
    std::string sourcePath;
};

// A name with the extension of an audio file (WAVE, AIFF, FLAC, Ogg, MP3 and the like), in any
// letter case: what a folder scan looks at as a sample.
bool isAudioFileName(std::string_view name);

// The audio files below `root` (subfolders too, hidden ones not), in folder order, with their
// paths below it. Those `playable` accepts are returned; the others go to `unplayable` (their
// paths below the root). `progress`, when given, is called after each audio file looked at.
std::vector<FolderSample>
listFolderSamples(const std::filesystem::path& root,
                  const std::function<bool(const std::filesystem::path&)>& playable,
                  std::vector<std::string>& unplayable, const std::function<void()>& progress = {});

// The samples of one pad, softest first, with the windows they get.
struct FolderGroup {
    std::string name;         // the pad's name, at most kPadNameMax characters
    std::optional<Drum> drum; // nothing for samples whose path names no drum
    int key = 0;
    std::vector<FolderSample> samples;
    std::vector<std::pair<int, int>> windows; // one per sample
};

struct FolderKitPlan {
    std::vector<FolderGroup>
        pads; // at most 18, in pad order; a group without samples is an empty pad
    std::vector<FolderGroup> leftOut; // groups that did not fit on 18 pads
};

// Groups `samples` into pads: one group per drum, folder and sound (the name without its
// dynamic, layer and take words), so "Kick_Hard_01" and "Kick_Soft_02" of one folder share a
// pad and two kick folders make two pads. Drums come in the order of the Drum values, then the
// samples that name no drum. When more than 18 groups are found, every drum keeps its first
// group before a second group of any drum gets a pad; the rest are left out. Keys follow
// assignKeys.
FolderKitPlan planFolderKit(std::vector<FolderSample> samples);

// Gives each pad a key no other pad has: first every drum's General MIDI key, then the
// alternate keys of its drum for a second pad of one drum (kick 35, snare 40, crash 57, ride
// 59), then the first free key from 60 up for the rest. Pads without samples take no key.
void assignKeys(std::vector<FolderGroup>& pads);

// The preview's edits. The group of pad `from` goes to pad `to` (0..17) and the group there, if
// any, to `from`; pads in between stay empty.
void movePlanGroup(FolderKitPlan& plan, std::size_t from, std::size_t to);
// Pad `pad` plays on `key` (0..127); a pad that had that key takes the pad's old key, so no two
// pads ever share one.
void setPlanKey(FolderKitPlan& plan, std::size_t pad, int key);

// The sample names the kit gives the samples of `plan`, pad by pad: the file's own name, unless
// another sample of the kit has it already (in any letter case) or it fails the sample name
// rule; then its folders' names go before it ("Soft 01.wav" from "Snare/Soft/01.wav"), and a
// number after it when that is still taken.
std::vector<std::vector<std::string>> folderSampleNames(const FolderKitPlan& plan);

// Fills the pads of an empty kit from the plan: pad i plays group i, each zone on the group's
// key with its window, the pad named after the group. Pads beyond the plan stay empty.
void fillKitFromPlan(KitDocument& kit, const FolderKitPlan& plan);

// What samples brought into an empty pad (a drop, add-samples) make of it, as the folder import
// would for their group: the group's name (with a number after it when another pad has that
// name) and its drum's key. When another pad plays that key, the drum's other keys are tried,
// then the next free key above it (below, when none is left above). `wantedKey` is the key the
// drum would have had.
struct NewPadChoice {
    std::string name;
    int key = 60;
    int wantedKey = 60;
};
NewPadChoice newPadChoice(const KitDocument& kit, int pad, const std::string& samplePath);

// A kit made anew in place of the kit in the script `script` (padsmith-kit new --force) takes
// that kit's saved state: its sample folder and the samples it named. A save then knows the
// copies there as the old kit's, and makes them again from the new kit's samples instead of
// keeping the old sounds under the new names. Nothing when `script` cannot be read as a kit.
void takeSavedStateOf(KitDocument& kit, const std::filesystem::path& script,
                      const KitLocation& location);

// The plan as a table: one line per sample, "pad  name  key  window  file", then the groups
// left out, for padsmith-kit new --dry-run and the window's preview.
std::vector<std::string> planLines(const FolderKitPlan& plan);

} // namespace padsmith
