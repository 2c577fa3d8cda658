// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/sfz/SfzRegions.h"

#include "formats/sfz/SfzText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

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

double number(const SfzOpcodes& opcodes, std::string_view name, double fallback) {
    const auto found = opcodes.find(name);
    if (found == opcodes.end()) {
        return fallback;
    }
    return numberOf(found->second).value_or(fallback);
}

} // namespace

void SfzRegionBuilder::add(const SfzOpcodes& opcodes) {
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
    SfzRegion region;
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

std::string SfzRegionBuilder::controlText(std::string_view name) const {
    const auto found = control.find(name);
    return found == control.end() ? std::string() : found->second;
}

double SfzRegionBuilder::controlNumber(std::string_view name, double fallback) const {
    return number(control, name, fallback);
}

// Regions of one key that play together: the same velocity window.
using RegionSet = std::vector<const SfzRegion*>;

ForeignInstrument sfzInstrument(int key, const std::vector<const SfzRegion*>& regions,
                                const std::map<std::string, std::set<int>>& groupKeys,
                                const ReadOptions& options, SfzLeftOut& leftOut) {
    ForeignInstrument instrument;
    instrument.key = key;
    const SfzRegion& first = *regions.front();
    if (!first.label.empty()) {
        instrument.name = first.label;
    } else if (!first.group.empty() && groupKeys.at(first.group).size() == 1) {
        instrument.name = first.group;
    } else {
        instrument.name = fs::path(first.sampleName).stem().string();
    }
    std::vector<RegionSet> sets;
    for (const SfzRegion* region : regions) {
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
        std::vector<const SfzRegion*> alternates;
        std::vector<const SfzRegion*> others;
        for (const SfzRegion* region : set) {
            (region->alternate() ? alternates : others).push_back(region);
        }
        std::stable_sort(
            alternates.begin(), alternates.end(), [](const SfzRegion* a, const SfzRegion* b) {
                return a->seqPosition != b->seqPosition ? a->seqPosition < b->seqPosition
                                                        : a->randLow < b->randLow;
            });
        // Regions of one window without alternation all sound at once in SFZ; a kit plays one.
        std::vector<const SfzRegion*> kept;
        if (!others.empty()) {
            kept.push_back(others.front());
            leftOut.stacked += static_cast<int>(others.size()) - 1;
        }
        if (!alternates.empty() && kept.empty()) {
            if (options.alternates == AlternateChoice::Interleave) {
                leftOut.alternatesShared += static_cast<int>(alternates.size());
                kept = std::move(alternates);
            } else {
                kept.push_back(alternates.front());
                leftOut.alternatesLeft += static_cast<int>(alternates.size()) - 1;
            }
        } else if (!alternates.empty()) {
            leftOut.alternatesLeft += static_cast<int>(alternates.size());
        }
        const int count = static_cast<int>(kept.size());
        for (int i = 0; i < count; ++i) {
            const SfzRegion& region = *kept[static_cast<std::size_t>(i)];
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

} // namespace padsmith::formats
