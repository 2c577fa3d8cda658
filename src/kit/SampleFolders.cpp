// SPDX-License-Identifier: GPL-3.0-or-later
// Where a kit's samples live, finding samples that moved, and cleaning the shared folder.
#include "kit/SampleFolders.h"

#include "kit/KitHost.h"
#include "kit/KitScript.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_set>

namespace padsmith {

namespace fs = std::filesystem;

namespace {

// Spelt with an escape so that no compiler reads "??>" as a trigraph.
constexpr std::string_view kMissingMark = "<??\?> ";
constexpr const char* kSearchPrompt =
    "Can't find your Zarvo samples. Please select folder for auto searching.";

bool isExistingFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

} // namespace

std::string chooseSampleFolder(bool shareSamples, const std::string& kitName) {
    return shareSamples ? std::string(kSharedSampleFolder) : kitName;
}

std::string markMissing(const std::string& path) {
    // One mark is enough: a path marked at an earlier read is not marked twice.
    return std::string(kMissingMark) + withoutMissingMark(path);
}

bool isMarkedMissing(const std::string& path) {
    return path.starts_with(kMissingMark);
}

bool isCopyableSource(const std::string& source) {
    return !source.empty() && source != kUnknownSource && !isMarkedMissing(source);
}

std::optional<fs::path> ownSampleFolder(const std::string& sampleFolder,
                                        const fs::path& pluginFolder, bool shareSamples) {
    if (shareSamples || pluginFolder.empty() || !isPlainName(sampleFolder) ||
        lowerCaseAscii(sampleFolder) == lowerCaseAscii(kSharedSampleFolder)) {
        return std::nullopt;
    }
    return joinPath(pluginFolder, sampleFolder);
}

std::string withoutMissingMark(const std::string& path) {
    std::string_view rest = path;
    while (rest.starts_with(kMissingMark)) {
        rest.remove_prefix(kMissingMark.size());
    }
    return std::string(rest);
}

// Every file below the search folder by name, the first one in scan order winning: the files of
// one folder come together and folders in scan order, so the first folder seen with a name wins.
// The names share one buffer and files point at their folder, so a library of many thousand
// samples costs one walk and little memory. The places of one name are chained in scan order:
// a lookup that leaves a folder out follows the chain past the places inside it, on the same
// index, so the search by sample name costs no second walk and no second table.
struct SampleFinder::Index {
    // Places and offsets in 32 bits: a library of 50,000 files is then a few megabytes, which
    // the walk's own cost is not much more than.
    using Number = std::uint32_t;
    static constexpr Number kNone = static_cast<Number>(-1);
    struct Place {
        Number folder;
        Number offset;
        Number length;
        Number nextSame = kNone;   // the next place of the same name
        Number nextFolded = kNone; // the next place of the same name in lower case
    };
    // Names to the first and last place of their chain: open addressing in one array, so a
    // library of many files costs no allocation a file.
    class Table {
    public:
        struct Chain {
            Number first = kNone;
            Number last = kNone;
        };
        void reserve(std::size_t count) {
            std::size_t size = 16;
            while (size < 2 * count) {
                size *= 2;
            }
            slots_.assign(size, Chain{});
            keys_.assign(size, std::string_view());
        }
        // The chain of `key`, empty (first == kNone) for a key not added.
        Chain& at(std::string_view key) {
            std::size_t slot = std::hash<std::string_view>{}(key) & (slots_.size() - 1);
            while (slots_[slot].first != kNone && keys_[slot] != key) {
                slot = (slot + 1) & (slots_.size() - 1);
            }
            keys_[slot] = key;
            return slots_[slot];
        }
        const Chain* find(std::string_view key) const {
            if (slots_.empty()) {
                return nullptr;
            }
            std::size_t slot = std::hash<std::string_view>{}(key) & (slots_.size() - 1);
            while (slots_[slot].first != kNone) {
                if (keys_[slot] == key) {
                    return &slots_[slot];
                }
                slot = (slot + 1) & (slots_.size() - 1);
            }
            return nullptr;
        }

    private:
        std::vector<Chain> slots_;
        std::vector<std::string_view> keys_;
    };
    std::vector<fs::path> folders;
    std::string names;
    std::vector<Place> places;
    Table exact;
    // Lower case, built on the first name not found as it is spelt.
    std::string foldedNames;
    Table folded;
    bool foldedBuilt = false;
    // Whether each folder lies outside the folder a lookup leaves out (-1: not known yet).
    fs::path outsideOf;
    fs::path outsideNormal;
    std::vector<signed char> outside;

    explicit Index(const fs::path& root) {
        listFilesInTree(root, [this](const fs::path& folder, std::string_view name) {
            if (folders.empty() || folders.back().native() != folder.native()) {
                folders.push_back(folder);
            }
            places.push_back({static_cast<Number>(folders.size() - 1),
                              static_cast<Number>(names.size()), static_cast<Number>(name.size())});
            names.append(name);
        });
        // The buffer is complete now, so views into it stay valid.
        exact.reserve(places.size());
        for (std::size_t i = 0; i < places.size(); ++i) {
            chain(exact, nameOf(i), i, &Place::nextSame);
        }
    }

    void chain(Table& table, std::string_view key, std::size_t place, Number Place::*next) {
        Table::Chain& chain = table.at(key);
        const auto number = static_cast<Number>(place);
        if (chain.first == kNone) {
            chain.first = number;
        } else {
            places[chain.last].*next = number;
        }
        chain.last = number;
    }

    std::string_view nameOf(std::size_t place) const {
        return std::string_view(names).substr(places[place].offset, places[place].length);
    }

    // The first file named `name` that lies neither in `excluded` nor below it (with an empty
    // `excluded`: anywhere).
    std::optional<fs::path> find(const std::string& name, const fs::path& excluded = {}) {
        if (!excluded.empty() && excluded != outsideOf) {
            outsideOf = excluded;
            outsideNormal = normalPath(excluded);
            outside.assign(folders.size(), -1);
        }
        const auto takes = [&](std::size_t place) {
            if (excluded.empty()) {
                return true;
            }
            signed char& known = outside[places[place].folder];
            if (known < 0) {
                known =
                    isInFolder(normalPath(folders[places[place].folder]), outsideNormal) ? 0 : 1;
            }
            return known == 1;
        };
        if (const Table::Chain* same = exact.find(name)) {
            for (Number i = same->first; i != kNone; i = places[i].nextSame) {
                if (takes(i)) {
                    return pathOf(i);
                }
            }
        }
        // Kits made on Windows may name a file in another letter case than it has on disk.
        if (!foldedBuilt) {
            std::vector<std::size_t> ends;
            ends.reserve(places.size());
            foldedNames.reserve(names.size());
            for (std::size_t i = 0; i < places.size(); ++i) {
                foldedNames += foldCase(nameOf(i));
                ends.push_back(foldedNames.size());
            }
            folded.reserve(places.size());
            for (std::size_t i = 0, begin = 0; i < places.size(); begin = ends[i++]) {
                chain(folded, std::string_view(foldedNames).substr(begin, ends[i] - begin), i,
                      &Place::nextFolded);
            }
            foldedBuilt = true;
        }
        const Table::Chain* similar = folded.find(foldCase(name));
        if (similar == nullptr) {
            return std::nullopt;
        }
        // The first folder that has the name; of two names there that differ only in case, the
        // first in name order.
        Number found = kNone;
        for (Number i = similar->first; i != kNone; i = places[i].nextFolded) {
            if (found != kNone && places[i].folder != places[found].folder) {
                break;
            }
            if (takes(i) && (found == kNone || nameOf(i) < nameOf(found))) {
                found = i;
            }
        }
        return found == kNone ? std::nullopt : std::optional<fs::path>(pathOf(found));
    }

    static fs::path normalPath(const fs::path& path) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(path, ec);
        return (ec ? path : absolute).lexically_normal();
    }

    static bool isInFolder(const fs::path& folder, const fs::path& outer) {
        auto [end, rest] = std::mismatch(outer.begin(), outer.end(), folder.begin(), folder.end());
        // "a/b/" ends in an empty element: "a/b/c" is still inside it.
        return end == outer.end() || (std::next(end) == outer.end() && end->empty());
    }

    fs::path pathOf(std::size_t place) const {
        return folders[places[place].folder] / nameOf(place);
    }
};

SampleFinder::SampleFinder(KitHost& host) : host_(host) {}

void SampleFinder::setSearchFolder(const fs::path& folder) {
    if (folder != searchFolder_) {
        index_.reset();
    }
    searchFolder_ = folder;
}

void SampleFinder::forget() {
    searchFolder_.clear();
    index_.reset();
}

std::string SampleFinder::checkSample(const std::string& path) {
    if (isExistingFile(path)) {
        return path;
    }
    // A path marked at an earlier read may be back (a drive plugged in again). An unmarked
    // path was just looked at.
    const std::string unmarked = withoutMissingMark(path);
    return unmarked != path && isExistingFile(unmarked) ? unmarked : markMissing(unmarked);
}

std::optional<std::string> SampleFinder::findSample(int pad, int zone, const std::string& path,
                                                    const std::string& sampleName) {
    const std::string checked = checkSample(path);
    if (!isMarkedMissing(checked)) {
        return checked;
    }
    const std::string unmarked = withoutMissingMark(path);
    if (searchFolder_.empty()) {
        if (!askForFolder_) {
            return checked;
        }
        setSearchFolder(host_.browseForFolder("", kSearchPrompt));
        if (searchFolder_.empty()) {
            return std::nullopt;
        }
    }

    const BusyScope busy(host_);
    host_.selectPad(pad, zone);
    const std::string name = fileNameOf(unmarked);
    const bool otherName = !sampleName.empty() && isPlainName(sampleName) && sampleName != name;
    if (name.empty() && !otherName) {
        return markMissing(unmarked);
    }
    if (!index_) {
        index_ = std::make_shared<Index>(searchFolder_);
    }
    if (!name.empty()) {
        if (const auto found = index_->find(name)) {
            return found->string();
        }
    }
    if (otherName) {
        const auto found = index_->find(sampleName, pluginFolder_);
        if (found) {
            return found->string();
        }
    }
    return markMissing(unmarked);
}

std::unordered_set<std::string> sampleNamesUsedIn(const fs::path& pluginFolder,
                                                  const std::string& sampleFolder,
                                                  const CodePage& page,
                                                  std::optional<std::string>& refusal) {
    std::unordered_set<std::string> used;
    const std::string folder = foldCase(sampleFolder);
    scanFolder(pluginFolder, "*", [&](const FoundEntry& entry) {
        if (entry.isFolder || !wildcardMatch("*.txt", entry.name, true)) {
            return true;
        }
        std::string bytes;
        if (!readWholeFile(entry.fullPath, bytes)) {
            refusal = "Can't read " + entry.fullPath.string();
            return false;
        }
        const std::string text = decodeFileText(bytes, page);
        const auto content = parseKitScript(text);
        if (!content) {
            return true;
        }
        // A script read only in part may name any sample beyond the line that stopped it,
        // unless what was read shows that it keeps its samples elsewhere.
        const bool sameFolder = foldCase(content->sampleFolder) == folder;
        const ScriptReadReport::Section broken = content->report.section;
        if ((broken == ScriptReadReport::Section::Header &&
             (sameFolder || content->sampleFolder.empty())) ||
            (broken == ScriptReadReport::Section::Zones && sameFolder)) {
            refusal = entry.fullPath.string() + " was read only in part.\n" +
                      readInPartText(content->report);
            return false;
        }
        if (!sameFolder) {
            return true;
        }
        const auto useNames = [&used](const KitScriptContent& names) {
            for (const SampleZone& zone : names.zones) {
                used.insert(foldCase(zone.sampleName));
            }
            for (const std::string& sample : names.otherPadSamples) {
                used.insert(foldCase(sample));
            }
        };
        useNames(*content);
        // A kit written as UTF-8 is read as UTF-8 here, but the plug-in reads it in its code
        // page: the names it would look for stay too.
        if (const std::string inPage = page.decode(withoutUtf8Bom(bytes)); inPage != text) {
            if (const auto pluginReading = parseKitScript(inPage)) {
                useNames(*pluginReading);
            }
        }
        return true;
    });
    return used;
}

std::vector<fs::path> deleteUnusedSamples(const fs::path& pluginFolder, KitHost& host, bool dryRun,
                                          const CodePage& page) {
    std::vector<fs::path> unused;
    if (pluginFolder.empty()) {
        return unused;
    }
    host.stopPreview();
    const BusyScope busy(host);
    host.pumpMessages();

    std::optional<std::string> refusal;
    const std::unordered_set<std::string> used =
        sampleNamesUsedIn(pluginFolder, kSharedSampleFolder, page, refusal);
    if (refusal) {
        // A kit that cannot be read may use any of the samples: delete nothing, and say why.
        host.showMessage(MessageIcon::Warning, *refusal + "\nNo sample was deleted.");
        return unused;
    }

    // Only files directly in the shared folder are candidates: subfolders and dot-files are
    // the user's own and stay. Names come from the listing, never from the scripts, so no
    // deletion can reach outside the folder.
    const fs::path shared = joinPath(pluginFolder, kSharedSampleFolder);
    scanFolder(shared, "*", [&](const FoundEntry& entry) {
        // A name that is no UTF-8 text cannot be compared with the scripts' names: it stays.
        if (!entry.isFolder && isValidUtf8(entry.name) && !used.contains(foldCase(entry.name))) {
            unused.push_back(entry.fullPath);
        }
        return true;
    });
    if (dryRun) {
        return unused;
    }
    std::vector<fs::path> deleted;
    for (const fs::path& file : unused) {
        std::error_code ec;
        if (fs::remove(file, ec)) {
            deleted.push_back(file);
        }
    }
    host.pumpMessages();
    return deleted;
}

} // namespace padsmith
