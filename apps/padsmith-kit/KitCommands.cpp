// SPDX-License-Identifier: GPL-3.0-or-later
// Kit commands of padsmith-kit: show, check, relink, install, clean.
#include "CheckCommand.h"
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "kit/KitChecks.h"
#include "kit/KitDocument.h"
#include "kit/KitHost.h"
#include "kit/KitSave.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneColumns.h"
#include "platform/Files.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

bool isMissing(const SampleZone& zone) {
    std::error_code error;
    return zone.sourcePath == "???" || isMarkedMissing(zone.sourcePath) ||
           !fs::is_regular_file(zone.sourcePath, error);
}

// Gains as the kit script holds them: two decimals.
double scriptGain(float gain) {
    return std::round(static_cast<double>(gain) * 100.0) / 100.0;
}

nlohmann::json zoneJson(const SampleZone& zone) {
    return {{"padNumber", zone.padNumber},
            {"reserved1", zone.reserved1},
            {"reserved2", zone.reserved2},
            {"key", zone.key},
            {"padName", zone.padName},
            {"sampleName", zone.sampleName},
            {"velocityLow", zone.velocityLow},
            {"velocityHigh", zone.velocityHigh},
            {"keyRangeLow", zone.keyRangeLow},
            {"keyRangeHigh", zone.keyRangeHigh},
            {"gainLeft", scriptGain(zone.gainLeft)},
            {"gainRight", scriptGain(zone.gainRight)},
            {"group", zone.group},
            {"voices", zone.voices},
            {"sourcePath", zone.sourcePath}};
}

void printJson(const KitDocument& kit) {
    nlohmann::json pads = nlohmann::json::array();
    for (const Pad& pad : kit.pads) {
        nlohmann::json zones = nlohmann::json::array();
        for (const SampleZone& zone : pad) {
            zones.push_back(zoneJson(zone));
        }
        pads.push_back({{"label", pad.label}, {"zones", zones}});
    }
    const nlohmann::json root = {{"formatTag", kit.formatTag},
                                 {"kitName", kit.kitName},
                                 {"sampleFolder", kit.sampleFolder},
                                 {"copyright", kit.copyright},
                                 {"pads", pads}};
    // Kit texts are UTF-8, but a file name found on disk need not be: such bytes are replaced,
    // so the output is always valid UTF-8.
    std::cout << root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void printTable(const KitDocument& kit) {
    std::printf("Kit Name: %s\nSample Folder: %s\nCopyright: %s\n", kit.kitName.c_str(),
                kit.sampleFolder.c_str(), kit.copyright.c_str());
    std::string header;
    for (const ZoneColumnInfo& column : zoneColumns()) {
        header += header.empty() ? "" : "\t";
        header += column.title;
    }
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        std::printf("\nPad %d: %s\n", p + 1, pad.label.c_str());
        if (pad.empty()) {
            continue;
        }
        std::printf("  %s\n", header.c_str());
        for (const SampleZone& zone : pad) {
            std::string row;
            for (int c = 0; c < kZoneColumnCount; ++c) {
                row += c == 0 ? "" : "\t";
                row += zoneCellText(zone, static_cast<ZoneColumn>(c));
            }
            std::printf("  %s\n", row.c_str());
        }
    }
}

int runShow(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1) {
        return usageError(
            "usage: show KIT [--json] [--plugin-dir DIR] [--shared] [--encoding NAME]");
    }
    const fs::path path = args->positional[0];
    KitDocument kit;
    if (!loadKit(kit, path, locationFor(*args, path), std::nullopt)) {
        return 1;
    }
    if (args->json) {
        printJson(kit);
    } else {
        printTable(kit);
    }
    return 0;
}

int runRelink(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1 || !args->search) {
        return usageError(
            "usage: relink KIT --search DIR [--output OUT] [--plugin-dir DIR] [--force] "
            "[--encoding NAME]");
    }
    const fs::path path = args->positional[0];
    if (!fs::is_directory(*args->search)) {
        return usageError("search folder " + *args->search + " does not exist");
    }
    const KitLocation location = locationFor(*args, path);
    KitDocument before;
    KitDocument after;
    ScriptReadReport report;
    if (!loadKit(before, path, location, std::nullopt, nullptr, true) ||
        !loadKit(after, path, location, args->search, &report)) {
        return 1;
    }
    if (args->output && refuseReadInPart(report, *args, path)) {
        return 1;
    }
    for (std::size_t p = 0; p < before.pads.size(); ++p) {
        for (std::size_t i = 0; i < before.pads[p].size(); ++i) {
            const SampleZone& zone = before.pads[p].at(i);
            const std::string& found = after.pads[p].at(i).sourcePath;
            if (isMissing(zone)) {
                // The path as the kit recorded it, without the mark the read gave it.
                std::printf("%s -> %s\n", withoutMissingMark(zone.sourcePath).c_str(),
                            found.c_str());
            }
        }
    }
    // The header stays as the file has it; only the paths change.
    if (args->output && !writeKitKeepingHeader(after, path, *args->output, location.codePage)) {
        return 1;
    }
    return 0;
}

int runInstall(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1 || !args->pluginDir) {
        return usageError(
            "usage: install KIT --plugin-dir DIR [--shared] [--fresh] [--force] [--encoding NAME]");
    }
    const fs::path path = args->positional[0];
    if (!fs::is_directory(*args->pluginDir)) {
        return usageError("plug-in folder " + *args->pluginDir + " does not exist");
    }
    const KitLocation location = locationFor(*args, path);
    KitDocument kit;
    if (!loadKitToChange(kit, path, location, *args)) {
        return 1;
    }
    SaveOptions options;
    options.freshSampleFolder = args->fresh;
    const SaveReport report = saveKit(kit, path, location, options);
    if (const int status = printSaveReport(report); status != 0) {
        if (report.doubleNote) {
            explainDoubleNote(kit);
        }
        if (report.saved()) {
            std::fprintf(stderr, "padsmith-kit: %s installed, but %zu file(s) not copied\n",
                         path.string().c_str(), report.notCopied.size());
        }
        return status;
    }
    std::printf("installed %s into %s (samples in %s)\n", path.string().c_str(),
                location.pluginFolder.string().c_str(), kit.sampleFolder.c_str());
    return 0;
}

int runClean(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || !args->positional.empty() || !args->pluginDir) {
        return usageError("usage: clean --plugin-dir DIR [--dry-run] [--encoding NAME]");
    }
    if (!fs::is_directory(*args->pluginDir)) {
        return usageError("plug-in folder " + *args->pluginDir + " does not exist");
    }
    ToolHost host;
    const auto files =
        deleteUnusedSamples(*args->pluginDir, host, args->dryRun, locationFor(*args, {}).codePage);
    for (const fs::path& file : files) {
        std::printf("%s%s\n", args->dryRun ? "would delete " : "deleted ", file.string().c_str());
    }
    // The core refused to clean (a kit script it cannot read) and said so.
    return host.reported ? 1 : 0;
}

constexpr ToolCommand kCommands[] = {
    {"show", "show KIT [--json] [--plugin-dir DIR] [--shared] [--encoding NAME]", runShow,
     "Lists a kit as the editor shows it: its name, sample folder and copyright, then each of "
     "the 18 pads with its zones in the columns of the zone list. A sample whose file cannot "
     "be found is shown with the mark \"<??"
     "?>\" before its path.",
     "--json\tprint the whole kit, every field of every zone, as JSON instead of the table\n"
     "--plugin-dir DIR\tthe Zarvo plug-in folder; by default the folder the kit lies in\n"
     "--shared\tname the sample folder as with \"Share samples\" on (\"ZARVO SAMPLES\")\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe kit was shown\n"
     "1\tthe file could not be read as a kit\n"
     "2\twrong usage"},
    {"check", kCheckUsage, runCheck,
     "Checks a kit's health: what the plug-in will not play as the user means it, and what is "
     "probably unintended. Errors: zones that can never play (zones before them in trigger "
     "order, pads 1 to 18 and each pad's rows in order, take their whole key and velocity "
     "window), notes defined twice, missing samples, files that are no WAVE or AIFF samples or "
     "hold data the plug-in cannot play, texts the code page cannot hold, sample names that "
     "fail the name rule. Warnings: velocities 1 to 127 of a key that no zone plays, layers of "
     "a pad in another format (rate, bits, channels), softer layers louder than harder ones "
     "(peak level with the zone's volume), copies in the sample folder that differ from their "
     "source. Notes: files in the kit's own sample folder that no kit script in the plug-in "
     "folder names. Findings are printed grouped by pad, each with its severity, kind, message "
     "and the fixes offered. A kit that could be read only in part is named with the line "
     "that stopped the reading.",
     "--json\tprint the findings as JSON: kit, readInPart, and findings, each with kind, "
     "severity, pad (1 to 18, null for the kit), rows (from 1), message and fixes\n"
     "--strict\texit 1 for warnings too\n"
     "--plugin-dir DIR\tthe Zarvo plug-in folder, for the sample folder findings; by default "
     "the folder the kit lies in\n"
     "--shared\tthe kit shares \"ZARVO SAMPLES\": no file there counts as unused\n"
     "--fix KIND\tapply the first fix of every finding of KIND (never-plays, velocity-gap, "
     "double-note, level-order, ...) and write the kit over KIT; nothing is written when no "
     "fix applies. The findings after the fix are printed\n"
     "--output OUT\twith --fix, write the fixed kit to OUT instead\n"
     "--force\twith --fix, write also a kit read only in part (what was read)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tno errors (warnings and notes may be listed)\n"
     "1\terrors were found and listed (with --strict: errors or warnings), or the fixed kit "
     "could not be written\n"
     "2\tthe file is not a kit script, or was read only in part, or wrong usage"},
    {"relink", "relink KIT --search DIR [--output OUT] [--plugin-dir DIR] [--force] [--encoding NAME]",
     runRelink,
     "Finds samples that have moved: every sample of the kit whose file is missing is looked "
     "for by its file name under DIR and its subfolders, as the editor does when it opens the "
     "kit. Prints each missing path with the path found for it (still marked \"<??"
     "?>\" when "
     "none was found). The kit file itself is never changed.",
     "--search DIR\tthe folder to search, with its subfolders (required)\n"
     "--output OUT\twrite the kit with the found paths to OUT\n"
     "--plugin-dir DIR\tthe Zarvo plug-in folder, whose copies a sample found by its sample "
     "name never comes from; by default the folder the kit lies in\n"
     "--force\twrite OUT also for a kit read only in part (what was read)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tdone, also when some samples were not found\n"
     "1\tthe kit could not be read, was read only in part (with OUT), or OUT could not be "
     "written\n"
     "2\twrong usage, or DIR is not a folder"},
    {"install", "install KIT --plugin-dir DIR [--shared] [--fresh] [--force] [--encoding NAME]",
     runInstall,
     "Saves the kit as the editor's Save does: writes KIT again in the form the plug-in reads, "
     "copies every sample into the kit's sample folder inside the plug-in folder, and copies "
     "the script into the plug-in folder. A kit with a note defined twice is refused and "
     "nothing is written; so is a kit read only in part, unless --force is given. Samples that "
     "could not be copied are listed.",
     "--plugin-dir DIR\tthe Zarvo plug-in folder, the one that holds Zarvo.dll (required)\n"
     "--shared\tcopy the samples into the shared folder \"ZARVO SAMPLES\" instead of a "
     "folder named after the kit\n"
     "--fresh\tmake the copies this kit made (those its script named when last installed and "
     "no other kit script names) again from their sources; nothing else is removed, no "
     "subfolder, and no copy another kit plays\n"
     "--force\tinstall a kit read only in part: what was read replaces KIT\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe kit was installed\n"
     "1\tthe kit could not be read or written, was read only in part, a note is defined "
     "twice, or samples could not be copied\n"
     "2\twrong usage, or DIR is not a folder"},
    {"clean", "clean --plugin-dir DIR [--dry-run] [--encoding NAME]", runClean,
     "Deletes from the shared sample folder \"ZARVO SAMPLES\" every file that no kit script "
     "in the plug-in folder uses, and lists each. Subfolders and hidden files stay. When a "
     "kit script there cannot be read, or was read only in part where it names its samples, "
     "nothing is deleted.",
     "--plugin-dir DIR\tthe Zarvo plug-in folder (required)\n"
     "--dry-run\tonly list the files that would be deleted\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tdone\n"
     "1\ta kit script could not be read whole; nothing was deleted\n"
     "2\twrong usage, or DIR is not a folder"},
};

} // namespace

std::span<const ToolCommand> kitCommands() {
    return kCommands;
}

} // namespace padsmith::tool
