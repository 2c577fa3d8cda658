// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/hydrogen/HydrogenReader.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <pugixml.hpp>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

// Two windows this close at both ends are one window with alternates: Hydrogen chooses among
// them at random or in turn.
constexpr double kSameWindow = 0.01;

double number(const pugi::xml_node& node, const char* name, double fallback) {
    const pugi::xml_node child = node.child(name);
    if (!child) {
        return fallback;
    }
    const double value = child.text().as_double(fallback);
    return std::isfinite(value) ? value : fallback;
}

double unit(double value) {
    return std::clamp(value, 0.0, 1.0);
}

bool isTrue(const pugi::xml_node& node, const char* name) {
    const std::string text = node.child_value(name);
    return text == "true" || text == "1";
}

struct RawLayer {
    double min = 0.0;
    double max = 1.0;
    ForeignLayer layer;
};

// The layers of one instrument in the layout the file uses, with their gain before the
// instrument's own volume and pan.
struct InstrumentLayers {
    std::vector<RawLayer> layers;
    int components = 0; // <instrumentComponent>s that hold layers
};

RawLayer layerFrom(const pugi::xml_node& node, const fs::path& folder, double componentGain,
                   const std::string& instrument, Unsupported& unsupported) {
    RawLayer raw;
    raw.min = unit(number(node, "min", 0.0));
    raw.max = unit(number(node, "max", 1.0));
    if (raw.min > raw.max) {
        std::swap(raw.min, raw.max);
    }
    const double gain = std::max(0.0, number(node, "gain", 1.0)) * componentGain;
    raw.layer.gainLeft = gain;
    raw.layer.gainRight = gain;
    const std::string name = node.child_value("filename");
    const fs::path file(name);
    raw.layer.file = file.is_absolute() ? file : joinPath(folder, name);
    if (number(node, "pitch", 0.0) != 0.0) {
        unsupported.add("Pitch", instrument);
    }
    return raw;
}

InstrumentLayers layersOf(const pugi::xml_node& instrument, const fs::path& folder,
                          const std::string& name, Unsupported& unsupported) {
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
        for (const pugi::xml_node layer : component.children("layer")) {
            if (*layer.child_value("filename") != '\0') {
                result.layers.push_back(layerFrom(layer, folder, gain, name, unsupported));
            }
        }
    }
    if (result.components > 1) {
        unsupported.add("A second sample component", name);
    }
    if (result.components == 0) {
        for (const pugi::xml_node layer : instrument.children("layer")) {
            if (*layer.child_value("filename") != '\0') {
                result.layers.push_back(layerFrom(layer, folder, 1.0, name, unsupported));
            }
        }
    }
    if (result.components == 0 && result.layers.empty() &&
        *instrument.child_value("filename") != '\0') {
        // The old layout: one sample for every velocity.
        result.layers.push_back(layerFrom(instrument, folder, 1.0, name, unsupported));
        result.layers.back().min = 0.0;
        result.layers.back().max = 1.0;
    }
    return result;
}

void noteFeatures(const pugi::xml_node& instrument, const std::string& name,
                  Unsupported& unsupported) {
    if (number(instrument, "pitchOffset", 0.0) != 0.0 ||
        number(instrument, "randomPitchFactor", 0.0) != 0.0) {
        unsupported.add("Pitch", name);
    }
    if (number(instrument, "Attack", 0.0) != 0.0 || number(instrument, "Decay", 0.0) != 0.0 ||
        number(instrument, "Sustain", 1.0) != 1.0) {
        unsupported.add("The envelope", name);
    }
    if (number(instrument, "muteGroup", -1.0) >= 0.0) {
        unsupported.add("The mute group", name);
    }
    if (isTrue(instrument, "filterActive")) {
        unsupported.add("The filter", name);
    }
    const std::string algorithm = instrument.child_value("sampleSelectionAlgo");
    if (!algorithm.empty() && algorithm != "VELOCITY") {
        unsupported.add("Random or round-robin layer choice", name);
    }
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

std::vector<std::pair<int, int>>
mapHydrogenWindows(const std::vector<std::pair<double, double>>& windows) {
    std::vector<std::pair<int, int>> mapped(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const int low = i == 0
                            ? std::max(1, static_cast<int>(std::lround(windows[i].first * 127.0)))
                            : mapped[i - 1].second + 1;
        int high = 127;
        if (i + 1 < windows.size()) {
            const double cut = (windows[i].second + windows[i + 1].first) / 2.0;
            high = static_cast<int>(std::floor(cut * 127.0 + 1e-6));
        } else {
            high = static_cast<int>(std::lround(windows[i].second * 127.0));
        }
        mapped[i] = {std::min(low, 127), std::clamp(high, std::min(low, 127), 127)};
    }
    return mapped;
}

std::optional<ForeignKit> parseHydrogenDrumkit(std::string_view xml, const fs::path& folder,
                                               const ReadOptions& options, std::string& error) {
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
    int alternatesLeft = 0;
    int alternatesShared = 0;
    std::vector<std::string> withoutSamples;
    int index = -1;
    for (const pugi::xml_node instrument : root.child("instrumentList").children("instrument")) {
        ++index;
        const std::string name = instrument.child_value("name");
        InstrumentLayers found = layersOf(instrument, folder, name, unsupported);
        if (found.layers.empty()) {
            continue;
        }
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

        std::stable_sort(found.layers.begin(), found.layers.end(),
                         [](const RawLayer& a, const RawLayer& b) {
                             return a.min != b.min ? a.min < b.min : a.max < b.max;
                         });
        // Layers that share a window are alternates of one layer.
        std::vector<std::vector<const RawLayer*>> groups;
        for (const RawLayer& raw : found.layers) {
            if (!groups.empty() && std::abs(groups.back().front()->min - raw.min) < kSameWindow &&
                std::abs(groups.back().front()->max - raw.max) < kSameWindow) {
                groups.back().push_back(&raw);
            } else {
                groups.push_back({&raw});
            }
        }
        std::vector<std::pair<double, double>> windows;
        for (const auto& group : groups) {
            windows.emplace_back(group.front()->min, group.front()->max);
        }
        const std::vector<std::pair<int, int>> mapped = mapHydrogenWindows(windows);
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const auto& group = groups[g];
            const int count = options.alternates == AlternateChoice::Interleave
                                  ? static_cast<int>(group.size())
                                  : 1;
            for (int a = 0; a < count; ++a) {
                ForeignLayer layer = group[static_cast<std::size_t>(a)]->layer;
                const auto [low, high] = velocitySlice(mapped[g].first, mapped[g].second, a, count);
                layer.velocityLow = low;
                layer.velocityHigh = high;
                layer.gainLeft *= volume * panLeft;
                layer.gainRight *= volume * panRight;
                result.layers.push_back(layer);
            }
            if (group.size() > 1) {
                (count == 1 ? alternatesLeft : alternatesShared) +=
                    static_cast<int>(group.size()) - (count == 1 ? 1 : 0);
            }
        }
        kit.instruments.push_back(std::move(result));
    }
    if (alternatesLeft > 0) {
        kit.notes.push_back(std::to_string(alternatesLeft) +
                            " alternate layer(s) that share a velocity window with another "
                            "were left out (the first of each is kept).");
    }
    if (alternatesShared > 0) {
        kit.notes.push_back(std::to_string(alternatesShared) +
                            " alternate layers share their velocity windows in slices.");
    }
    unsupported.appendTo(kit.notes);
    return kit;
}

std::optional<ForeignKit> readHydrogenDrumkit(const fs::path& path, const ReadOptions& options,
                                              std::string& error) {
    std::error_code ec;
    const fs::path file = fs::is_directory(path, ec) ? path / "drumkit.xml" : path;
    std::string text;
    if (!readWholeFile(file, text)) {
        error = "can't read " + file.string();
        return std::nullopt;
    }
    return parseHydrogenDrumkit(text, fs::absolute(file, ec).parent_path(), options, error);
}

} // namespace padsmith::formats
