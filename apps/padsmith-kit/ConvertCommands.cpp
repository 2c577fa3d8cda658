// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion between kits and the kits of other samplers: convert.
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "formats/Convert.h"
#include "formats/KitExport.h"
#include "kit/KitSave.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;
using formats::KitKind;

void printReport(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::printf("  %s\n", line.c_str());
    }
}

// What stands at the output now and would be replaced.
fs::path replacedFile(const fs::path& out, KitKind kind) {
    if (kind == KitKind::HydrogenFolder) {
        return out.filename() == "drumkit.xml" ? out : out / "drumkit.xml";
    }
    return out;
}

int runConvert(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 2) {
        return usageError("usage: convert IN OUT [--plugin-dir DIR] [--shared] [--name NAME] "
                          "[--keys index|output-note] [--alternates first|interleave] "
                          "[--max-entries N] [--max-unpacked GIB] [--dry-run] [--force]");
    }
    const fs::path in = args->positional[0];
    const fs::path out = args->positional[1];
    const KitKind inKind = formats::inputKind(in);
    const KitKind outKind = formats::outputKind(out);
    if (inKind == KitKind::Unknown) {
        return usageError(in.string() + " is not an SFZ file (.sfz), a Hydrogen drumkit "
                                        "(drumkit.xml or its folder, .h2drumkit) or a kit "
                                        "script (.txt)");
    }
    if (outKind == KitKind::Unknown) {
        return usageError(out.string() + ": write a kit script (.txt), an SFZ file (.sfz), a "
                                         "Hydrogen drumkit folder (drumkit.xml or a folder) or "
                                         "a .h2drumkit archive");
    }
    if (inKind == KitKind::KitScript && outKind == KitKind::KitScript) {
        return usageError("both are kit scripts: install writes a kit script into the plug-in "
                          "folder");
    }
    if (args->name && outKind == KitKind::KitScript) {
        return usageError("--name names an SFZ or Hydrogen kit; a kit script is named by its "
                          "file name");
    }
    if (args->pluginDir && !fs::is_directory(*args->pluginDir)) {
        return usageError("plug-in folder " + *args->pluginDir + " does not exist");
    }
    std::error_code ec;
    const fs::path replaced = replacedFile(out, outKind);
    if (!args->force && !args->dryRun && fs::exists(replaced, ec)) {
        std::fprintf(stderr, "padsmith-kit: %s exists (--force replaces it)\n",
                     replaced.string().c_str());
        return 1;
    }

    // Decoded and unpacked files live in a folder of this conversion alone, removed at the end;
    // what a written kit script plays from it is kept beside the script first.
    const WorkFolder workFolder;
    const fs::path& work = workFolder.path;

    KitDocument kit;
    std::vector<std::string> report;
    std::string name = args->name.value_or("");
    if (inKind == KitKind::KitScript) {
        ScriptReadReport readReport;
        if (!loadKit(kit, in, locationFor(*args, in), std::nullopt, &readReport) ||
            refuseReadInPart(readReport, *args, in)) {
            return 1;
        }
        if (name.empty()) {
            name = kit.kitName;
        }
    } else {
        formats::ReadOptions options;
        options.keys = args->keys.value_or("index") == "output-note"
                           ? formats::KeyChoice::OutputNote
                           : formats::KeyChoice::Index;
        options.alternates = args->alternates.value_or("first") == "interleave"
                                 ? formats::AlternateChoice::Interleave
                                 : formats::AlternateChoice::First;
        std::string error;
        formats::ArchiveLimits limits;
        limits.entries = args->maxEntries.value_or(limits.entries);
        limits.bytes = args->maxUnpacked.value_or(limits.bytes);
        const auto foreign = formats::readForeignKit(in, options, work, error, limits);
        if (!foreign) {
            std::fprintf(stderr, "padsmith-kit: %s\n", error.c_str());
            return 1;
        }
        auto conversion = formats::convertToKit(*foreign, work, !args->dryRun);
        kit = std::move(conversion->kit);
        report = std::move(conversion->report);
        if (name.empty()) {
            name = foreign->name.empty() ? in.stem().string() : foreign->name;
        }
        const fs::path keep =
            fs::absolute(out, ec).parent_path() / (out.stem().string() + " sources");
        if (outKind == KitKind::KitScript && !args->dryRun &&
            !keepSources(kit, work, keep, error)) {
            std::fprintf(stderr, "padsmith-kit: %s\n", error.c_str());
            return 1;
        }
        if (conversion->decoded > 0) {
            std::printf("%d sample(s) %s decoded into WAV files%s\n", conversion->decoded,
                        args->dryRun ? "would be" : "were",
                        outKind == KitKind::KitScript ? (" in " + keep.string()).c_str() : "");
        }
    }
    std::printf("%s: %d pad(s), %d zone(s)\n", in.string().c_str(),
                static_cast<int>(std::count_if(kit.pads.begin(), kit.pads.end(),
                                               [](const Pad& pad) { return !pad.empty(); })),
                formats::zoneCount(kit));

    int exitCode = 0;
    if (outKind == KitKind::KitScript) {
        if (args->dryRun) {
            std::printf("would write %s\n", out.string().c_str());
        } else {
            const KitLocation location = locationFor(*args, out);
            SaveOptions options;
            options.freshSampleFolder = args->fresh;
            const SaveReport saveResult = saveKit(kit, out, location, options);
            const int status = printSaveReport(saveResult);
            if (!saveResult.saved()) {
                if (saveResult.doubleNote) {
                    explainDoubleNote(kit);
                }
                return status;
            }
            std::printf("installed %s into %s (samples in %s)\n", out.string().c_str(),
                        location.pluginFolder.string().c_str(), kit.sampleFolder.c_str());
            if (status != 0) {
                std::fprintf(stderr, "padsmith-kit: %zu file(s) not copied\n",
                             saveResult.notCopied.size());
                exitCode = 1;
            }
        }
    } else {
        kit.kitName = name;
        const formats::ExportResult written =
            outKind == KitKind::Sfz ? formats::writeSfz(kit, out, args->dryRun)
            : outKind == KitKind::HydrogenArchive
                ? formats::writeHydrogenArchive(kit, out, name, work, args->dryRun)
                : formats::writeHydrogenDrumkit(
                      kit, out.filename() == "drumkit.xml" ? out.parent_path() : out, name,
                      args->dryRun);
        if (!written.error.empty()) {
            std::fprintf(stderr, "padsmith-kit: %s\n", written.error.c_str());
            return 1;
        }
        std::printf("%s %s: %d region(s)\n", args->dryRun ? "would write" : "wrote",
                    out.string().c_str(), written.regions);
        report.insert(report.end(), written.report.begin(), written.report.end());
    }
    if (!report.empty()) {
        std::printf("Not carried over:\n");
        printReport(report);
    }
    return exitCode;
}

constexpr ToolCommand kCommands[] = {
    {"convert",
     "convert IN OUT [--plugin-dir DIR] [--shared] [--name NAME] [--keys index|output-note] "
     "[--alternates first|interleave] [--max-entries N] [--max-unpacked GIB] [--dry-run] "
     "[--force]",
     runConvert,
     "Converts between kits and the kits of other samplers: SFZ instruments (.sfz), Hydrogen "
     "drumkits (drumkit.xml, its folder, or a .h2drumkit archive) and kit scripts (.txt); the "
     "kinds are read from the names. Converting into a kit script writes it and installs it "
     "as install does: every instrument becomes a pad (at most 18), every layer or region a "
     "zone, playing at each velocity what the other sampler plays. Samples the plug-in cannot "
     "read (FLAC, Ogg) are decoded into WAV files, and a kit script keeps them (with the "
     "samples of an archive) in the folder \"NAME sources\" beside it. Converting a kit into "
     "SFZ or Hydrogen copies its samples beside the new file (a .h2drumkit packs them). "
     "Archives are checked before anything is unpacked: at most 10000 entries and 4 GiB, and "
     "no more than the disk has free; entries that lead out of the archive, links, and "
     "samples named outside it are refused. Prints what could not be carried over.",
     "--plugin-dir DIR\tthe Zarvo plug-in folder the kit script is installed into; by default "
     "the folder OUT lies in\n"
     "--shared\tcopy the samples into the shared folder \"ZARVO SAMPLES\"\n"
     "--name NAME\tthe name of an SFZ or Hydrogen kit written (default: the input's name)\n"
     "--keys index|output-note\ta Hydrogen instrument plays on Hydrogen's input note, 36 + its "
     "index (the default), or on the MIDI output note the drumkit names\n"
     "--alternates first|interleave\tround-robin and random alternates: keep the first (the "
     "default), or share the velocity window between them\n"
     "--max-entries N\tthe most entries an archive may hold (default 10000)\n"
     "--max-unpacked GIB\tthe most an archive may unpack to, in GiB (default 4)\n"
     "--dry-run\tprint what would be written and not carried over; write and decode nothing\n"
     "--force\treplace OUT when it exists; convert a kit script read only in part",
     "0\tconverted\n"
     "1\tIN could not be read, OUT exists or could not be written, a note is defined twice, "
     "or samples could not be copied\n"
     "2\twrong usage"},
};

} // namespace

std::span<const ToolCommand> convertCommands() {
    return kCommands;
}

} // namespace padsmith::tool
