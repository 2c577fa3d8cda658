// SPDX-License-Identifier: GPL-3.0-or-later
// Cell edits of padsmith-kit: set, spread-velocity. They change a kit script's zone values
// exactly as typing into the editor's zone list does, and write the script back; no sample is
// looked for or copied.
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/ZoneCells.h"
#include "platform/Files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

int complain(const std::string& text, int code) {
    std::fprintf(stderr, "padsmith-kit: %s\n", text.c_str());
    return code;
}

struct CellArguments {
    std::vector<std::string> positional;
    std::optional<std::string> pad;
    std::optional<std::string> rows;
    std::optional<std::string> column;
    std::optional<std::string> text;
    std::optional<std::string> output;
    std::optional<std::string> encoding;
    bool all = false;
};

std::optional<CellArguments> parseCellArguments(const std::vector<std::string>& args) {
    CellArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* target = nullptr;
        if (arg == "--pad") {
            target = &parsed.pad;
        } else if (arg == "--rows") {
            target = &parsed.rows;
        } else if (arg == "--column") {
            target = &parsed.column;
        } else if (arg == "--text") {
            target = &parsed.text;
        } else if (arg == "--output") {
            target = &parsed.output;
        } else if (arg == "--encoding") {
            target = &parsed.encoding;
        } else if (arg == "--all") {
            parsed.all = true;
            continue;
        } else if (arg.starts_with("--")) {
            complain("unknown option " + arg, 2);
            return std::nullopt;
        } else {
            parsed.positional.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            complain(arg + " needs a value", 2);
            return std::nullopt;
        }
        *target = args[++i];
    }
    if (parsed.encoding && !CodePage::byName(*parsed.encoding)) {
        complain("unknown encoding " + *parsed.encoding, 2);
        return std::nullopt;
    }
    return parsed;
}

// A whole decimal number, or nothing.
std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// "1,3,4" counted from 1, as `check` prints rows; every row must lie in the pad. A row named
// twice is taken once, and the rows come in the pad's order.
std::optional<std::vector<int>> parseRows(const std::string& text, std::size_t rowCount) {
    std::vector<int> rows;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::optional<int> row = wholeNumber(text.substr(start, comma - start));
        if (!row || *row < 1 || static_cast<std::size_t>(*row) > rowCount) {
            return std::nullopt;
        }
        rows.push_back(*row - 1);
        start = comma + 1;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// The kit script as it stands: its header, its zones, and the source paths it records. A script
// without path lines keeps its samples in its own sample folder beside it, as the editor reads it.
// The code page of --encoding, Windows-1252 without it.
CodePage codePageOf(const CellArguments& args) {
    return CodePage::byName(args.encoding.value_or("")).value_or(CodePage());
}

std::optional<KitDocument> readScript(const fs::path& path, const CodePage& page) {
    std::string text;
    if (!readKitText(path, page, text)) {
        complain("can't read " + path.string(), 1);
        return std::nullopt;
    }
    const std::optional<KitScriptContent> content = parseKitScript(text);
    if (!content) {
        complain(path.string() + " is not a kit script", 1);
        return std::nullopt;
    }
    // Written back, a kit read only in part would lose the lines that could not be read.
    if (content->report.readInPart()) {
        complain(path.string() + " was not changed: " + readInPartText(content->report), 1);
        return std::nullopt;
    }
    KitDocument kit;
    kit.formatTag = content->formatTag;
    kit.kitName = content->kitName;
    kit.sampleFolder = content->sampleFolder;
    kit.copyright = content->copyright;
    for (const SampleZone& zone : content->zones) {
        Pad& pad = kit.pads.at(static_cast<std::size_t>(zone.padNumber - 1));
        pad.append(zone);
        if (pad.size() == 1) {
            pad.label = zone.padName;
        }
    }
    for (const KitScriptContent::PathLine& line : content->paths) {
        Pad& pad = kit.pads.at(static_cast<std::size_t>(line.padNumber - 1));
        if (line.zoneIndex >= 0 && static_cast<std::size_t>(line.zoneIndex) < pad.size()) {
            pad.at(static_cast<std::size_t>(line.zoneIndex)).sourcePath = line.path;
        }
    }
    if (content->paths.empty()) {
        const fs::path folder = joinPath(fs::absolute(path).parent_path(), kit.sampleFolder);
        for (Pad& pad : kit.pads) {
            for (SampleZone& zone : pad) {
                const bool plain = isPlainName(kit.sampleFolder) && isPlainName(zone.sampleName);
                zone.sourcePath =
                    plain ? joinPath(folder, zone.sampleName).string() : kUnknownSource;
            }
        }
    }
    return kit;
}

// The pad named by --pad (1 to 18), as an index.
std::optional<int> padIndex(const CellArguments& args) {
    const std::optional<int> pad = args.pad ? wholeNumber(*args.pad) : std::nullopt;
    if (!pad || *pad < 1 || *pad > kPadCount) {
        complain("--pad takes a pad number from 1 to 18", 2);
        return std::nullopt;
    }
    return *pad - 1;
}

void printRow(const KitDocument& kit, int pad, int row, ZoneColumn column) {
    const SampleZone& zone =
        kit.pads[static_cast<std::size_t>(pad)].at(static_cast<std::size_t>(row));
    std::printf("pad %d row %d: %s %s\n", pad + 1, row + 1,
                zoneColumns()[static_cast<std::size_t>(column)].title,
                zoneCellText(zone, column).c_str());
}

int runSet(const std::vector<std::string>& argv) {
    constexpr const char* usage = "usage: set KIT --pad N (--rows I,J,...|--all) --column NAME "
                                  "--text TEXT [--output OUT] [--encoding NAME]";
    const auto args = parseCellArguments(argv);
    if (!args || args->positional.size() != 1 || !args->column || !args->text ||
        args->all == args->rows.has_value()) {
        return complain(usage, 2);
    }
    const std::optional<int> pad = padIndex(*args);
    if (!pad) {
        return 2;
    }
    const std::optional<ZoneColumn> column = zoneColumnNamed(*args->column);
    if (!column || zoneColumns()[static_cast<std::size_t>(*column)].editing !=
                       ZoneColumnInfo::Editing::ByTyping) {
        return complain("--column takes Key, Velocity, Voices, Group, \"Key Range\" or Vol", 2);
    }
    const fs::path path = args->positional[0];
    std::optional<KitDocument> kit = readScript(path, codePageOf(*args));
    if (!kit) {
        return 1;
    }
    const std::size_t rowCount = kit->pads[static_cast<std::size_t>(*pad)].size();
    std::vector<int> rows;
    if (args->all) {
        for (std::size_t row = 0; row < rowCount; ++row) {
            rows.push_back(static_cast<int>(row));
        }
    } else if (rowCount == 0) {
        return complain("pad " + std::to_string(*pad + 1) + " has no zones", 2);
    } else if (const auto listed = parseRows(*args->rows, rowCount)) {
        rows = *listed;
    } else {
        return complain("--rows takes row numbers from 1 to " + std::to_string(rowCount) +
                            " of pad " + std::to_string(*pad + 1) + ", separated by commas",
                        2);
    }

    const CellCommit commit = commitCell(*kit, *pad, rows, *column, *args->text, nullptr);
    if (!commit.refusal.empty()) {
        return complain(commit.refusal + " Nothing written.", 1);
    }
    if (commit.refusedRow) {
        std::string message = "Double defined NOTE in your drum set! Pad " +
                              std::to_string(*pad + 1) + " row " +
                              std::to_string(*commit.refusedRow + 1) + " can't take that key";
        if (commit.conflict) {
            message += ": pad " + std::to_string(commit.conflict->pad + 1) + " row " +
                       std::to_string(commit.conflict->position + 1) +
                       " plays it in an overlapping velocity window";
        }
        return complain(message + "; nothing written", 1);
    }
    applyEdit(*kit, commit.edit);
    if ((!commit.edit.empty() || args->output) &&
        !writeChangedPads(*kit, path, args->output.value_or(path), codePageOf(*args), {*pad})) {
        return 1;
    }
    for (const int row : rows) {
        printRow(*kit, *pad, row, *column);
    }
    return 0;
}

int runSpreadVelocity(const std::vector<std::string>& argv) {
    const auto args = parseCellArguments(argv);
    if (!args || args->positional.size() != 1 || args->rows || args->all || args->column ||
        args->text) {
        return complain("usage: spread-velocity KIT --pad N [--output OUT] [--encoding NAME]", 2);
    }
    const std::optional<int> pad = padIndex(*args);
    if (!pad) {
        return 2;
    }
    const fs::path path = args->positional[0];
    std::optional<KitDocument> kit = readScript(path, codePageOf(*args));
    if (!kit) {
        return 1;
    }
    const KitEdit edit = spreadVelocities(*kit, *pad);
    applyEdit(*kit, edit);
    if ((!edit.empty() || args->output) &&
        !writeChangedPads(*kit, path, args->output.value_or(path), codePageOf(*args), {*pad})) {
        return 1;
    }
    const Pad& zones = kit->pads[static_cast<std::size_t>(*pad)];
    for (std::size_t row = 0; row < zones.size(); ++row) {
        const SampleZone& zone = zones.at(row);
        std::printf("pad %d row %zu: %s %s %s\n", *pad + 1, row + 1, zone.sampleName.c_str(),
                    zoneCellText(zone, ZoneColumn::Key).c_str(),
                    zoneCellText(zone, ZoneColumn::Velocity).c_str());
    }
    return 0;
}

constexpr ToolCommand kCommands[] = {
    {"set",
     "set KIT --pad N (--rows I,J,...|--all) --column NAME --text TEXT [--output OUT] [--encoding "
     "NAME]",
     runSet,
     "Types TEXT into cells of the zone list, as editing a cell in the editor does: the same "
     "reading of the text, limits and clamps, and the same refusal of a key that would define "
     "a note twice. Text that spells no value (\"kick\" for a key, \"100 soft\" for a "
     "velocity) is refused. Writes the kit back (or to OUT) and prints each changed cell. No "
     "sample is "
     "looked for or copied.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--rows I,J,...\tthe zones, by their rows in the pad counted from 1\n"
     "--all\tevery zone of the pad, instead of --rows\n"
     "--column NAME\tKey, Velocity, Voices, Group, \"Key Range\" or Vol (required)\n"
     "--text TEXT\twhat is typed into the cells (required)\n"
     "--output OUT\twrite the changed kit to OUT instead of over KIT\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tthe cells were set\n"
     "1\tthe kit could not be read (or only in part) or written, TEXT spells no value of the "
     "column, or a key was refused; nothing was written\n"
     "2\twrong usage: a pad, row or column that does not exist"},
    {"spread-velocity", "spread-velocity KIT --pad N [--output OUT] [--encoding NAME]",
     runSpreadVelocity,
     "Shares the velocities between layers, as the editor's \"Set dynamic velocity\" does: "
     "sorts the pad's zones by key and divides velocity 1 to 127 between the zones of each "
     "key, softest first. Writes the kit back (or to OUT) and prints the pad's zones.",
     "--pad N\tthe pad, 1 to 18 (required)\n"
     "--output OUT\twrite the changed kit to OUT instead of over KIT\n"
     "--encoding NAME\tthe code page the plug-in reads kits in: Windows-1252 (the default), "
     "Windows-1250, Windows-1251, Windows-1257, ISO-8859-1 or ISO-8859-15",
     "0\tdone\n"
     "1\tthe kit could not be read (or only in part) or written; nothing was written\n"
     "2\twrong usage"},
};

} // namespace

std::span<const ToolCommand> cellCommands() {
    return kCommands;
}

} // namespace padsmith::tool
