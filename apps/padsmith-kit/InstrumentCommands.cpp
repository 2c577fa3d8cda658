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
    if (!loadKit(kit, path, location, std::nullopt)) {
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
    if (!loadKit(kit, path, location, std::nullopt)) {
        return 1;
    }
    ToolHost host;
    SampleFinder finder(host);
    finder.setAskForFolder(false);
    if (args->search) {
        finder.setSearchFolder(fs::absolute(*args->search));
    }
    Pad& pad = kit.pads[static_cast<std::size_t>(*args->pad)];
    const InstrumentImport result =
        importInstrument(pad, *args->pad, instrument, finder, location.codePage);
    if (!result.opened) {
        std::fprintf(stderr, "padsmith-kit: can't read %s\n", instrument.string().c_str());
        return 1;
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
        std::fprintf(stderr, "padsmith-kit: nothing imported\n");
        return 1;
    }
    if (!writeKitKeepingHeader(kit, path, args->output ? fs::path(*args->output) : path,
                               location.codePage)) {
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
    if (!loadKit(kit, path, location, std::nullopt)) {
        return 1;
    }
    fs::path target;
    const PadKitResult result = savePadAsKit(kit, *args->pad, location.pluginFolder, args->force,
                                             location.codePage, &target);
    const std::string pad = "pad " + std::to_string(*args->pad + 1);
    switch (result) {
    case PadKitResult::Written:
        std::printf("wrote %s\n", target.string().c_str());
        return 0;
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
     runExportInstrument},
    {"import-instrument",
     "import-instrument KIT --pad N FILE.zvi [--search DIR] [--output OUT] [--force] [--encoding "
     "NAME]",
     runImportInstrument},
    {"pad-kit", "pad-kit KIT --pad N --plugin-dir DIR [--shared] [--force] [--encoding NAME]",
     runPadKit},
};

} // namespace

std::span<const ToolCommand> instrumentCommands() {
    return kCommands;
}

} // namespace padsmith::tool
