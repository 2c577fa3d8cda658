// SPDX-License-Identifier: GPL-3.0-or-later
// Random command sequences on generated plug-in folders, checked after every step (see
// SequenceWorld.h). Each sequence comes from a seed; a failing one prints its steps and the one
// command that runs it again. PADSMITH_SEQUENCES sets how many run in each world (a few dozen
// by default), PADSMITH_SEQUENCE_SEED the first seed, PADSMITH_SEQUENCE_STEPS the steps of each,
// PADSMITH_SEQUENCE_FAILURES after how many failing ones a world stops (3).
// PADSMITH_SEQUENCE_VERBOSE prints every save's report, PADSMITH_SEQUENCE_TRACE the plug-in
// folder and its scripts after every step.
#include "FakeHost.h"
#include "SequenceWorld.h"
#include "kit/FolderKit.h"
#include "kit/InstrumentFile.h"
#include "kit/KitSave.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneFiles.h"
#include "platform/Files.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <utility>

namespace padsmith::test {
namespace {

namespace fs = std::filesystem;

std::uint64_t numberFromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// The sanitizers' builds run several times slower: a seventh of the sequences.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::uint64_t kSequenceShare = 7;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr std::uint64_t kSequenceShare = 7;
#else
constexpr std::uint64_t kSequenceShare = 1;
#endif
#else
constexpr std::uint64_t kSequenceShare = 1;
#endif

// What a step did, for the checks and for the printed sequence.
struct Step {
    Step(std::string what, std::set<fs::path> outside = {}, bool loss = false)
        : text(std::move(what)), allowedOutside(std::move(outside)), lossAllowed(loss) {}
    std::string text;
    std::set<fs::path> allowedOutside; // files outside the plug-in folder it may change
    bool lossAllowed = false;          // it overwrote a source, as an editor program does
};

// The editor with one kit open, and the tool, driven through the functions they use.
class Session {
public:
    explicit Session(World& world) : world_(world) { open(world_.scripts().front()); }

    Step next() {
        std::discrete_distribution<int> kind({8, 12, 10, 4, 4, 5, 6, 8, 8, 5, 12, 5, 4, 3, 3});
        int chosen = kind(world_.random());
        if (chosen == 7 && !world_.features().deletesFromDisk) {
            chosen = 6;
        }
        if (chosen >= 10 && !world_.features().saves) {
            chosen = 0;
        }
        if ((chosen == 3 || chosen == 4) && !world_.features().renameChains) {
            chosen = 2;
        }
        if (chosen >= 2 && chosen <= 4 && !world_.features().namesPassed) {
            chosen = 0;
        }
        // In the order of the weights above.
        const std::function<Step()> commands[] = {
            [this] { return openAny(); },
            [this] { return import(); },
            [this] { return rename(); },
            [this] { return renameChain(); },
            [this] { return swapNames(); },
            [this] { return edit(); },
            [this] { return remove(false); },
            [this] { return remove(true); },
            [this] { return undoOrRedo(true); },
            [this] { return undoOrRedo(false); },
            [this] { return withFaults("save " + script_, [this] { return save(); }); },
            [this] {
                return withFaults("install " + script_, [this] { return install(script_, false); });
            },
            [this] {
                return withFaults("install --fresh " + script_,
                                  [this] { return install(script_, true); });
            },
            [this] { return withFaults("new --force", [this] { return newKit(); }); },
            [this] { return withFaults("pad kit", [this] { return padKit(); }); },
        };
        return commands[chosen]();
    }

private:
    struct Undoable {
        KitEdit edit;
        std::shared_ptr<std::vector<TrashedFile>> trashed; // Shift+Delete's files
    };

    // With PADSMITH_SEQUENCE_VERBOSE set, every file a save touched is printed.
    static std::string outcomeText(const SaveReport& report) {
        if (std::getenv("PADSMITH_SEQUENCE_VERBOSE") != nullptr) {
            for (const std::string& line : saveReportLines(report)) {
                std::printf("    %s\n", line.c_str());
            }
        }
        switch (report.outcome) {
        case SaveReport::Outcome::Saved:
            return "";
        case SaveReport::Outcome::Refused:
            return ": refused";
        case SaveReport::Outcome::Failed:
            return ": failed (" + report.failure + ")";
        }
        return "";
    }

    int pick(std::size_t count) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(
            0, count == 0 ? 0 : count - 1)(world_.random()));
    }
    template <class T> const T& anyOf(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(pick(items.size()))];
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(world_.random()); }
    std::string relative(const fs::path& path) const {
        return fs::relative(path, world_.root()).generic_string();
    }
    // (pad, row) of a random zone of the open kit; nothing for an empty kit.
    std::optional<std::pair<int, int>> anyZone() {
        std::vector<std::pair<int, int>> zones;
        for (int p = 0; p < kPadCount; ++p) {
            for (std::size_t r = 0; r < kit_.pads[static_cast<std::size_t>(p)].size(); ++r) {
                zones.emplace_back(p, static_cast<int>(r));
            }
        }
        if (zones.empty()) {
            return std::nullopt;
        }
        return anyOf(zones);
    }
    const SampleZone& zoneAt(std::pair<int, int> at) const {
        return kit_.pads[static_cast<std::size_t>(at.first)].at(
            static_cast<std::size_t>(at.second));
    }
    void apply(KitEdit edit, std::shared_ptr<std::vector<TrashedFile>> trashed = {}) {
        if (edit.empty()) {
            return;
        }
        applyEdit(kit_, edit);
        undo_.push_back({std::move(edit), std::move(trashed)});
        redo_.clear();
    }

    void open(const std::string& script) {
        script_ = script;
        location_ = world_.locationOf(script);
        SampleFinder finder(host_);
        finder.setAskForFolder(false);
        kit_ = KitDocument();
        readKitScript(kit_, world_.plugin() / script, location_, host_, finder);
        keyRange_ = {};
        keyRange_.takeFromLastZoneOf(kit_);
        undo_.clear();
        redo_.clear();
        world_.scriptOpened(script);
    }
    Step openAny() {
        const std::vector<std::string> scripts = world_.scripts();
        open(anyOf(scripts));
        return {"open " + script_};
    }

    Step import() {
        std::vector<fs::path> files = world_.librarySamples();
        // Now and then a copy of another kit, as a user who picks a file in the plug-in folder.
        for (const std::string& script : world_.scripts()) {
            const fs::path folder = world_.plugin() / fs::path(script).stem();
            std::error_code ec;
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                if (chance(0.2) && it->is_regular_file()) {
                    files.push_back(it->path());
                }
            }
        }
        std::vector<fs::path> chosen;
        for (int n = 1 + pick(2); n > 0 && !files.empty(); --n) {
            chosen.push_back(anyOf(files));
        }
        // A pad of its own only while no other pad plays the key a new pad gets (60).
        int pad = kit_.currentPad;
        if (const auto zone = anyZone(); zone && chance(0.7)) {
            pad = zone->first;
        }
        const Pad& target = kit_.pads[static_cast<std::size_t>(pad)];
        const int row = target.empty() || chance(0.5) || !world_.features().namesPassed
                            ? -1
                            : pick(target.size());
        std::string text = "import";
        for (const fs::path& file : chosen) {
            text += " " + relative(file);
        }
        apply(importSamples(kit_, pad, row, chosen, keyRange_, location_, host_).edit);
        return {text + " into pad " + std::to_string(pad + 1) + " row " + std::to_string(row)};
    }

    std::string renameTo(std::pair<int, int> at, const std::string& name) {
        const SampleRename renamed = renameSample(kit_, at.first, at.second, name, location_);
        apply(renamed.edit);
        return "rename pad " + std::to_string(at.first + 1) + " row " + std::to_string(at.second) +
               " to \"" + name + "\"" + (renamed.error.empty() ? "" : " (refused)");
    }
    Step rename() {
        const auto at = anyZone();
        if (!at) {
            return {"rename: no zone"};
        }
        const std::string name = zoneAt(*at).sampleName;
        const std::string stem = fs::path(name).stem().string();
        std::string upper = name;
        upper[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[0])));
        const std::vector<std::string> names = {
            stem + " old.wav", "kick 2.wav", "snare.wav", "kick.wav", upper, "hat.wav", "gone.wav"};
        return {renameTo(*at, anyOf(names))};
    }
    // a takes a new name, then b takes a's old one.
    Step renameChain() {
        const auto a = anyZone();
        const auto b = anyZone();
        if (!a || !b) {
            return {"rename chain: no zone"};
        }
        const std::string old = zoneAt(*a).sampleName;
        std::string text = renameTo(*a, fs::path(old).stem().string() + " old.wav");
        text += "; " + renameTo(*b, old);
        return {"chain: " + text};
    }
    // a and b trade names through a third.
    Step swapNames() {
        const auto a = anyZone();
        const auto b = anyZone();
        if (!a || !b) {
            return {"swap: no zone"};
        }
        const std::string nameA = zoneAt(*a).sampleName;
        const std::string nameB = zoneAt(*b).sampleName;
        std::string text = renameTo(*a, "swap.wav");
        text += "; " + renameTo(*b, nameA);
        text += "; " + renameTo(*a, nameB);
        return {"swap: " + text};
    }

    // A source handed to a wave editor, which saves it in place.
    Step edit() {
        const auto at = anyZone();
        if (!world_.features().edits || !at) {
            return {"edit: no zone"};
        }
        const SampleZone zone = zoneAt(*at);
        const fs::path source = zone.sourcePath;
        std::error_code ec;
        // A copy in the plug-in folder is edited only where it is the zone's own source (a kit
        // without path lines) outside the shared folder; another kit's copy edited by hand is
        // no save's business.
        if (!isCopyableSource(zone.sourcePath) ||
            !fs::is_regular_file(fs::symlink_status(source, ec)) ||
            fs::relative(source, world_.readOnly(), ec).string().find("..") != 0 ||
            (world_.insidePlugin(fs::weakly_canonical(source, ec)) &&
             (!sameFile(source, world_.plugin() / kit_.sampleFolder / zone.sampleName) ||
              kit_.sampleFolder == kSharedSampleFolder))) {
            return {"edit " + zone.sampleName + ": source not editable"};
        }
        std::ofstream(source, std::ios::binary | std::ios::trunc)
            << world_.freshContent("edited " + relative(source));
        sampleEditedOutside(kit_, zone);
        world_.sourceEdited(source, script_);
        return {"edit " + relative(source), {source}, true};
    }

    Step remove(bool fromDisk) {
        const auto at = anyZone();
        if (!at) {
            return {"delete: no zone"};
        }
        const Pad& pad = kit_.pads[static_cast<std::size_t>(at->first)];
        std::vector<int> rows = {at->second};
        if (pad.size() > 1 && chance(0.3)) {
            rows.push_back(pick(pad.size()));
        }
        std::string text = (fromDisk ? "Shift+Delete pad " : "delete pad ") +
                           std::to_string(at->first + 1) + " rows";
        for (const int row : rows) {
            text += " " + std::to_string(row);
        }
        ZoneDeletion deletion = deleteZones(kit_, at->first, rows);
        if (!fromDisk) {
            apply(deletion.edit);
            return {text};
        }
        KitDocument after = kit_;
        applyEdit(after, deletion.edit);
        SourceDeletion files = trashSourceFiles(after, deletion.removed, location_, host_);
        Step step{text};
        allowTrashed(step, files.trashed);
        apply(deletion.edit, std::make_shared<std::vector<TrashedFile>>(std::move(files.trashed)));
        return step;
    }

    // Undo (back) or redo: the edit turned the other way, and Shift+Delete's files put back or
    // sent to the trash again.
    Step undoOrRedo(bool back) {
        std::vector<Undoable>& from = back ? undo_ : redo_;
        std::vector<Undoable>& to = back ? redo_ : undo_;
        Step step{back ? "undo" : "redo"};
        if (from.empty()) {
            step.text += ": nothing";
            return step;
        }
        Undoable last = from.back();
        from.pop_back();
        applyEdit(kit_, back ? inverseOf(last.edit) : last.edit);
        if (last.trashed) {
            if (back) {
                restoreFromTrash(*last.trashed, host_);
            } else {
                moveToTrashAgain(*last.trashed, host_);
            }
            allowTrashed(step, *last.trashed);
        }
        to.push_back(std::move(last));
        return step;
    }
    static void allowTrashed(Step& step, const std::vector<TrashedFile>& files) {
        for (const TrashedFile& file : files) {
            step.allowedOutside.insert(file.original);
        }
    }

    Step withFaults(std::string text, const std::function<std::string()>& action) {
        const bool faulty = world_.features().faults && chance(0.3);
        if (faulty) {
            world_.actOutFaults(0.15);
            text += " (with faults)";
        }
        text += action();
        world_.actOutFaults(0);
        return {text};
    }

    std::string save() {
        const SaveReport report = saveKit(kit_, world_.plugin() / script_, location_);
        if (report.saved()) {
            world_.scriptSaved(script_);
        }
        return outcomeText(report);
    }
    // padsmith-kit install: the kit as its script holds it, saved again.
    std::string install(const std::string& script, bool fresh) {
        const KitLocation location = world_.locationOf(script);
        KitDocument kit;
        KitHost quiet;
        SampleFinder finder(quiet);
        finder.setAskForFolder(false);
        if (!readKitScript(kit, world_.plugin() / script, location, quiet, finder)) {
            return ": unreadable";
        }
        return saveAndReload(kit, script, fresh);
    }
    // padsmith-kit new --force: a kit from a library folder over an installed one.
    std::string newKit() {
        const std::vector<std::string> scripts = world_.scripts();
        const std::string script = anyOf(scripts);
        const std::vector<fs::path> folders = world_.libraryFolders();
        if (folders.empty()) {
            return ": no library folder";
        }
        const fs::path from = anyOf(folders);
        std::vector<std::string> unplayable;
        const FolderKitPlan plan = planFolderKit(listFolderSamples(
            from, [](const fs::path&) { return true; }, unplayable));
        const KitLocation location = world_.locationOf(script);
        KitDocument kit;
        kit.newKit();
        fillKitFromPlan(kit, plan);
        takeSavedStateOf(kit, world_.plugin() / script, location);
        return " " + script + " from " + relative(from) + saveAndReload(kit, script, true);
    }
    // The tool's save of `kit` as `script`; the editor then reloads its kit, changed on disk.
    std::string saveAndReload(KitDocument& kit, const std::string& script, bool fresh) {
        SaveOptions options;
        options.freshSampleFolder = fresh;
        const SaveReport report =
            saveKit(kit, world_.plugin() / script, world_.locationOf(script), options);
        open(script_);
        return outcomeText(report);
    }
    std::string padKit() {
        const auto at = anyZone();
        if (!at) {
            return ": no zone";
        }
        fs::path target;
        const PadKitResult result = savePadAsKit(kit_, at->first, location_, true, &target);
        return " of pad " + std::to_string(at->first + 1) + " as " + target.filename().string() +
               (result == PadKitResult::Written ? "" : ": not written");
    }

    World& world_;
    std::string script_;
    KitDocument kit_;
    KitLocation location_;
    FakeHost host_;
    ImportKeyRange keyRange_;
    std::vector<Undoable> undo_;
    std::vector<Undoable> redo_;
};

// Each world feature by the name the worlds below and a failing sequence give it.
const std::pair<const char*, bool WorldFeatures::*> kFeatureNames[] = {
    {"shared-folder", &WorldFeatures::sharedFolder},
    {"same-sample-folder", &WorldFeatures::sameSampleFolder},
    {"no-path-lines", &WorldFeatures::withoutPathLines},
    {"linked-sources", &WorldFeatures::linkedSources},
    {"linked-sample-folder", &WorldFeatures::linkedSampleFolder},
    {"read-only", &WorldFeatures::readOnlySources},
    {"missing-sources", &WorldFeatures::missingSources},
    {"strangers-files", &WorldFeatures::strangersFiles},
    {"faults", &WorldFeatures::faults},
    {"edits", &WorldFeatures::edits},
    {"deletes-from-disk", &WorldFeatures::deletesFromDisk},
    {"saves", &WorldFeatures::saves},
    {"rename-chains", &WorldFeatures::renameChains},
    {"names-passed", &WorldFeatures::namesPassed}};

std::string featureText(const WorldFeatures& features) {
    std::string text;
    for (const auto& [name, member] : kFeatureNames) {
        if (features.*member) {
            text += text.empty() ? name : std::string(",") + name;
        }
    }
    return text;
}

// Runs `sequences` sequences (PADSMITH_SEQUENCES sets another count); a failing one is printed
// whole, with the command that repeats it.
void runSequences(const WorldFeatures& features, std::uint64_t sequences) {
    const std::uint64_t first = numberFromEnvironment("PADSMITH_SEQUENCE_SEED", 1);
    const std::uint64_t count = numberFromEnvironment(
        "PADSMITH_SEQUENCES", std::max<std::uint64_t>(1, sequences / kSequenceShare));
    const std::uint64_t steps = numberFromEnvironment("PADSMITH_SEQUENCE_STEPS", 20);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto started = std::chrono::steady_clock::now();
    std::uint64_t failed = 0;
    const std::uint64_t shown = numberFromEnvironment("PADSMITH_SEQUENCE_FAILURES", 3);
    for (std::uint64_t seed = first; seed < first + count && failed < shown; ++seed) {
        World world(seed, features);
        Session session(world);
        std::vector<std::string> done;
        std::string broken = world.check(world.snapshot(), {}, false);
        for (std::uint64_t n = 0; n < steps && broken.empty(); ++n) {
            const Snapshot before = world.snapshot();
            const Step step = session.next();
            done.push_back(step.text);
            if (std::getenv("PADSMITH_SEQUENCE_TRACE") != nullptr) {
                world.trace(step.text);
            }
            broken = world.check(before, step.allowedOutside, step.lossAllowed);
        }
        if (broken.empty()) {
            continue;
        }
        ++failed;
        std::string text;
        for (std::size_t i = 0; i < done.size(); ++i) {
            text += "  " + std::to_string(i + 1) + ". " + done[i] + "\n";
        }
        ADD_FAILURE() << "sequence " << seed << " (" << featureText(features) << ") broke at step "
                      << done.size() << ":\n"
                      << broken << "steps:\n"
                      << text << "repeat it with:\n  PADSMITH_SEQUENCE_SEED=" << seed
                      << " PADSMITH_SEQUENCES=1 PADSMITH_SEQUENCE_STEPS=" << steps << " "
                      << ::testing::internal::GetArgvs().front()
                      << " --gtest_filter=" << test->test_suite_name() << "." << test->name();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("[ sequences ] seeds %llu to %llu, %llu steps each, %.1f s\n",
                static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + count - 1),
                static_cast<unsigned long long>(steps), seconds);
}

// One world feature at a time (besides the commands every world has), then all of them at
// once, so that a failure points at what the world held. A world is the plain one with features
// turned on ("+edits", "+all" for every one) or off ("-saves"). The counts keep the whole run
// near a minute; PADSMITH_SEQUENCES=10000 makes a long session of any of them.
constexpr const char* kPlainWorld = "-all +same-sample-folder +read-only +deletes-from-disk +saves "
                                    "+rename-chains +names-passed";

struct WorldRow {
    const char* name;
    const char* changes; // to the plain world
    std::uint64_t sequences;
};

// The world's name in test listings.
void PrintTo(const WorldRow& row, std::ostream* out) {
    *out << row.name;
}

WorldFeatures featuresOf(const WorldRow& row) {
    WorldFeatures features;
    std::istringstream words(std::string(kPlainWorld) + " " + row.changes);
    for (std::string word; words >> word;) {
        const std::string name = word.substr(1);
        bool known = false;
        for (const auto& [feature, member] : kFeatureNames) {
            if (name == "all" || name == feature) {
                features.*member = word[0] == '+';
                known = true;
            }
        }
        EXPECT_TRUE(known) << "no world feature " << word;
    }
    return features;
}

class Sequences : public ::testing::TestWithParam<WorldRow> {};

TEST_P(Sequences, KeepEverySampleAndEveryKitPlaysItsSources) {
    runSequences(featuresOf(GetParam()), GetParam().sequences);
}

const WorldRow kWorlds[] = {
    // Imports, deletions, undo and redo and every saving command.
    {"Commands", "-deletes-from-disk -names-passed", 100},
    // Renames, and imports over rows, that give a sample's name to another source; chains and
    // swaps of names within one save.
    {"NamesPassed", "-deletes-from-disk", 40},
    // Shift+Delete, undo and redo with every world feature and no save: every file goes to the
    // trash once, comes back, and nothing else changes.
    {"ShiftDeleteWithoutSaves", "+all -saves -faults -edits", 40},
    // A source gone to the trash leaves its copy; a sample that takes that name later plays its
    // own source, not the copy left behind.
    {"CopiesLeftBehind", "", 40},
    // A source edited by a wave editor: the save makes the copy again, the old sound kept.
    {"EditedSources", "+edits", 30},
    // A kit without path lines: its sources are its copies.
    {"KitWithoutPathLines", "+no-path-lines", 30},
    // Sources that are links to the kit's own copies.
    {"LinkedSources", "+linked-sources", 30},
    // A sample folder that is a link to a folder elsewhere.
    {"LinkedSampleFolder", "+linked-sample-folder", 30},
    // Sources that are gone: the copy is the only sound there is.
    {"MissingSources", "+missing-sources", 30},
    // A file in a kit folder that no kit names, under a name the kit then gives a sample.
    {"StrangersFiles", "+strangers-files", 30},
    // Kits in the shared folder, where copies are never renamed or removed.
    {"SharedFolder", "+shared-folder", 30},
    // Full disks and failing renames in the middle of a save.
    {"Faults", "+faults", 30},
    {"EverythingAtOnce", "+all", 60},
};

INSTANTIATE_TEST_SUITE_P(Worlds, Sequences, ::testing::ValuesIn(kWorlds),
                         [](const ::testing::TestParamInfo<WorldRow>& world) {
                             return std::string(world.param.name);
                         });

} // namespace
} // namespace padsmith::test
