// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/sfz/SfzReader.h"

#include "formats/sfz/SfzRegions.h"
#include "formats/sfz/SfzText.h"
#include "platform/Files.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace padsmith::formats {

namespace fs = std::filesystem;

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
    SfzRegionBuilder builder(folder);
    enum class Level { None, Control, Global, Master, Group, Region, Other };
    Level level = Level::None;
    SfzOpcodes global;
    SfzOpcodes master;
    SfzOpcodes group;
    SfzOpcodes region;
    std::set<std::string> otherHeaders;
    const auto finishRegion = [&] {
        if (level != Level::Region) {
            return;
        }
        // The region's own opcodes are not needed after it: moved, not copied.
        SfzOpcodes merged = std::move(region);
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
        SfzOpcodes* target = nullptr;
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
    std::map<int, std::vector<const SfzRegion*>> byKey;
    std::map<std::string, std::set<int>> groupKeys;
    for (const SfzRegion& r : builder.regions) {
        byKey[r.key].push_back(&r);
        groupKeys[r.group].insert(r.key);
    }
    SfzLeftOut leftOut;
    for (const auto& [key, regions] : byKey) {
        kit.instruments.push_back(sfzInstrument(key, regions, groupKeys, options, leftOut));
    }
    const auto [alternatesLeft, alternatesShared, stacked] = leftOut;

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
        kit.notes.push_back("SfzOpcodes not carried over: " + listNames(lost, 12) + ".");
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
