// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolSupport.h"

#include "kit/ConversionFolders.h"
#include "kit/KitChecks.h"
#include "kit/KitSave.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "kit/SampleNames.h"
#include "kit/ZoneColumns.h"
#include "platform/Files.h"

#include <charconv>
#include <cstdio>

namespace padsmith::tool {

namespace fs = std::filesystem;

void ToolHost::showMessage(MessageIcon /*icon*/, const std::string& text) {
    if (!quiet_) {
        std::fprintf(stderr, "padsmith-kit: %s\n", text.c_str());
    }
    reported = true;
}

WorkFolder::WorkFolder() : path(conversionFolder(userCacheFolder())) {}

WorkFolder::~WorkFolder() {
    deletePath(path);
}

int printSaveReport(const SaveReport& report) {
    for (const std::string& line : saveReportLines(report)) {
        const bool problem = line.starts_with("not copied") || line.starts_with("refused") ||
                             line.starts_with("failed") || line.starts_with("trashed") ||
                             line.starts_with("kept");
        std::fprintf(problem ? stderr : stdout, problem ? "padsmith-kit: %s\n" : "%s\n",
                     line.c_str());
    }
    if (report.outcome == SaveReport::Outcome::Refused) {
        std::fprintf(stderr, "padsmith-kit: nothing written to %s\n",
                     report.script.string().c_str());
        return 1;
    }
    if (!report.saved()) {
        std::fprintf(stderr, "padsmith-kit: nothing written; %s and its copies are as they were\n",
                     report.script.filename().string().c_str());
        return 1;
    }
    return report.notCopied.empty() ? 0 : 1;
}

int usageError(const std::string& text) {
    std::fprintf(stderr, "padsmith-kit: %s\n", text.c_str());
    return 2;
}

fs::path absolutePath(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal();
}

std::optional<int> padFromText(const std::string& text) {
    int number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || number > kPadCount) {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    if (text.empty() || number < 1 || number > kPadCount) {
        return std::nullopt;
    }
    return number - 1;
}

std::optional<Arguments> parseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::optional<std::string>& target) {
            if (i + 1 >= args.size()) {
                usageError(arg + " needs a value");
                return false;
            }
            target = args[++i];
            return true;
        };
        if (arg == "--plugin-dir") {
            if (!value(parsed.pluginDir)) {
                return std::nullopt;
            }
        } else if (arg == "--search") {
            if (!value(parsed.search)) {
                return std::nullopt;
            }
        } else if (arg == "--output") {
            if (!value(parsed.output)) {
                return std::nullopt;
            }
        } else if (arg == "--fix") {
            if (!value(parsed.fix)) {
                return std::nullopt;
            }
        } else if (arg == "--from") {
            if (!value(parsed.from)) {
                return std::nullopt;
            }
        } else if (arg == "--encoding") {
            if (!value(parsed.encoding)) {
                return std::nullopt;
            }
            if (!CodePage::byName(*parsed.encoding)) {
                std::string names;
                for (const CodePage& page : CodePage::all()) {
                    names += names.empty() ? "" : ", ";
                    names += page.name();
                }
                usageError("unknown encoding " + *parsed.encoding + " (known: " + names + ")");
                return std::nullopt;
            }
        } else if (arg == "--name") {
            if (!value(parsed.name)) {
                return std::nullopt;
            }
        } else if (arg == "--keys" || arg == "--alternates") {
            std::optional<std::string>& target = arg == "--keys" ? parsed.keys : parsed.alternates;
            if (!value(target)) {
                return std::nullopt;
            }
            const bool known = arg == "--keys" ? (*target == "index" || *target == "output-note")
                                               : (*target == "first" || *target == "interleave");
            if (!known) {
                usageError(arg + (arg == "--keys" ? " takes index or output-note"
                                                  : " takes first or interleave"));
                return std::nullopt;
            }
        } else if (arg == "--max-entries" || arg == "--max-unpacked") {
            std::optional<std::string> text;
            if (!value(text)) {
                return std::nullopt;
            }
            std::uint64_t number = 0;
            const auto [end, problem] =
                std::from_chars(text->data(), text->data() + text->size(), number);
            // Limits of an archive: a count of entries, or GiB (up to 1 TiB).
            const std::uint64_t most = arg == "--max-entries" ? 100'000'000 : 1024;
            if (problem != std::errc() || end != text->data() + text->size() || number == 0 ||
                number > most) {
                usageError(arg + " takes a whole number from 1 to " + std::to_string(most));
                return std::nullopt;
            }
            if (arg == "--max-entries") {
                parsed.maxEntries = number;
            } else {
                parsed.maxUnpacked = number << 30;
            }
        } else if (arg == "--pad") {
            std::optional<std::string> text;
            if (!value(text)) {
                return std::nullopt;
            }
            parsed.pad = padFromText(*text);
            if (!parsed.pad) {
                usageError("--pad takes a pad number from 1 to " + std::to_string(kPadCount));
                return std::nullopt;
            }
        } else if (arg == "--json") {
            parsed.json = true;
        } else if (arg == "--shared") {
            parsed.shared = true;
        } else if (arg == "--fresh") {
            parsed.fresh = true;
        } else if (arg == "--dry-run") {
            parsed.dryRun = true;
        } else if (arg == "--force") {
            parsed.force = true;
        } else if (arg == "--strict") {
            parsed.strict = true;
        } else if (arg == "--layers") {
            parsed.layers = true;
        } else if (arg.starts_with("--")) {
            usageError("unknown option " + arg);
            return std::nullopt;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    for (std::optional<std::string>* folder : {&parsed.pluginDir, &parsed.search, &parsed.from}) {
        if (*folder && !(*folder)->empty()) {
            **folder = absolutePath(**folder).string();
        }
    }
    return parsed;
}

KitLocation locationFor(const Arguments& args, const fs::path& kitPath) {
    KitLocation location;
    location.pluginFolder =
        args.pluginDir ? fs::path(*args.pluginDir) : absolutePath(kitPath).parent_path();
    location.shareSamples = args.shared;
    location.codePage = CodePage::byName(args.encoding.value_or("")).value_or(CodePage());
    return location;
}

bool isKitScript(const fs::path& path, const CodePage& page) {
    std::string text;
    return readKitText(path, page, text) && parseKitScript(text).has_value();
}

bool loadKit(KitDocument& kit, const fs::path& path, const KitLocation& location,
             const std::optional<std::string>& search, ScriptReadReport* report, bool quiet) {
    ToolHost host(quiet);
    SampleFinder finder(host);
    finder.setAskForFolder(false);
    if (search) {
        finder.setSearchFolder(*search);
    }
    return readKitScript(kit, path, location, host, finder, report);
}

bool refuseReadInPart(const ScriptReadReport& report, const Arguments& args, const fs::path& path) {
    if (!report.readInPart() || args.force) {
        return false;
    }
    std::fprintf(stderr, "padsmith-kit: %s was not changed; --force writes what could be read\n",
                 path.string().c_str());
    return true;
}

bool loadKitToChange(KitDocument& kit, const fs::path& path, const KitLocation& location,
                     const Arguments& args, ScriptReadReport* report) {
    ScriptReadReport read;
    const bool loaded =
        loadKit(kit, path, location, std::nullopt, &read) && !refuseReadInPart(read, args, path);
    if (report != nullptr) {
        *report = read;
    }
    return loaded;
}

namespace {

// A path the script cannot record is refused, never cut or changed: nothing is written.
bool refuseUnrecordablePath(const KitDocument& kit, const fs::path& target, const CodePage& page) {
    const std::optional<std::string> path = unrecordableSourcePath(kit, page);
    if (path) {
        std::fprintf(stderr, "padsmith-kit: %s was not written. %s\n", target.string().c_str(),
                     path->c_str());
    }
    return path.has_value();
}

} // namespace

bool writeKitKeepingHeader(KitDocument kit, const fs::path& source, const fs::path& target,
                           const CodePage& page) {
    if (refuseUnrecordablePath(kit, target, page)) {
        return false;
    }
    std::string text;
    if (readKitText(source, page, text)) {
        if (const auto content = parseKitScript(text)) {
            kit.kitName = content->kitName;
            kit.sampleFolder = content->sampleFolder;
        }
    }
    // Paths found on disk must fit the code page the plug-in reads.
    if (const std::vector<UnheldText> unheld = findUnheldTexts(kit, page); !unheld.empty()) {
        std::fprintf(stderr, "padsmith-kit: %s was not written. %s\n", target.string().c_str(),
                     unheldTextMessage(unheld.front(), page).c_str());
        return false;
    }
    const CodePage::Encoded bytes = page.encode(formatKitScript(kit));
    if (!bytes.ok() || !replaceFileContents(target, bytes.bytes)) {
        std::fprintf(stderr, "padsmith-kit: can't write %s\n", target.string().c_str());
        return false;
    }
    return true;
}

bool writeChangedPads(const KitDocument& kit, const fs::path& source, const fs::path& target,
                      const CodePage& page, const std::vector<int>& pads, bool whole) {
    if (refuseUnrecordablePath(kit, target, page)) {
        return false;
    }
    std::string original;
    std::optional<std::string> patched;
    if (!whole && readWholeFile(source, original)) {
        patched = patchKitScript(original, kit, pads, page);
    }
    if (!patched) {
        return writeKitKeepingHeader(kit, source, target, page);
    }
    // (A changed pad whose texts the code page cannot hold gave no patch: the whole writer
    // names the text.)
    if (!replaceFileContents(target, *patched)) {
        std::fprintf(stderr, "padsmith-kit: can't write %s\n", target.string().c_str());
        return false;
    }
    return true;
}

bool isInstalledScript(const fs::path& target, const Arguments& args) {
    std::error_code ec;
    const fs::path folder = absolutePath(target).parent_path();
    if (args.pluginDir && fs::equivalent(folder, *args.pluginDir, ec)) {
        return true;
    }
    return fs::is_regular_file(joinPath(folder, "Zarvo.dll"), ec);
}

bool installChangedKit(KitDocument& kit, const fs::path& source, const fs::path& target,
                       const Arguments& args, const CodePage& page) {
    KitLocation location;
    location.pluginFolder = absolutePath(target).parent_path();
    location.codePage = page;
    location.shareSamples = args.shared;
    std::string text;
    if (readKitText(source, page, text)) {
        if (const auto content = parseKitScript(text)) {
            location.shareSamples =
                location.shareSamples ||
                lowerCaseAscii(content->sampleFolder) == lowerCaseAscii(kSharedSampleFolder);
        }
    }
    const SaveReport report = saveKit(kit, target, location);
    if (printSaveReport(report) != 0) {
        if (report.doubleNote) {
            explainDoubleNote(kit);
        }
        if (report.saved()) {
            std::fprintf(stderr, "padsmith-kit: %s installed, but %zu file(s) not copied\n",
                         target.string().c_str(), report.notCopied.size());
        }
        return false;
    }
    return true;
}

void explainDoubleNote(const KitDocument& kit) {
    const auto clash = findFirstDoubleNote(kit);
    if (!clash) {
        return;
    }
    const auto [first, second] = *clash;
    auto zoneAt = [&kit](const ZoneRef& ref) -> const SampleZone& {
        return kit.pads[static_cast<std::size_t>(ref.pad)].at(
            static_cast<std::size_t>(ref.position));
    };
    std::fprintf(stderr,
                 "padsmith-kit: double note %s: pad %d row %d (%s) and pad %d row %d (%s)\n",
                 zoneCellText(zoneAt(first), ZoneColumn::Key).c_str(), first.pad + 1,
                 first.position + 1, zoneAt(first).sampleName.c_str(), second.pad + 1,
                 second.position + 1, zoneAt(second).sampleName.c_str());
}

} // namespace padsmith::tool
