// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/sfz/SfzReader.h"

#include "formats/sfz/SfzText.h"
#include "platform/Files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

using Opcodes = std::map<std::string, std::string, std::less<>>;

std::optional<double> numberOf(std::string_view text) {
    text = trimSfz(text);
    double value = 0.0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    (void)end;
    return value;
}

// `value` as a whole number within [low, high]: an opcode may hold any number at all.
int wholeWithin(double value, int low, int high) {
    return static_cast<int>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
}

// Opcodes that change what is heard and that a kit has no place for: named in the report.
bool isNamedLoss(std::string_view opcode) {
    static const std::set<std::string, std::less<>> quiet{
        "global_label",  "master_label",    "group_label", "region_label", "image",
        "note_name",     "sw_label",        "label_cc",    "set_cc",       "default_path",
        "octave_offset", "note_offset",     "sample",      "key",          "lokey",
        "hikey",         "pitch_keycenter", "lovel",       "hivel",        "volume",
        "pan",           "amplitude",       "seq_length",  "seq_position", "lorand",
        "hirand",        "trigger"};
    if (quiet.contains(opcode)) {
        return false;
    }
    // set_ccN and label_ccN carry a number.
    for (const std::string_view prefix : {"set_cc", "label_cc", "set_hdcc", "set_realcc"}) {
        if (opcode.starts_with(prefix)) {
            return false;
        }
    }
    return true;
}

struct Region {
    fs::path file;
    std::string sampleName;
    std::string label; // region_label
    std::string group; // group_label, or master_label, or global_label
    int key = 60;
    int keyLow = 0;
    int keyHigh = 127;
    bool range = false;
    int velocityLow = 1;
    int velocityHigh = 127;
    double gainLeft = 1.0;
    double gainRight = 1.0;
    int seqLength = 1;
    int seqPosition = 1;
    double randLow = 0.0;
    double randHigh = 1.0;

    bool alternate() const { return seqLength > 1 || randLow > 0.0 || randHigh < 1.0; }
};

class RegionBuilder {
public:
    RegionBuilder(const fs::path& folder) : folder_(folder) {}

    Opcodes control;
    std::vector<Region> regions;
    std::map<std::string, int> lostOpcodes; // opcode -> regions that carry it
    int generators = 0;
    int releases = 0; // regions that sound when a key is let go
    std::map<std::string, int> otherTriggers;
    int badKeys = 0;
    int ranges = 0;

    void add(const Opcodes& opcodes) {
        const auto value = [&](std::string_view name) -> const std::string* {
            const auto found = opcodes.find(name);
            return found == opcodes.end() ? nullptr : &found->second;
        };
        const std::string* sample = value("sample");
        if (sample == nullptr || sample->empty()) {
            return;
        }
        if (sample->front() == '*') {
            ++generators;
            return;
        }
        if (const std::string* trigger = value("trigger")) {
            if (*trigger == "release" || *trigger == "release_key") {
                ++releases; // a pad plays hits: a release sound would replace the hit
                return;
            }
            if (*trigger != "attack") {
                ++otherTriggers["trigger=" + *trigger];
            }
        }
        for (const auto& [name, text] : opcodes) {
            if (isNamedLoss(name)) {
                ++lostOpcodes[name];
            }
        }
        Region region;
        std::string name = *sample;
        std::replace(name.begin(), name.end(), '\\', '/');
        std::string prefix = controlText("default_path");
        std::replace(prefix.begin(), prefix.end(), '\\', '/');
        const fs::path relative = fs::path(prefix + name);
        region.file = relative.is_absolute() ? relative : folder_ / relative;
        region.sampleName = relative.filename().string();
        if (const std::string* label = value("region_label")) {
            region.label = *label;
        }
        for (const char* groupLabel : {"group_label", "master_label", "global_label"}) {
            if (const std::string* label = value(groupLabel); label && region.group.empty()) {
                region.group = *label;
            }
        }

        const int offset = wholeWithin(controlNumber("note_offset", 0.0), -127, 127) +
                           12 * wholeWithin(controlNumber("octave_offset", 0.0), -10, 10);
        const auto note = [&](std::string_view opcode) -> std::optional<int> {
            const std::string* text = value(opcode);
            if (text == nullptr) {
                return std::nullopt;
            }
            const std::optional<int> parsed = sfzNote(*text);
            if (!parsed) {
                return -1;
            }
            return *parsed + offset;
        };
        // key= has already set lokey, hikey and pitch_keycenter where it was given.
        std::optional<int> low = note("lokey");
        std::optional<int> high = note("hikey");
        const std::optional<int> center = note("pitch_keycenter");
        region.keyLow = low.value_or(0);
        region.keyHigh = high.value_or(127);
        if (region.keyLow > region.keyHigh) {
            std::swap(region.keyLow, region.keyHigh);
        }
        region.range = region.keyLow != region.keyHigh;
        region.key = region.range && center ? *center : region.keyLow;
        if (region.key < 0 || region.key > 127 || region.keyLow < 0 || region.keyHigh > 127) {
            ++badKeys;
            return;
        }
        if (region.range) {
            ++ranges;
        }
        region.velocityLow = wholeWithin(number(opcodes, "lovel", 1.0), 1, 127);
        region.velocityHigh = wholeWithin(number(opcodes, "hivel", 127.0), 1, 127);
        if (region.velocityLow > region.velocityHigh) {
            std::swap(region.velocityLow, region.velocityHigh);
        }
        const double gain =
            std::pow(10.0, std::clamp(number(opcodes, "volume", 0.0), -144.0, 48.0) / 20.0) *
            std::clamp(number(opcodes, "amplitude", 100.0), 0.0, 100.0) / 100.0;
        const double pan = std::clamp(number(opcodes, "pan", 0.0), -100.0, 100.0);
        region.gainLeft = gain * (pan > 0.0 ? (100.0 - pan) / 100.0 : 1.0);
        region.gainRight = gain * (pan < 0.0 ? (100.0 + pan) / 100.0 : 1.0);
        region.seqLength = wholeWithin(number(opcodes, "seq_length", 1.0), 1, 1 << 20);
        region.seqPosition = wholeWithin(number(opcodes, "seq_position", 1.0), 1, 1 << 20);
        region.randLow = number(opcodes, "lorand", 0.0);
        region.randHigh = number(opcodes, "hirand", 1.0);
        regions.push_back(std::move(region));
    }

private:
    static double number(const Opcodes& opcodes, std::string_view name, double fallback) {
        const auto found = opcodes.find(name);
        if (found == opcodes.end()) {
            return fallback;
        }
        return numberOf(found->second).value_or(fallback);
    }
    std::string controlText(std::string_view name) const {
        const auto found = control.find(name);
        return found == control.end() ? std::string() : found->second;
    }
    double controlNumber(std::string_view name, double fallback) const {
        return number(control, name, fallback);
    }

    fs::path folder_;
};

// Regions of one key that play together: the same velocity window.
using RegionSet = std::vector<const Region*>;

ForeignInstrument instrumentOf(int key, const std::vector<const Region*>& regions,
                               const std::map<std::string, std::set<int>>& groupKeys,
                               const ReadOptions& options, int& alternatesLeft,
                               int& alternatesShared, int& stacked) {
    ForeignInstrument instrument;
    instrument.key = key;
    const Region& first = *regions.front();
    if (!first.label.empty()) {
        instrument.name = first.label;
    } else if (!first.group.empty() && groupKeys.at(first.group).size() == 1) {
        instrument.name = first.group;
    } else {
        instrument.name = fs::path(first.sampleName).stem().string();
    }
    std::vector<RegionSet> sets;
    for (const Region* region : regions) {
        auto same = std::find_if(sets.begin(), sets.end(), [&](const RegionSet& set) {
            return set.front()->velocityLow == region->velocityLow &&
                   set.front()->velocityHigh == region->velocityHigh;
        });
        if (same == sets.end()) {
            sets.push_back({region});
        } else {
            same->push_back(region);
        }
    }
    std::sort(sets.begin(), sets.end(), [](const RegionSet& a, const RegionSet& b) {
        return a.front()->velocityLow != b.front()->velocityLow
                   ? a.front()->velocityLow < b.front()->velocityLow
                   : a.front()->velocityHigh < b.front()->velocityHigh;
    });
    for (RegionSet& set : sets) {
        std::vector<const Region*> alternates;
        std::vector<const Region*> others;
        for (const Region* region : set) {
            (region->alternate() ? alternates : others).push_back(region);
        }
        std::stable_sort(
            alternates.begin(), alternates.end(), [](const Region* a, const Region* b) {
                return a->seqPosition != b->seqPosition ? a->seqPosition < b->seqPosition
                                                        : a->randLow < b->randLow;
            });
        // Regions of one window without alternation all sound at once in SFZ; a kit plays one.
        std::vector<const Region*> kept;
        if (!others.empty()) {
            kept.push_back(others.front());
            stacked += static_cast<int>(others.size()) - 1;
        }
        if (!alternates.empty() && kept.empty()) {
            if (options.alternates == AlternateChoice::Interleave) {
                alternatesShared += static_cast<int>(alternates.size());
                kept = std::move(alternates);
            } else {
                kept.push_back(alternates.front());
                alternatesLeft += static_cast<int>(alternates.size()) - 1;
            }
        } else if (!alternates.empty()) {
            alternatesLeft += static_cast<int>(alternates.size());
        }
        const int count = static_cast<int>(kept.size());
        for (int i = 0; i < count; ++i) {
            const Region& region = *kept[static_cast<std::size_t>(i)];
            ForeignLayer layer;
            layer.file = region.file;
            const auto [low, high] =
                velocitySlice(region.velocityLow, region.velocityHigh, i, count);
            layer.velocityLow = low;
            layer.velocityHigh = high;
            layer.gainLeft = region.gainLeft;
            layer.gainRight = region.gainRight;
            if (region.range) {
                layer.keyLow = region.keyLow;
                layer.keyHigh = region.keyHigh;
            }
            instrument.layers.push_back(layer);
        }
    }
    return instrument;
}

} // namespace

std::optional<int> sfzNote(std::string_view text) {
    text = trimSfz(text);
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    const char first = text.front();
    if ((first >= '0' && first <= '9') || first == '-' || first == '+') {
        const std::string_view digits = first == '+' ? text.substr(1) : text;
        const auto [end, problem] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (problem != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
    } else {
        static constexpr int kClass[] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
        const char letter = static_cast<char>(first | 0x20);
        if (letter < 'a' || letter > 'g') {
            return std::nullopt;
        }
        int pitch = kClass[letter - 'a'];
        std::size_t i = 1;
        if (i < text.size() && text[i] == '#') {
            ++pitch;
            ++i;
        } else if (i < text.size() && text[i] == 'b' && i + 1 < text.size()) {
            --pitch;
            ++i;
        }
        int octave = 0;
        const std::string_view rest = text.substr(i);
        const auto [end, problem] = std::from_chars(rest.data(), rest.data() + rest.size(), octave);
        if (rest.empty() || problem != std::errc() || end != rest.data() + rest.size() ||
            octave < -1 || octave > 9) {
            return std::nullopt;
        }
        value = (octave + 1) * 12 + pitch;
    }
    if (value < 0 || value > 127) {
        return std::nullopt;
    }
    return value;
}

std::optional<ForeignKit> parseSfz(std::string_view text, const fs::path& file,
                                   const ReadOptions& options, const SfzIncludeLoader& loader,
                                   std::string& error, const SfzLimits& limits) {
    const fs::path folder = file.parent_path();
    SfzPreprocessor preprocessor(folder, loader, limits);
    if (!preprocessor.expand(text, 0, error)) {
        return std::nullopt;
    }
    RegionBuilder builder(folder);
    enum class Level { None, Control, Global, Master, Group, Region, Other };
    Level level = Level::None;
    Opcodes global;
    Opcodes master;
    Opcodes group;
    Opcodes region;
    std::set<std::string> otherHeaders;
    const auto finishRegion = [&] {
        if (level != Level::Region) {
            return;
        }
        Opcodes merged = region;
        merged.insert(group.begin(), group.end()); // insert keeps what the region has
        merged.insert(master.begin(), master.end());
        merged.insert(global.begin(), global.end());
        builder.add(merged);
        region.clear();
    };
    for (SfzToken& token : tokenizeSfz(preprocessor.text())) {
        if (token.header) {
            finishRegion();
            if (token.name == "control") {
                level = Level::Control;
                builder.control.clear();
            } else if (token.name == "global") {
                level = Level::Global;
                global.clear();
                master.clear();
                group.clear();
            } else if (token.name == "master") {
                level = Level::Master;
                master.clear();
                group.clear();
            } else if (token.name == "group") {
                level = Level::Group;
                group.clear();
            } else if (token.name == "region") {
                level = Level::Region;
            } else {
                level = Level::Other;
                otherHeaders.insert("<" + token.name + ">");
            }
            continue;
        }
        Opcodes* target = nullptr;
        switch (level) {
        case Level::Control:
            target = &builder.control;
            break;
        case Level::Global:
            target = &global;
            break;
        case Level::Master:
            target = &master;
            break;
        case Level::Group:
            target = &group;
            break;
        case Level::Region:
            target = &region;
            break;
        case Level::None:
        case Level::Other:
            break;
        }
        if (target == nullptr) {
            continue;
        }
        if (token.name == "key") {
            // key= is lokey, hikey and pitch_keycenter at once, over what a wider header set.
            for (const char* name : {"lokey", "hikey", "pitch_keycenter"}) {
                (*target)[name] = token.value;
            }
        }
        (*target)[token.name] = std::move(token.value);
    }
    finishRegion();
    if (builder.regions.empty()) {
        error = "no region with a sample on a key";
        return std::nullopt;
    }

    ForeignKit kit;
    kit.name = file.stem().string();
    std::map<int, std::vector<const Region*>> byKey;
    std::map<std::string, std::set<int>> groupKeys;
    for (const Region& r : builder.regions) {
        byKey[r.key].push_back(&r);
        groupKeys[r.group].insert(r.key);
    }
    int alternatesLeft = 0;
    int alternatesShared = 0;
    int stacked = 0;
    for (const auto& [key, regions] : byKey) {
        kit.instruments.push_back(instrumentOf(key, regions, groupKeys, options, alternatesLeft,
                                               alternatesShared, stacked));
    }

    for (const std::string& name : preprocessor.missingIncludes()) {
        kit.notes.push_back("The included file \"" + name + "\" could not be read.");
    }
    if (builder.ranges > 0) {
        kit.notes.push_back(std::to_string(builder.ranges) +
                            " region(s) span several keys: each plays on one key (its "
                            "pitch_keycenter, else lokey) and keeps its range in the key range.");
    }
    if (alternatesLeft > 0) {
        kit.notes.push_back(std::to_string(alternatesLeft) +
                            " alternate region(s) (seq_position, lorand/hirand) were left out; "
                            "the first of each is kept.");
    }
    if (alternatesShared > 0) {
        kit.notes.push_back(std::to_string(alternatesShared) +
                            " alternate regions share their velocity windows in slices.");
    }
    if (stacked > 0) {
        kit.notes.push_back(std::to_string(stacked) +
                            " region(s) that sound together with another on the same key and "
                            "velocities were left out; a zone plays one sample.");
    }
    if (builder.badKeys > 0) {
        kit.notes.push_back(std::to_string(builder.badKeys) +
                            " region(s) on keys outside 0 to 127 were left out.");
    }
    if (builder.releases > 0) {
        kit.notes.push_back(std::to_string(builder.releases) +
                            " release region(s) (trigger=release or release_key) were left out: "
                            "a pad plays the hit.");
    }
    for (const auto& [trigger, count] : builder.otherTriggers) {
        builder.lostOpcodes[trigger] += count;
    }
    if (builder.generators > 0) {
        kit.notes.push_back(std::to_string(builder.generators) +
                            " region(s) with a generated sound (sample=*...) were left out.");
    }
    if (!otherHeaders.empty()) {
        kit.notes.push_back("Headers not carried over: " +
                            listNames({otherHeaders.begin(), otherHeaders.end()}) + ".");
    }
    if (!builder.lostOpcodes.empty()) {
        std::vector<std::string> lost;
        for (const auto& [name, count] : builder.lostOpcodes) {
            lost.push_back(name + " (" + std::to_string(count) + " region" +
                           (count == 1 ? ")" : "s)"));
        }
        kit.notes.push_back("Opcodes not carried over: " + listNames(lost, 12) + ".");
    }
    return kit;
}

std::optional<ForeignKit> readSfz(const fs::path& path, const ReadOptions& options,
                                  std::string& error) {
    std::string text;
    if (!readWholeFile(path, text)) {
        error = "can't read " + path.string();
        return std::nullopt;
    }
    const SfzIncludeLoader loader = [](const fs::path& file) -> std::optional<std::string> {
        std::string included;
        if (!readWholeFile(file, included)) {
            return std::nullopt;
        }
        return included;
    };
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return parseSfz(text, ec ? path : absolute, options, loader, error);
}

} // namespace padsmith::formats
