// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument commands of padsmith-kit: carry a pad between kits as a .zvi file, and save a pad
// as a kit of its own.
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "kit/InstrumentFile.h"
#include "kit/KitChecks.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

bool isTaken(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

int runExportInstrument(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1 || !args->pad || !args->output) {
        return usageError(
            "usage: export-instrument KIT --pad N --output FILE.zvi [--force] [--encoding NAME]");
    }
    const fs::path path = args->positional[0];
    const fs::path output = *args->output;
    if (isTaken(output) && !args->force) {
        return usageError(output.string() + " exists; --force replaces it");
    }
    const KitLocation location = locationFor(*args, path);
    KitDocument kit;
    if (!loadKitToChange(kit, path, location, *args)) {
        return 1;
    }
    // The editor offers no export of an empty pad: its file would carry nothing.
    if (kit.pads[static_cast<std::size_t>(*args->pad)].size() == 0) {
        std::fprintf(stderr, "padsmith-kit: pad %d has no zones; nothing written\n",
                     *args->pad + 1);
        return 1;
    }
    const std::vector<UnheldText> unheld = findUnheldTexts(
        kit.pads[static_cast<std::size_t>(*args->pad)], *args->pad, location.codePage);
    if (!unheld.empty()) {
        std::fprintf(stderr, "padsmith-kit: %s was not written. %s\n", output.string().c_str(),
                     unheldTextMessage(unheld.front(), location.codePage).c_str());
        return 1;
    }
    if (!exportInstrument(kit, *args->pad, output, location.codePage)) {
        std::fprintf(stderr, "padsmith-kit: can't write %s\n", output.string().c_str());
        return 1;
    }
    const Pad& pad = kit.pads[static_cast<std::size_t>(*args->pad)];
    std::printf("exported pad %d (%s, %zu zones) to %s\n", *args->pad + 1, pad.label.c_str(),
                pad.size(), output.string().c_str());
    return 0;
}

int runImportInstrument(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 2 || !args->pad) {
        return usageError("usage: import-instrument KIT --pad N FILE.zvi [--search DIR] [--output "
                          "OUT] [--force] [--encoding NAME]");
    }
    const fs::path path = args->positional[0];
    const fs::path instrument = args->positional[1];
    if (args->search && !fs::is_directory(*args->search)) {
        return usageError("search folder " + *args->search + " does not exist");
    }
    const KitLocation location = locationFor(*args, path);
    KitDocument kit;
    ScriptReadReport report;
    if (!loadKitToChange(kit, path, location, *args, &report)) {
        return 1;
    }
    ToolHost host;
    SampleFinder finder(host);
    finder.setAskForFolder(false);
    finder.setPluginFolder(location.pluginFolder);
    if (args->search) {
        finder.setSearchFolder(fs::absolute(*args->search));
    }
    Pad& pad = kit.pads[static_cast<std::size_t>(*args->pad)];
    const InstrumentImport result =
        importInstrument(kit, pad, *args->pad, instrument, finder, location.codePage);
    if (!result.opened) {
        std::fprintf(stderr, "padsmith-kit: can't read %s\n", instrument.string().c_str());
        return 1;
    }
    if (!result.refused.empty()) {
        for (const std::string& line : result.refused) {
            std::fprintf(stderr, "padsmith-kit: not imported: %s\n", line.c_str());
        }
        if (!args->force) {
            std::fprintf(stderr, "padsmith-kit: nothing imported; --force imports the other "
                                 "zones\n");
            return 1;
        }
    }
    if (!result.content.complete) {
        std::fprintf(stderr, "padsmith-kit: %s\n",
                     describeIncompleteRead(result.content, instrument.string()).c_str());
        if (!args->force) {
            std::fprintf(stderr,
                         "padsmith-kit: nothing imported; --force imports the %zu zones "
                         "read\n",
                         result.content.zones.size());
            return 1;
        }
    }
    // The kit is written as a save would: never with a note that two pads define.
    if (checkKitNotes(kit, &host)) {
        explainDoubleNote(kit);
        std::fprintf(stderr, "padsmith-kit: nothing imported\n");
        return 1;
    }
    // Only the pad imported into is written anew (all of a kit read in part and forced). A
    // script the plug-in reads is installed, its new samples copied.
    const fs::path target = args->output ? fs::path(*args->output) : path;
    if (isInstalledScript(target, *args)
            ? !installChangedKit(kit, path, target, *args, location.codePage)
            : !writeChangedPads(kit, path, target, location.codePage, {*args->pad},
                                report.readInPart())) {
        return 1;
    }
    for (std::size_t i = pad.size() - result.imported; i < pad.size(); ++i) {
        if (isMarkedMissing(pad.at(i).sourcePath)) {
            std::printf("missing sample: %s\n", withoutMissingMark(pad.at(i).sourcePath).c_str());
        }
    }
    std::printf("imported %zu zones into pad %d (%s)\n", result.imported, *args->pad + 1,
                pad.label.c_str());
    return 0;
}

int runPadKit(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1 || !args->pad || !args->pluginDir) {
        return usageError(
            "usage: pad-kit KIT --pad N --plugin-dir DIR [--shared] [--force] [--encoding NAME]");
    }
    if (!fs::is_directory(*args->pluginDir)) {
        return usageError("plug-in folder " + *args->pluginDir + " does not exist");
    }
    const fs::path path = args->positional[0];
    const KitLocation location = locationFor(*args, path);
    KitDocument kit;
    if (!loadKitToChange(kit, path, location, *args)) {
        return 1;
    }
    fs::path target;
    std::vector<std::string> notCopied;
    const PadKitResult result =
        savePadAsKit(kit, *args->pad, location, args->force, &target, &notCopied);
    const std::string pad = "pad " + std::to_string(*args->pad + 1);
    switch (result) {
    case PadKitResult::Written:
        std::printf("wrote %s\n", target.string().c_str());
        for (const std::string& name : notCopied) {
            std::fprintf(stderr, "padsmith-kit: not copied: %s\n", name.c_str());
        }
        return notCopied.empty() ? 0 : 1;
    case PadKitResult::EmptyPad:
        std::fprintf(stderr, "padsmith-kit: %s has no zones; nothing written\n", pad.c_str());
        return 1;
    case PadKitResult::BadName:
        std::fprintf(stderr, "padsmith-kit: the kit and %s names give no file name\n", pad.c_str());
        return 1;
    case PadKitResult::Exists:
        std::fprintf(stderr, "padsmith-kit: %s exists; --force replaces it\n",
                     target.string().c_str());
        return 1;
    case PadKitResult::Unheld:
        std::fprintf(
            stderr, "padsmith-kit: %s was not written. %s\n", target.string().c_str(),
            codePageRefusal(location.codePage, formatPadKitScript(kit, *args->pad))->c_str());
        return 1;
    case PadKitResult::Failed:
        break;
    }
    std::fprintf(stderr, "padsmith-kit: can't write %s\n", target.string().c_str());
    return 1;
}

constexpr ToolCommand kCommands[] = {
    {"export-instrument",
     "export-instrument KIT --pad N --output FILE.zvi [--force] [--encoding NAME]",
     runExportInstrument,
     "Writes one pad of the kit, its zones with their samples' paths, as an instrument file, "
     "as the editor's \"Export Instrument\" does.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--output FILE.zvi\tthe instrument file to write (required)\n"
     "--force\treplace FILE.zvi when it exists\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe instrument file was written\n"
     "1\tthe kit could not be read, the pad is empty, or FILE.zvi could not be written\n"
     "2\twrong usage, or FILE.zvi exists without --force"},
    {"import-instrument",
     "import-instrument KIT --pad N FILE.zvi [--search DIR] [--output OUT] [--force] [--encoding "
     "NAME]",
     runImportInstrument,
     "Appends the zones of an instrument file to a pad of the kit, as the editor's \"Import "
     "Instrument\" does, and writes the kit back (or to OUT). Samples that have moved are "
     "looked for under DIR; those not found are listed; a path found too long for the kit "
     "script is refused. A kit in which two pads would define the same note is not written. A "
     "kit script the plug-in reads (beside Zarvo.dll) is installed as install does, its new "
     "samples copied.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--search DIR\tlook for moved samples under DIR and its subfolders\n"
     "--output OUT\twrite the kit to OUT instead of over KIT\n"
     "--force\timport the zones read from an instrument file that could be read only in "
     "part, and write a kit that could be read only in part\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe zones were imported\n"
     "1\tthe kit or FILE.zvi could not be read (or only in part, without --force), a note "
     "would be defined twice, or the kit could not be written; nothing was written\n"
     "2\twrong usage, or DIR is not a folder"},
    {"pad-kit", "pad-kit KIT --pad N --plugin-dir DIR [--shared] [--force] [--encoding NAME]",
     runPadKit,
     "Saves one pad as a kit of its own, \"KIT PAD.txt\" in the plug-in folder, as the "
     "editor's \"Save Instrument as kit\" does. Its header names a sample folder of its own "
     "(\"KIT PAD\"), into which the pad's samples are copied, so it plays without KIT. KIT is "
     "not changed.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--plugin-dir DIR\tthe Zarvo plug-in folder (required)\n"
     "--shared\tcopy the samples into the shared folder (\"ZARVO SAMPLES\") and name it\n"
     "--force\treplace the pad's kit when it exists\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe pad's kit was written and its samples copied\n"
     "1\tthe kit could not be read, the pad is empty, its name makes no file name, the file "
     "exists without --force, or it could not be written; or some samples could not be "
     "copied (they are named)\n"
     "2\twrong usage, or DIR is not a folder"},
};

} // namespace

std::span<const ToolCommand> instrumentCommands() {
    return kCommands;
}

} // namespace padsmith::tool
