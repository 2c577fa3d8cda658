// SPDX-License-Identifier: GPL-3.0-or-later
#include "SequenceWorld.h"

#include "KitScriptLines.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace padsmith::test {

namespace fs = std::filesystem;

namespace {

bool isBelow(const fs::path& path, const fs::path& folder) {
    const std::string p = path.lexically_normal().generic_string();
    const std::string f = folder.lexically_normal().generic_string();
    return p == f || p.starts_with(f + "/");
}

// Paths here are whole, built from the world's folders.
constexpr auto writeFile = &TempFolder::writeFile;
constexpr auto readFile = &TempFolder::read;

// A memory file system when there is one: saves flush every file to disk.
fs::path scratchBase() {
    std::error_code ec;
    const fs::path shm = "/dev/shm";
    return fs::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0
               ? shm
               : fs::temp_directory_path();
}

// The bytes of a sample (see freshContent), not of a script, a trash record or a link.
bool isSound(const std::string& content) {
    return content.starts_with("c") && content.find(':') != std::string::npos &&
           content.find_first_not_of("0123456789", 1) == content.find(':');
}

} // namespace

World::World(std::uint64_t seed, const WorldFeatures& features)
    : folder_(scratchBase(), "padsmith-sequence-" + std::to_string(seed) + "-"),
      root_(fs::canonical(folder_.path())), features_(features), random_(seed) {
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    writeFile(plugin() / "Zarvo.dll", "");
    makeLibrary();
    makeKits();
    for (const auto& [path, content] : snapshot()) {
        if (isSound(content)) {
            required_.insert(content);
        }
    }
    actOutFaults(0);
}

World::~World() {
    setFileFaultHook({});
}

std::string World::freshContent(const std::string& what) {
    return "c" + std::to_string(++contents_) + ":" + what;
}

void World::makeLibrary() {
    const std::vector<std::pair<std::string, std::vector<std::string>>> folders = {
        {"A", {"kick.wav", "snare.wav", "hat.wav", "tom.wav"}},
        {"B", {"kick.wav", "Snare.wav", "crash.wav", "ride.wav"}},
        {"ro", {"snare.wav", "clap.wav"}},
    };
    std::bernoulli_distribution present(0.8);
    for (const auto& [folder, names] : folders) {
        if (folder == "ro" && !features_.readOnlySources) {
            continue;
        }
        for (const std::string& name : names) {
            if (present(random_)) {
                writeFile(library() / folder / name, freshContent("lib/" + folder + "/" + name));
            }
        }
    }
}

void World::writeKit(const std::string& script, const std::string& sampleFolder,
                     const std::vector<std::pair<std::string, std::string>>& samples,
                     bool pathLines) {
    std::string zones;
    std::string paths;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int pad = static_cast<int>(i) + 1;
        zones += zoneLine(pad, 35 + pad, "PAD" + std::to_string(pad), samples[i].first);
        paths += pathLines ? pathLine(pad, samples[i].second) : "";
    }
    writeFile(plugin() / script,
              kitScript(script.substr(0, script.size() - 4), sampleFolder, zones, paths));
}

void World::makeKits() {
    std::vector<fs::path> sources = librarySamples();
    std::uniform_int_distribution<int> count(2, 4);
    // Up to `n` samples from the library, one per name in any letter case.
    const auto pick = [&](int n) {
        std::vector<std::pair<std::string, std::string>> picked;
        std::set<std::string> names;
        std::shuffle(sources.begin(), sources.end(), random_);
        for (const fs::path& source : sources) {
            const std::string name = source.filename().string();
            if (static_cast<int>(picked.size()) < n && names.insert(lowerCaseAscii(name)).second) {
                picked.emplace_back(name, source.string());
            }
        }
        return picked;
    };
    const auto copyAll = [&](const fs::path& folder,
                             const std::vector<std::pair<std::string, std::string>>& samples) {
        for (const auto& [name, source] : samples) {
            if (!fs::exists(folder / name)) {
                writeFile(folder / name, readFile(source));
            }
        }
    };

    // Rock: its own folder; a source gone with only the copy left, a source that is a link to
    // its own copy, a stranger's file.
    auto rock = pick(count(random_));
    if (features_.missingSources) {
        writeFile(plugin() / "Rock/gone.wav", freshContent("only copy of lib/gone/gone.wav"));
        rock.emplace_back("gone.wav", (library() / "gone/gone.wav").string());
    }
    if (features_.linkedSources) {
        writeFile(plugin() / "Rock/linked.wav", freshContent("Rock/linked.wav"));
        fs::create_directories(library() / "links");
        fs::create_symlink(plugin() / "Rock/linked.wav", library() / "links/linked.wav");
        rock.emplace_back("linked.wav", (library() / "links/linked.wav").string());
    }
    copyAll(plugin() / "Rock", rock);
    writeKit("Rock.txt", "Rock", rock, true);
    if (features_.strangersFiles) {
        writeFile(plugin() / "Rock/kick 2.wav", freshContent("a stranger's kick 2.wav"));
    }
    if (features_.sameSampleFolder) {
        rock.resize(std::min<std::size_t>(rock.size(), 2));
        writeKit("Rock live.txt", "Rock", rock, true);
    }

    // Jazz: its sample folder is a link to a folder elsewhere.
    const auto jazz = pick(count(random_));
    if (features_.linkedSampleFolder) {
        const fs::path real = root_ / "elsewhere/Jazz";
        fs::create_directories(real);
        fs::create_directory_symlink(real, plugin() / "Jazz");
        linkedFolders_.push_back(real);
    }
    copyAll(plugin() / "Jazz", jazz);
    writeKit("Jazz.txt", "Jazz", jazz, true);

    // Hand: made by hand, without path lines; its copies are its sources.
    if (features_.withoutPathLines) {
        std::vector<std::pair<std::string, std::string>> hand;
        for (const char* name : {"snare.wav", "kick.wav", "rim.wav"}) {
            writeFile(plugin() / "Hand" / name, freshContent(std::string("Hand/") + name));
            hand.emplace_back(name, "");
        }
        writeKit("Hand.txt", "Hand", hand, false);
    }

    // Pop and Dub share the shared folder; a name the folder holds from another source is left
    // out, as the world starts with every kit playing its own samples.
    if (features_.sharedFolder) {
        const fs::path shared = plugin() / kSharedSampleFolder;
        for (const char* kit : {"Pop.txt", "Dub.txt"}) {
            std::vector<std::pair<std::string, std::string>> samples;
            for (const auto& sample : pick(count(random_))) {
                const fs::path copy = shared / sample.first;
                if (!fs::exists(copy) || readFile(copy) == readFile(sample.second)) {
                    samples.push_back(sample);
                }
            }
            copyAll(shared, samples);
            writeKit(kit, kSharedSampleFolder, samples, true);
        }
    }
}

std::vector<std::string> World::scripts() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(plugin(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file() && name.ends_with(".txt") && !name.starts_with(".")) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

KitLocation World::locationOf(const std::string& script) const {
    KitLocation location;
    location.pluginFolder = plugin();
    std::string text;
    if (readKitText(plugin() / script, location.codePage, text)) {
        if (const auto content = parseKitScript(text)) {
            location.shareSamples = content->sampleFolder == kSharedSampleFolder;
        }
    }
    return location;
}

std::vector<fs::path> World::librarySamples() const {
    std::vector<fs::path> files;
    for (const char* folder : {"A", "B", "ro"}) {
        std::error_code ec;
        for (fs::directory_iterator it(library() / folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->is_regular_file()) {
                files.push_back(it->path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<fs::path> World::libraryFolders() const {
    std::vector<fs::path> folders;
    for (const char* folder : {"A", "B"}) {
        if (fs::is_directory(library() / folder)) {
            folders.push_back(library() / folder);
        }
    }
    return folders;
}

void World::actOutFaults(double chance) {
    const fs::path readOnlyFolder = features_.readOnlySources ? readOnly() : fs::path();
    std::vector<fs::path> kitFolders = linkedFolders_;
    kitFolders.push_back(plugin());
    setFileFaultHook([this, readOnlyFolder, kitFolders, chance](FileStep step, const fs::path& from,
                                                                const fs::path& to) {
        if (!readOnlyFolder.empty()) {
            const bool leaves = (step == FileStep::Move || step == FileStep::Remove) &&
                                isBelow(from, readOnlyFolder);
            if (leaves || isBelow(to, readOnlyFolder)) {
                return std::make_error_code(std::errc::permission_denied);
            }
        }
        const bool inKit = std::any_of(kitFolders.begin(), kitFolders.end(),
                                       [&](const fs::path& folder) { return isBelow(to, folder); });
        if (chance > 0 && inKit && std::bernoulli_distribution(chance)(random_)) {
            return std::make_error_code(step == FileStep::Copy ? std::errc::no_space_on_device
                                                               : std::errc::io_error);
        }
        return std::error_code{};
    });
}

Snapshot World::snapshot() const {
    Snapshot entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::file_status status = it->symlink_status(ec);
        if (fs::is_symlink(status)) {
            entries[it->path()] = "->" + fs::read_symlink(it->path(), ec).string();
        } else if (fs::is_regular_file(status)) {
            entries[it->path()] = readFile(it->path());
        }
    }
    return entries;
}

void World::trace(const std::string& step) const {
    std::printf("-- %s\n", step.c_str());
    for (const auto& [path, content] : snapshot()) {
        if (!isBelow(path, root_ / "data/Trash/info")) {
            const int shown = static_cast<int>(std::min(content.find('\r'), content.size()));
            std::printf("     %s: %.*s\n", fs::relative(path, root_).c_str(), shown,
                        content.c_str());
        }
    }
    for (const std::string& script : scripts()) {
        std::printf("     %s:\n", script.c_str());
        std::string text = readFile(plugin() / script);
        for (std::size_t at = 0; (at = text.find('\r')) != std::string::npos;) {
            text.erase(at, 1);
        }
        std::printf("%s\n", text.c_str());
    }
}

bool World::insidePlugin(const fs::path& path) const {
    return isBelow(path, plugin()) ||
           std::any_of(linkedFolders_.begin(), linkedFolders_.end(),
                       [&](const fs::path& folder) { return isBelow(path, folder); });
}

void World::sourceEdited(const fs::path& source, const std::string& openScript) {
    for (const std::string& script : scripts()) {
        staleAllowed_[script].insert(source);
    }
    pending_[openScript].insert(source);
}

void World::scriptOpened(const std::string& script) {
    pending_[script].clear();
}

void World::scriptSaved(const std::string& script) {
    for (const fs::path& source : pending_[script]) {
        staleAllowed_[script].erase(source);
    }
    pending_[script].clear();
}

std::string World::check(const Snapshot& before, const std::set<fs::path>& allowedOutside,
                         bool lossAllowed) {
    const Snapshot after = snapshot();
    std::string broken;
    const auto fail = [&broken](const std::string& what) { broken += what + "\n"; };

    // No content lost: each is still held by a file, the trash's included.
    std::set<std::string> held;
    for (const auto& [path, content] : after) {
        if (isSound(content)) {
            held.insert(content);
        }
    }
    for (const std::string& content : required_) {
        if (!lossAllowed && !held.contains(content)) {
            std::string where;
            for (const auto& [path, old] : before) {
                if (old == content) {
                    where += " " + fs::relative(path, root_).string();
                }
            }
            fail("lost: \"" + content + "\" (held before by" + where + ")");
        }
    }
    if (lossAllowed) {
        required_ = held;
    } else {
        required_.insert(held.begin(), held.end());
    }

    // Nothing outside the plug-in folder (and its linked folders) changed, the trash aside.
    std::set<fs::path> paths;
    for (const Snapshot* shot : {&before, &after}) {
        for (const auto& entry : *shot) {
            paths.insert(entry.first);
        }
    }
    for (const fs::path& path : paths) {
        if (insidePlugin(path) || isBelow(path, root_ / "data") || allowedOutside.contains(path)) {
            continue;
        }
        const auto was = before.find(path);
        const auto is = after.find(path);
        const std::string wasText = was == before.end() ? "(none)" : was->second;
        const std::string isText = is == after.end() ? "(none)" : is->second;
        if (wasText != isText) {
            fail("changed outside the plug-in folder: " + fs::relative(path, root_).string() +
                 " was \"" + wasText + "\", is \"" + isText + "\"");
        }
    }

    // Every zone of every installed kit plays its source's sound from the kit's folder; a zone
    // whose source is gone keeps the sound it played.
    std::map<std::string, std::map<fs::path, std::string>> playing;
    for (const std::string& script : scripts()) {
        std::string text;
        std::optional<KitScriptContent> content;
        if (readKitText(plugin() / script, CodePage(), text)) {
            content = parseKitScript(text);
        }
        if (!content || content->report.readInPart()) {
            fail(script + ": can't be read whole");
            continue;
        }
        std::vector<std::vector<std::size_t>> padZones(kPadCount + 1);
        for (std::size_t i = 0; i < content->zones.size(); ++i) {
            const int pad = content->zones[i].padNumber;
            if (pad >= 1 && pad <= kPadCount) {
                padZones[static_cast<std::size_t>(pad)].push_back(i);
            }
        }
        std::vector<std::string> sources(content->zones.size());
        for (const KitScriptContent::PathLine& line : content->paths) {
            const auto& zones = padZones[static_cast<std::size_t>(line.padNumber)];
            if (line.zoneIndex >= 0 && static_cast<std::size_t>(line.zoneIndex) < zones.size()) {
                sources[zones[static_cast<std::size_t>(line.zoneIndex)]] =
                    withoutMissingMark(line.path);
            }
        }
        const fs::path folder = plugin() / content->sampleFolder;
        for (std::size_t i = 0; i < content->zones.size(); ++i) {
            const std::string& name = content->zones[i].sampleName;
            // The plug-in's folders ignore letter case: another case of the name is the copy
            // when the name itself is not there.
            fs::path copy = folder / name;
            std::error_code ignored;
            for (fs::directory_iterator it(folder, ignored), end;
                 !fs::exists(copy, ignored) && !ignored && it != end; it.increment(ignored)) {
                if (lowerCaseAscii(it->path().filename().string()) == lowerCaseAscii(name)) {
                    copy = it->path();
                }
            }
            const fs::path source = content->paths.empty() ? copy : fs::path(sources[i]);
            std::string sound;
            const bool plays = readWholeFile(copy, sound);
            std::string wanted;
            if (!source.empty() && readWholeFile(source, wanted)) {
                if (!plays) {
                    fail(script + ": " + name + " plays nothing (its source " +
                         fs::relative(source, root_).string() + " holds \"" + wanted + "\")");
                } else if (sound != wanted && !staleAllowed_[script].contains(source)) {
                    fail(script + ": " + name + " plays \"" + sound + "\", its source " +
                         fs::relative(source, root_).string() + " holds \"" + wanted + "\"");
                }
            } else if (const auto had = played_[script].find(source);
                       !plays && had != played_[script].end()) {
                fail(script + ": " + name + " lost \"" + had->second +
                     "\", the only sound its zone had");
            }
            if (plays) {
                playing[script][source] = sound;
            }
        }
    }
    played_ = std::move(playing);
    return broken;
}

} // namespace padsmith::test
