// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/hydrogen/HydrogenReader.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <pugixml.hpp>
#include <set>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

// Hydrogen reads this many layers of a component and ignores the rest.
constexpr std::size_t kMaxLayers = 16;

double number(const pugi::xml_node& node, const char* name, double fallback) {
    const pugi::xml_node child = node.child(name);
    if (!child) {
        return fallback;
    }
    const double value = child.text().as_double(fallback);
    return std::isfinite(value) ? value : fallback;
}

// How Hydrogen picks among the layers: VELOCITY (the first that holds it), RANDOM or
// ROUND_ROBIN (among all that hold it); anything else reads as VELOCITY.
std::string algorithmOf(const pugi::xml_node& instrument) {
    const std::string algorithm = instrument.child_value("sampleSelectionAlgo");
    return algorithm == "RANDOM" || algorithm == "ROUND_ROBIN" ? algorithm : "VELOCITY";
}

bool isTrue(const pugi::xml_node& node, const char* name) {
    const std::string text = node.child_value(name);
    return text == "true" || text == "1";
}

struct RawLayer {
    float min = 0.0F; // as Hydrogen keeps them: single floats, neither clamped nor ordered
    float max = 1.0F;
    ForeignLayer layer;
};

// The layers of one instrument in the layout the file uses, with their gain before the
// instrument's own volume and pan.
struct InstrumentLayers {
    std::vector<RawLayer> layers;
    int components = 0;  // <instrumentComponent>s that hold layers
    int beyondLimit = 0; // layers past the ones Hydrogen reads
};

// Where the samples of a drumkit are, and what is said about them.
struct SampleScope {
    fs::path folder; // the drumkit's own folder
    fs::path within; // when not empty, no sample may lie outside it
    Unsupported& unsupported;
    std::vector<std::string>& outside; // samples refused for lying outside `within`
};

bool liesWithin(const fs::path& file, const fs::path& folder) {
    const fs::path relative = file.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != ".." && !relative.is_absolute();
}

// The layer, or nothing when its sample is refused.
std::optional<RawLayer> layerFrom(const pugi::xml_node& node, double componentGain,
                                  const std::string& instrument, const SampleScope& scope) {
    RawLayer raw;
    raw.min = static_cast<float>(number(node, "min", 0.0));
    raw.max = static_cast<float>(number(node, "max", 1.0));
    const double gain = std::max(0.0, number(node, "gain", 1.0)) * componentGain;
    raw.layer.gainLeft = gain;
    raw.layer.gainRight = gain;
    const std::string name = node.child_value("filename");
    const fs::path file(name);
    raw.layer.file = file.is_absolute() ? file : joinPath(scope.folder, name);
    if (!scope.within.empty() &&
        (file.is_absolute() || !liesWithin(raw.layer.file, scope.within))) {
        scope.outside.push_back(name);
        return std::nullopt;
    }
    if (number(node, "pitch", 0.0) != 0.0) {
        scope.unsupported.add("Pitch", instrument);
    }
    return raw;
}

void addLayers(const pugi::xml_node& parent, double gain, const std::string& name,
               const SampleScope& scope, InstrumentLayers& result) {
    std::size_t read = 0;
    for (const pugi::xml_node layer : parent.children("layer")) {
        if (++read > kMaxLayers) {
            ++result.beyondLimit;
        } else if (*layer.child_value("filename") != '\0') {
            if (std::optional<RawLayer> raw = layerFrom(layer, gain, name, scope)) {
                result.layers.push_back(*raw);
            }
        }
    }
}

InstrumentLayers layersOf(const pugi::xml_node& instrument, const std::string& name,
                          const SampleScope& scope) {
    InstrumentLayers result;
    for (const pugi::xml_node component : instrument.children("instrumentComponent")) {
        if (!component.child("layer")) {
            continue;
        }
        ++result.components;
        if (result.components > 1) {
            continue; // Hydrogen plays every component at once; a zone plays one sample
        }
        const double gain = std::max(0.0, number(component, "gain", 1.0));
        addLayers(component, gain, name, scope, result);
    }
    if (result.components > 1) {
        scope.unsupported.add("A second sample component", name);
    }
    if (result.components == 0) {
        addLayers(instrument, 1.0, name, scope, result);
    }
    if (result.components == 0 && result.layers.empty() &&
        *instrument.child_value("filename") != '\0') {
        // The old layout: one sample for every velocity.
        if (std::optional<RawLayer> raw = layerFrom(instrument, 1.0, name, scope)) {
            raw->min = 0.0F;
            raw->max = 1.0F;
            result.layers.push_back(*raw);
        }
    }
    return result;
}

// Hydrogen drops an instrument that has neither a component, a layer nor a file as corrupt:
// it takes no place in its list, and no MIDI note.
bool hydrogenKeeps(const pugi::xml_node& instrument) {
    return instrument.child("instrumentComponent") || instrument.child("layer") ||
           instrument.child("filename");
}

void noteFeatures(const pugi::xml_node& instrument, const std::string& name,
                  Unsupported& unsupported) {
    if (number(instrument, "pitchOffset", 0.0) != 0.0 ||
        number(instrument, "randomPitchFactor", 0.0) != 0.0) {
        unsupported.add("Pitch", name);
    }
    // A release of 0 or Hydrogen's own 1000 is what its kits carry when nobody set one.
    const double release = number(instrument, "Release", 1000.0);
    if (number(instrument, "Attack", 0.0) != 0.0 || number(instrument, "Decay", 0.0) != 0.0 ||
        number(instrument, "Sustain", 1.0) != 1.0 || (release != 0.0 && release != 1000.0)) {
        unsupported.add("The envelope (attack, decay, sustain, release)", name);
    }
    if (number(instrument, "muteGroup", -1.0) >= 0.0) {
        unsupported.add("The mute group", name);
    }
    // An active filter that is fully open changes nothing.
    if (isTrue(instrument, "filterActive") && (number(instrument, "filterCutoff", 1.0) < 1.0 ||
                                               number(instrument, "filterResonance", 0.0) > 0.0)) {
        unsupported.add("The filter", name);
    }
    if (algorithmOf(instrument) != "VELOCITY") {
        unsupported.add("Random or round-robin layer choice", name);
    }
}

// Whether two velocities get the same zone: the same layer, or the same alternates to slice.
bool sameChoice(const std::vector<int>& a, const std::vector<int>& b, bool wholeSet) {
    if (wholeSet) {
        return a == b;
    }
    return a.empty() ? b.empty() : !b.empty() && a.front() == b.front();
}

// The instrument's pan as factors of each side: pan_L/pan_R, or the single pan of -1..1 that
// later versions write.
std::pair<double, double> panOf(const pugi::xml_node& instrument) {
    if (instrument.child("pan_L") || instrument.child("pan_R")) {
        return {std::max(0.0, number(instrument, "pan_L", 1.0)),
                std::max(0.0, number(instrument, "pan_R", 1.0))};
    }
    const double pan = std::clamp(number(instrument, "pan", 0.0), -1.0, 1.0);
    return {std::min(1.0, 1.0 - pan), std::min(1.0, 1.0 + pan)};
}

} // namespace

std::vector<std::vector<int>> hydrogenLayersByVelocity(const std::vector<HydrogenWindow>& windows) {
    std::vector<std::vector<int>> plays(127);
    for (int v = 1; v <= 127; ++v) {
        // A MIDI velocity reaches Hydrogen's sampler as a single float of v / 127.
        const float velocity = static_cast<float>(v / 127.0);
        std::vector<int>& here = plays[static_cast<std::size_t>(v - 1)];
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (velocity >= windows[i].min && velocity <= windows[i].max) {
                here.push_back(static_cast<int>(i));
            }
        }
        if (!here.empty()) {
            continue;
        }
        // Between windows: the layer whose lower end is nearest, the first of equals; Hydrogen
        // measures from the lower end only and takes none at a distance of 1 or more.
        float shortest = 1.0F;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const float distance = std::abs(windows[i].min - velocity);
            if (distance < shortest) {
                shortest = distance;
                here = {static_cast<int>(i)};
            }
        }
    }
    return plays;
}

std::optional<ForeignKit> parseHydrogenDrumkit(std::string_view xml, const fs::path& folder,
                                               const ReadOptions& options, std::string& error,
                                               const fs::path& within) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        error = std::string("not an XML file: ") + parsed.description();
        return std::nullopt;
    }
    const pugi::xml_node root = document.child("drumkit_info");
    if (!root) {
        error = "not a Hydrogen drumkit (no <drumkit_info>)";
        return std::nullopt;
    }
    ForeignKit kit;
    kit.name = root.child_value("name");
    kit.author = root.child_value("author");
    Unsupported unsupported;
    std::set<fs::path> alternates;
    std::vector<std::string> neverPlayed;
    std::vector<std::string> silentAt;
    std::vector<std::string> outside;
    std::vector<std::string> dropped;
    std::vector<std::string> skipped;
    std::vector<std::string> crowded;
    const SampleScope scope{folder, within, unsupported, outside};
    int index = -1;
    for (const pugi::xml_node instrument : root.child("instrumentList").children("instrument")) {
        const std::string name = instrument.child_value("name");
        if (!hydrogenKeeps(instrument)) {
            skipped.push_back(name); // named once a later instrument moves down for it
            continue;
        }
        ++index;
        InstrumentLayers found = layersOf(instrument, name, scope);
        if (found.beyondLimit > 0) {
            crowded.push_back(name);
        }
        if (found.layers.empty()) {
            continue;
        }
        dropped.insert(dropped.end(), skipped.begin(), skipped.end());
        skipped.clear();
        noteFeatures(instrument, name, unsupported);
        ForeignInstrument result;
        result.name = name;
        result.key = 36 + index;
        if (options.keys == KeyChoice::OutputNote) {
            const double note = number(instrument, "midiOutNote", -1.0);
            if (note >= 0.0 && note <= 127.0) {
                result.key = static_cast<int>(note);
            }
        }
        const double volume = std::max(0.0, number(instrument, "volume", 1.0)) *
                              std::max(0.0, number(instrument, "gain", 1.0));
        const auto [panLeft, panRight] = panOf(instrument);

        const std::vector<HydrogenWindow> windows = [&] {
            std::vector<HydrogenWindow> out;
            for (const RawLayer& raw : found.layers) {
                out.push_back({raw.min, raw.max});
            }
            return out;
        }();
        const std::vector<std::vector<int>> plays = hydrogenLayersByVelocity(windows);
        const bool choosing = algorithmOf(instrument) != "VELOCITY";
        const bool slices = choosing && options.alternates == AlternateChoice::Interleave;
        std::vector<bool> heard(found.layers.size(), false);
        bool silent = false;
        // Runs of velocities with the same choice become one zone each (or one slice per
        // alternate when they share it).
        for (int v = 1; v <= 127;) {
            const std::vector<int>& here = plays[static_cast<std::size_t>(v - 1)];
            int end = v;
            while (end < 127 && sameChoice(plays[static_cast<std::size_t>(end)], here, slices)) {
                ++end;
            }
            silent = silent || here.empty();
            const int count =
                slices ? static_cast<int>(here.size()) : std::min(1, static_cast<int>(here.size()));
            for (int a = 0; a < count; ++a) {
                const auto [low, high] = velocitySlice(v, end, a, count);
                const auto chosen = static_cast<std::size_t>(here[static_cast<std::size_t>(a)]);
                heard[chosen] = true;
                ForeignLayer layer = found.layers[chosen].layer;
                layer.velocityLow = low;
                layer.velocityHigh = high;
                layer.gainLeft *= volume * panLeft;
                layer.gainRight *= volume * panRight;
                result.layers.push_back(layer);
            }
            if (choosing && !slices && here.size() > 1) {
                for (std::size_t a = 1; a < here.size(); ++a) {
                    alternates.insert(found.layers[static_cast<std::size_t>(here[a])].layer.file);
                }
            }
            v = end + 1;
        }
        std::sort(result.layers.begin(), result.layers.end(),
                  [](const ForeignLayer& a, const ForeignLayer& b) {
                      return a.velocityLow < b.velocityLow;
                  });
        for (std::size_t i = 0; i < heard.size(); ++i) {
            const fs::path& file = found.layers[i].layer.file;
            if (!heard[i] && !alternates.contains(file)) {
                neverPlayed.push_back(name + " (" + file.filename().string() + ")");
            }
        }
        if (silent) {
            silentAt.push_back(name);
        }
        if (result.layers.empty()) {
            continue;
        }
        kit.instruments.push_back(std::move(result));
    }
    if (!alternates.empty()) {
        kit.notes.push_back(std::to_string(alternates.size()) +
                            " alternate layer(s) that Hydrogen plays at random or in turn were "
                            "left out (the first of each velocity is kept).");
    }
    if (!neverPlayed.empty()) {
        kit.notes.push_back("Layers Hydrogen never plays (an earlier layer holds all their "
                            "velocities) were left out: " +
                            listNames(neverPlayed) + ".");
    }
    if (!silentAt.empty()) {
        kit.notes.push_back("Hydrogen plays nothing at some velocities of " + listNames(silentAt) +
                            ", and neither does the pad.");
    }
    if (!dropped.empty()) {
        kit.notes.push_back("Instruments without samples that Hydrogen skips, so that the next "
                            "ones take their keys: " +
                            listNames(dropped) + ".");
    }
    if (!crowded.empty()) {
        kit.notes.push_back("Layers past the " + std::to_string(kMaxLayers) +
                            " that Hydrogen reads were left out: " + listNames(crowded) + ".");
    }
    if (!outside.empty()) {
        kit.notes.push_back(
            std::to_string(outside.size()) +
            " sample(s) named outside the archive were refused: " + listNames(outside, 4) + ".");
    }
    unsupported.appendTo(kit.notes);
    return kit;
}

std::optional<ForeignKit> readHydrogenDrumkit(const fs::path& path, const ReadOptions& options,
                                              std::string& error, const fs::path& within) {
    std::error_code ec;
    const fs::path file = fs::is_directory(path, ec) ? path / "drumkit.xml" : path;
    std::string text;
    if (!readWholeFile(file, text)) {
        error = "can't read " + file.string();
        return std::nullopt;
    }
    return parseHydrogenDrumkit(text, fs::absolute(file, ec).parent_path(), options, error, within);
}

} // namespace padsmith::formats
