// SPDX-License-Identifier: GPL-3.0-or-later
// Commands of padsmith-kit that bring samples in by the heap: a new kit from a folder of
// samples, and files added to a pad as a drop onto it in the editor adds them.
#include "ToolCommand.h"
#include "ToolModule.h"
#include "ToolSupport.h"
#include "audio/SampleStream.h"
#include "kit/ConversionFolders.h"
#include "kit/FolderKit.h"
#include "kit/KitChecks.h"
#include "kit/KitName.h"
#include "kit/KitSave.h"
#include "kit/LayerOrder.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
#include "kit/ZoneFiles.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

void printLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
}

int runNew(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1 || !args->from) {
        return usageError("usage: new KIT --from DIR [--plugin-dir DIR] [--shared] [--dry-run] "
                          "[--force] [--encoding NAME]");
    }
    if (!fs::is_directory(*args->from)) {
        return usageError("sample folder " + *args->from + " does not exist");
    }
    if (args->pluginDir && !fs::is_directory(*args->pluginDir)) {
        return usageError("plug-in folder " + *args->pluginDir + " does not exist");
    }
    const fs::path path = args->positional[0];
    if (kitNameForScript(path).empty()) {
        return usageError(unusableKitNameText(path));
    }
    std::error_code error;
    if (!args->dryRun && !args->force && fs::exists(path, error)) {
        std::fprintf(stderr, "padsmith-kit: %s exists; --force replaces it\n",
                     path.string().c_str());
        return 1;
    }

    std::vector<std::string> unplayable;
    const std::vector<FolderSample> samples =
        listFolderSamples(*args->from, isPlayableSample, unplayable);
    for (const std::string& file : unplayable) {
        std::fprintf(stderr, "padsmith-kit: not a sample the plug-in can play: %s\n", file.c_str());
    }
    if (samples.empty()) {
        std::fprintf(stderr, "padsmith-kit: no sample the plug-in can play in %s\n",
                     args->from->c_str());
        return 1;
    }
    const FolderKitPlan plan = planFolderKit(samples);
    if (args->dryRun) {
        printLines(planLines(plan));
        return 0;
    }

    KitDocument kit;
    kit.newKit();
    fillKitFromPlan(kit, plan);
    const KitLocation location = locationFor(*args, path);
    // A folder name the kit script cannot record ("Drums, acoustic") is refused, not altered.
    if (const std::optional<std::string> unrecordable =
            unrecordableSourcePath(kit, location.codePage)) {
        std::fprintf(stderr, "padsmith-kit: %s was not written. %s\n", path.string().c_str(),
                     unrecordable->c_str());
        return 1;
    }
    if (args->pluginDir) {
        // A kit made over an installed one starts its copies afresh: the copies the old kit
        // made are made again from the new samples, so that no old sound stays under a name
        // the new kit gives its own sample.
        const fs::path installed = joinPath(location.pluginFolder, path.filename().string());
        std::error_code ignored;
        takeSavedStateOf(kit, fs::exists(installed, ignored) ? installed : path, location);
        SaveOptions options;
        options.freshSampleFolder = true;
        const SaveReport report = saveKit(kit, path, location, options);
        const int status = printSaveReport(report);
        if (!report.saved()) {
            return status;
        }
        printLines(planLines(plan));
        if (status != 0) {
            std::fprintf(stderr, "padsmith-kit: %s written, but %zu file(s) not copied\n",
                         path.string().c_str(), report.notCopied.size());
            return 1;
        }
    } else {
        kit.kitName = kitNameForScript(path);
        kit.sampleFolder = chooseSampleFolder(location.shareSamples, kit.kitName);
        // No file to keep a header from: the kit's own name and sample folder go in.
        if (!writeKitKeepingHeader(kit, fs::path(), path, location.codePage)) {
            return 1;
        }
        printLines(planLines(plan));
    }
    std::printf("wrote %s: %zu pads\n", path.string().c_str(), plan.pads.size());
    return 0;
}

int runAddSamples(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() < 2 || !args->pad) {
        return usageError("usage: add-samples KIT --pad N FILE... [--layers] [--output OUT] "
                          "[--force] [--encoding NAME]");
    }
    const fs::path path = args->positional[0];
    // FLAC, Ogg and the like are decoded as the editor's drop decodes them, in a work folder
    // of this run; what the kit plays from it is kept beside the kit written.
    const WorkFolder work;
    std::vector<fs::path> files;
    DecodedFrom decodedFrom;
    int refused = 0;
    for (std::size_t i = 1; i < args->positional.size(); ++i) {
        const fs::path file = absolutePath(args->positional[i]);
        if (isPlayableSample(file)) {
            files.push_back(file);
            continue;
        }
        std::string why;
        if (isAudioFileName(file.filename().string())) {
            const formats::PlayableSource decoded = decodeAddedSample(file, work.path);
            if (decoded.ok()) {
                files.push_back(decoded.path);
                decodedFrom[decoded.path] = file;
                continue;
            }
            why = ": " + decoded.problem;
        }
        std::fprintf(stderr, "padsmith-kit: not a sample the plug-in can play: %s%s\n",
                     file.string().c_str(), why.c_str());
        ++refused;
    }
    if (files.empty()) {
        return 1;
    }
    // File-name order, numbers as numbers: "v2" before "v10".
    std::stable_sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });

    const KitLocation location = locationFor(*args, path);
    KitDocument kit;
    if (!loadKitToChange(kit, path, location, *args)) {
        return 1;
    }
    ToolHost host;
    ImportKeyRange keyRange;
    keyRange.takeFromLastZoneOf(kit);
    SampleImport import =
        importSamples(kit, *args->pad, -1, files, keyRange, location, host, decodedFrom);
    const KitEdit edit = args->layers ? asLayers(import.edit, *args->pad) : import.edit;
    applyEdit(kit, edit);
    const bool clash = checkKitNotes(kit, &host);
    const fs::path target = args->output ? fs::path(*args->output) : path;
    if (!decodedFrom.empty() && !clash) {
        std::error_code ec;
        const fs::path keep =
            fs::absolute(target, ec).parent_path() / (target.stem().string() + " sources");
        std::string error;
        if (!keepSources(kit, work.path, keep, error)) {
            std::fprintf(stderr, "padsmith-kit: %s\n", error.c_str());
            return 1;
        }
        std::printf("%zu sample(s) were decoded into WAV files in %s\n", decodedFrom.size(),
                    keep.string().c_str());
    }
    if (!clash && isInstalledScript(target, *args)) {
        if (!installChangedKit(kit, path, target, *args, location.codePage)) {
            return 1;
        }
    } else if (clash || !writeKitKeepingHeader(kit, path, target, location.codePage)) {
        if (clash) {
            explainDoubleNote(kit);
            std::fprintf(stderr, "padsmith-kit: nothing written\n");
        }
        return 1;
    }
    const Pad& pad = kit.pads[static_cast<std::size_t>(*args->pad)];
    std::printf("pad %d: %s, %zu zones\n", *args->pad + 1, pad.label.c_str(), pad.size());
    if (!import.keyNote.empty()) {
        std::printf("%s\n", import.keyNote.c_str());
    }
    return refused > 0 || !import.notImported.empty() ? 1 : 0;
}

constexpr ToolCommand kCommands[] = {
    {"new",
     "new KIT --from DIR [--plugin-dir DIR] [--shared] [--dry-run] [--force] [--encoding NAME]",
     runNew,
     "Makes a kit from a folder of samples: the samples of DIR and its subfolders are grouped "
     "into pads by the drum words in their paths (kick, snare, hat with closed, open or pedal, "
     "tom with floor, low, mid or high, ride, crash, ...; the README lists them all), each pad "
     "on the General MIDI key of its drum, and the samples of a pad become velocity layers, "
     "softest first, by the words and numbers of their names. No two pads share a key: a second "
     "pad of one drum takes its other key (kick 35, snare 40, crash 57, ride 59) or the first "
     "free key from 60 up, as do samples that name no drum. Groups beyond 18 pads are listed as "
     "left out. Prints the pads with their keys, windows and files. Without --plugin-dir only "
     "KIT is written, naming the samples where they are; with it the kit is installed as "
     "install does, its samples copied into the plug-in folder. No sample file is renamed or "
     "moved.",
     "--from DIR\tthe folder of samples (required)\n"
     "--plugin-dir DIR\tinstall the kit into this Zarvo plug-in folder, samples and all\n"
     "--shared\tcopy the samples into the shared folder \"ZARVO SAMPLES\"\n"
     "--dry-run\tonly print the pads the kit would have; nothing is written\n"
     "--force\treplace KIT when it exists; installed over a kit, the copies the old kit made "
     "are made again from the new samples\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe kit was written (or, with --dry-run, shown)\n"
     "1\tDIR holds no sample the plug-in can play, KIT exists (without --force), or the kit "
     "could not be written or its samples copied\n"
     "2\twrong usage, or a folder does not exist"},
    {"add-samples",
     "add-samples KIT --pad N FILE... [--layers] [--output OUT] [--force] [--encoding NAME]",
     runAddSamples,
     "Adds samples to a pad as a drop of the files onto the pad in the editor does: their zones "
     "are appended in file-name order (\"v2\" before \"v10\"), on the key of the pad's last zone. "
     "An empty pad takes the name and key \"new\" would give the first file's drum, on a key no "
     "other pad plays (the next free one, said in the output), and an unnamed pad is named after "
     "the first. With --layers every "
     "zone of the pad on that key, old and new, is ordered softest to hardest by the words and "
     "numbers of its name and the velocities 1 to 127 are shared between them as \"Set dinamic "
     "velocity\" does. Files the plug-in cannot play as they are (FLAC, Ogg) are decoded into WAV "
     "files as a drop in the editor decodes them, kept in the folder \"OUT sources\" beside the "
     "kit written (OUT its name without extension); files that can be neither played nor "
     "decoded are named and left out. A kit script the "
     "plug-in reads (beside Zarvo.dll) is installed as install does, its new samples copied.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--layers\tmake the pad's zones on that key velocity layers\n"
     "--output OUT\twrite the kit to OUT instead of over KIT\n"
     "--force\twrite also a kit read only in part: what was read replaces KIT (or goes to OUT)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe samples were added\n"
     "1\ta file could not be played and was left out, the kit could not be read or written, "
     "was read only in part (without --force), or two pads would define the same note\n"
     "2\twrong usage"},
};

} // namespace

std::span<const ToolCommand> folderCommands() {
    return kCommands;
}

} // namespace padsmith::tool
