// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the kit commands of padsmith-kit share: the quiet host, the options, reading a kit.
#include "kit/KitDocument.h"
#include "kit/KitHost.h"
#include "kit/KitScript.h"
#include "kit/SaveReport.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

// Messages of the kit core go to stderr (unless quiet); nothing is ever asked.
class ToolHost : public KitHost {
public:
    explicit ToolHost(bool quiet = false) : quiet_(quiet) {}
    void showMessage(MessageIcon icon, const std::string& text) override;
    bool reported = false;

private:
    bool quiet_;
};

// A folder of this run's own in the user's cache for decoded and unpacked files, removed with
// everything in it when the run ends.
struct WorkFolder {
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    std::filesystem::path path;
};

// Prints what a save did: each file it copied, renamed, replaced or removed on stdout; what it
// refused, could not copy, or put in the trash on stderr. The exit status: 0 when everything
// is in place, 1 when the save was refused or failed (nothing written) or a sample has no copy.
int printSaveReport(const SaveReport& report);

// The options the kit commands share. Flags take no value; options take the next argument.
struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> pluginDir;
    std::optional<std::string> search;
    std::optional<std::string> output;
    std::optional<std::string> from;     // a folder of samples
    std::optional<std::string> encoding; // a code page offered by the kit core
    std::optional<int> pad;              // --pad N: counted from 0 here, from 1 on the command line
    std::optional<std::string> fix;      // --fix KIND: a kind of health finding
    std::optional<std::string> name;     // --name NAME
    std::optional<std::string> keys;     // --keys index|output-note
    std::optional<std::string> alternates;    // --alternates first|interleave
    std::optional<std::uint64_t> maxEntries;  // --max-entries N: of an archive
    std::optional<std::uint64_t> maxUnpacked; // --max-unpacked GIB, in bytes
    bool json = false;
    bool shared = false;
    bool fresh = false;
    bool dryRun = false;
    bool force = false;
    bool strict = false;
    bool layers = false;
};

// Reports `text` on stderr and returns the exit code of a usage error.
int usageError(const std::string& text);

// `path` made absolute and normal; as given when that fails. Paths the tool writes into kits
// are absolute, so the kit plays from any folder.
std::filesystem::path absolutePath(const std::filesystem::path& path);

// A pad number 1 to 18 as typed, as an index; nothing for any other text.
std::optional<int> padFromText(const std::string& text);

// Parses `args`; an unknown or incomplete option, or a pad outside 1 to 18, is reported and
// yields nothing. The plug-in and search folders come back absolute: paths found there end up
// in kits that are read from other folders later.
std::optional<Arguments> parseArguments(const std::vector<std::string>& args);

// The plug-in folder: --plugin-dir, else the folder the kit lies in; the code page of
// --encoding, else Windows-1252.
KitLocation locationFor(const Arguments& args, const std::filesystem::path& kitPath);

bool isKitScript(const std::filesystem::path& path, const CodePage& page);

// Reads a kit as the editor does; missing samples are searched under `search` when given,
// else just marked. Reports on stderr (unless quiet) and returns false when the file is not a
// kit; `report` says whether it was read whole.
bool loadKit(KitDocument& kit, const std::filesystem::path& path, const KitLocation& location,
             const std::optional<std::string>& search, ScriptReadReport* report = nullptr,
             bool quiet = false);

// A kit read only in part is written nowhere unless --force says so: the lines that could not
// be read would be lost. True (and said on stderr) when the command must stop.
bool refuseReadInPart(const ScriptReadReport& report, const Arguments& args,
                      const std::filesystem::path& path);

// Reads the kit a command is about to write: loadKit, then refuseReadInPart. False (and said on
// stderr) when the command must stop.
bool loadKitToChange(KitDocument& kit, const std::filesystem::path& path,
                     const KitLocation& location, const Arguments& args,
                     ScriptReadReport* report = nullptr);

// Writes `kit` as a script in `page` to `target`, keeping the kit name and sample folder that
// the script `source` names in its header (reading puts the file's own name there). Nothing is
// installed. Reports on stderr and returns false when the file could not be written, or when
// `page` cannot hold one of its texts (a path found on disk).
bool writeKitKeepingHeader(KitDocument kit, const std::filesystem::path& source,
                           const std::filesystem::path& target, const CodePage& page);

// Writes `kit` to `target` after a command changed the pads `pads` of the script `source`:
// the header and the other pads' lines stay as `source` holds them (patchKitScript). The whole
// script is written, keeping the header's kit name and sample folder, when `source` is not laid
// out for that or `whole` asks for it (a kit read only in part). Reports on stderr and returns
// false when nothing could be written.
bool writeChangedPads(const KitDocument& kit, const std::filesystem::path& source,
                      const std::filesystem::path& target, const CodePage& page,
                      const std::vector<int>& pads, bool whole = false);

// Whether `target` is a kit script the plug-in reads: it lies in the plug-in folder that
// --plugin-dir names, or in a folder that holds Zarvo.dll.
bool isInstalledScript(const std::filesystem::path& target, const Arguments& args);

// Writes a kit changed by a command to `target`, a script the plug-in reads, as install does:
// the samples it names are copied into its sample folder (the shared folder when --shared is
// given or the script `source` names it) before the script changes, so the plug-in never reads
// a script whose copies are not there. Reports on stderr; false when the kit was not installed
// whole.
bool installChangedKit(KitDocument& kit, const std::filesystem::path& source,
                       const std::filesystem::path& target, const Arguments& args,
                       const CodePage& page);

// After the kit core refused a kit for a double-defined note: names on stderr the first pair of
// zones that clash, which the editor would have shown by selecting them, as
// "double note KEY: pad P row R (SAMPLE) and pad P row R (SAMPLE)".
void explainDoubleNote(const KitDocument& kit);

} // namespace padsmith::tool
