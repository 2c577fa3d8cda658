// SPDX-License-Identifier: GPL-3.0-or-later
// Pad commands of padsmith-kit: copy (or swap), move, delete and rename whole pads, exactly as
// the editor's pad panel does, and write the kit script back; no sample file is touched.
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "kit/KitChecks.h"
#include "kit/PadEdits.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

// Reads KIT (the first argument), applies the edit `makeEdit` gives, and writes the kit back
// (or to --output) as a save would: never with a note that two pads define. Only the pads the
// edit changes are written anew; the rest of the script stays as it was. `makeEdit` may refuse
// (nothing, after saying why on stderr): then nothing is written.
template <typename MakeEdit> int editKit(const Arguments& args, MakeEdit makeEdit) {
    const fs::path path = args.positional[0];
    const KitLocation location = locationFor(args, path);
    KitDocument kit;
    ScriptReadReport report;
    if (!loadKitToChange(kit, path, location, args, &report)) {
        return 1;
    }
    const std::optional<KitEdit> edit = makeEdit(kit);
    if (!edit) {
        std::fprintf(stderr, "padsmith-kit: nothing written\n");
        return 1;
    }
    applyEdit(kit, *edit);
    ToolHost host;
    if (checkKitNotes(kit, &host)) {
        explainDoubleNote(kit);
        std::fprintf(stderr, "padsmith-kit: nothing written\n");
        return 1;
    }
    std::vector<int> pads;
    for (const PadChange& change : edit->changes) {
        if (!(change.before == change.after)) {
            pads.push_back(change.pad);
        }
    }
    // A kit read only in part (and forced) is written as it was read.
    if (!writeChangedPads(kit, path, args.output ? fs::path(*args.output) : path, location.codePage,
                          pads, report.readInPart())) {
        return 1;
    }
    for (const PadChange& change : edit->changes) {
        std::printf("pad %d: %s, %zu zones\n", change.pad + 1, change.after.label.c_str(),
                    change.after.size());
    }
    return 0;
}

// copy-pad and move-pad: the pad --pad N onto pad TO, as Copy or Cut and then Paste.
int runPaste(const std::vector<std::string>& argv, bool move) {
    const auto args = parseArguments(argv);
    const char* usage =
        move ? "usage: move-pad KIT --pad N TO [--output OUT] [--force] [--encoding NAME]"
             : "usage: copy-pad KIT --pad N TO [--output OUT] [--force] [--encoding NAME]";
    if (!args || args->positional.size() != 2 || !args->pad) {
        return usageError(usage);
    }
    const std::optional<int> target = padFromText(args->positional[1]);
    if (!target || *target == *args->pad) {
        return usageError("TO takes a pad number from 1 to 18 other than --pad");
    }
    return editKit(*args, [&](const KitDocument& kit) -> std::optional<KitEdit> {
        PadClipboard clipboard;
        move ? clipboard.cut(*args->pad) : clipboard.copy(*args->pad);
        return clipboard.paste(kit, *target);
    });
}

int runCopyPad(const std::vector<std::string>& argv) {
    return runPaste(argv, false);
}

int runMovePad(const std::vector<std::string>& argv) {
    return runPaste(argv, true);
}

int runDeletePad(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1 || !args->pad) {
        return usageError(
            "usage: delete-pad KIT --pad N [--output OUT] [--force] [--encoding NAME]");
    }
    return editKit(*args, [&](const KitDocument& kit) -> std::optional<KitEdit> {
        return deletePad(kit, *args->pad);
    });
}

int runRenamePad(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 2 || !args->pad || args->positional[1].empty()) {
        return usageError(
            "usage: rename-pad KIT --pad N NAME [--output OUT] [--force] [--encoding NAME]");
    }
    if (args->positional[1].find_first_of(kPadNameRefused) != std::string::npos) {
        return usageError("a pad name holds no comma and no line break");
    }
    return editKit(*args, [&](const KitDocument& kit) -> std::optional<KitEdit> {
        // The name stands only in a pad's zone lines: an empty pad has nowhere to keep it.
        if (kit.pads[static_cast<std::size_t>(*args->pad)].empty()) {
            std::fprintf(stderr, "padsmith-kit: pad %d has no zones to carry a name\n",
                         *args->pad + 1);
            return std::nullopt;
        }
        return renamePad(kit, *args->pad, args->positional[1]);
    });
}

constexpr const char* kWriteExitCodes =
    "0\tthe kit was written\n"
    "1\tthe kit could not be read or written, was read only in part (without --force), "
    "two pads would define the same note, or (rename-pad) the pad has no zones; nothing was "
    "written\n"
    "2\twrong usage";

constexpr ToolCommand kCommands[] = {
    {"copy-pad", "copy-pad KIT --pad N TO [--output OUT] [--force] [--encoding NAME]", runCopyPad,
     "Copies pad N onto pad TO, as the editor's Copy and Paste do: onto an empty pad the zones "
     "and the name are copied, onto a pad with zones the two pads are swapped. The kit is "
     "written back (or to OUT).",
     "--pad N\tthe pad to copy, 1 to 18 (required)\n"
     "--output OUT\twrite the kit to OUT instead of over KIT\n"
     "--force\twrite also a kit read only in part: what was read replaces KIT (or goes to OUT)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     kWriteExitCodes},
    {"move-pad", "move-pad KIT --pad N TO [--output OUT] [--force] [--encoding NAME]", runMovePad,
     "Moves pad N onto pad TO, as the editor's Cut and Paste do: pad N is left empty and what "
     "pad TO held leaves the kit. No sample file is deleted.",
     "--pad N\tthe pad to move, 1 to 18 (required)\n"
     "--output OUT\twrite the kit to OUT instead of over KIT\n"
     "--force\twrite also a kit read only in part: what was read replaces KIT (or goes to OUT)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     kWriteExitCodes},
    {"delete-pad", "delete-pad KIT --pad N [--output OUT] [--force] [--encoding NAME]",
     runDeletePad, "Removes every zone of a pad; its name becomes XXX. No sample file is deleted.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--output OUT\twrite the kit to OUT instead of over KIT\n"
     "--force\twrite also a kit read only in part: what was read replaces KIT (or goes to OUT)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     kWriteExitCodes},
    {"rename-pad", "rename-pad KIT --pad N NAME [--output OUT] [--force] [--encoding NAME]",
     runRenamePad,
     "Names a pad (at most 31 characters), as the editor's rename box does. The name is kept in "
     "the pad's zone lines, so a pad without zones cannot be named.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--output OUT\twrite the kit to OUT instead of over KIT\n"
     "--force\twrite also a kit read only in part: what was read replaces KIT (or goes to OUT)\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     kWriteExitCodes},
};

} // namespace

std::span<const ToolCommand> padCommands() {
    return kCommands;
}

} // namespace padsmith::tool
