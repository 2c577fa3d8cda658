// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ForeignKit.h"
#include "formats/KitExport.h"
#include "formats/SampleCopies.h"
#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string out = text;
    if (out == "-0.00") {
        out = "0.00";
    }
    return out;
}

// SFZ volume in dB and pan in -100..100 whose gains are `left` and `right` again when read.
std::pair<double, double> volumeAndPan(double left, double right) {
    const double loud = std::max(left, right);
    if (!(loud > 0.0)) {
        return {-144.0, 0.0};
    }
    const double volume = 20.0 * std::log10(loud);
    const double pan = left > right   ? -(1.0 - right / left) * 100.0
                       : right > left ? (1.0 - left / right) * 100.0
                                      : 0.0;
    return {volume, pan};
}

// Sample paths are written with "/"; an SFZ text has no quoting, so a line end would break it.
std::string sfzText(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

// A sample name an SFZ reader gets back whole: no "=" (a blank and "word=" start the next
// opcode), no "<" (a header), no comment start, no line end, no blanks at either end.
std::string sfzSampleName(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (c == '=' || c == '<' || c == '>' || c == '\n' || c == '\r' || c == '\t') {
            c = '_';
        }
    }
    for (const char* comment : {"//", "/*"}) {
        for (auto at = safe.find(comment); at != std::string::npos; at = safe.find(comment)) {
            safe[at + 1] = '_';
        }
    }
    const auto first = safe.find_first_not_of(' ');
    const auto last = safe.find_last_not_of(' ');
    safe = first == std::string::npos ? "sample.wav" : safe.substr(first, last - first + 1);
    return safe;
}

} // namespace

std::vector<std::string> fieldsNotExported(const KitDocument& kit) {
    int ranges = 0;
    int voices = 0;
    int groups = 0;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            ranges += (zone.keyRangeLow != zone.key || zone.keyRangeHigh != zone.key) &&
                      (zone.keyRangeLow != 0 || zone.keyRangeHigh != 0);
            voices += zone.voices != 0;
            groups += zone.group != 0;
        }
    }
    std::vector<std::string> lines;
    const auto say = [&](int count, const char* what) {
        if (count > 0) {
            lines.push_back(std::string(what) + " of " + std::to_string(count) +
                            " zone(s) is not carried over.");
        }
    };
    say(ranges, "The key range");
    say(voices, "The voice count");
    say(groups, "The group");
    return lines;
}

int zoneCount(const KitDocument& kit) {
    int zones = 0;
    for (const Pad& pad : kit.pads) {
        zones += static_cast<int>(pad.size());
    }
    return zones;
}

ExportResult writeSfz(const KitDocument& kit, const fs::path& file, bool dryRun,
                      const ConvertProgress& progress) {
    ExportResult result;
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (!dryRun && !createFolderChain(folder)) {
        result.error = "can't create " + folder.string();
        return result;
    }
    SampleCopies copies(folder, sfzSampleName);
    std::string text = "// " + sfzText(kit.kitName) + ", a drum kit written by Padsmith\n";
    if (!kit.copyright.empty()) {
        text += "// " + sfzText(kit.copyright) + "\n";
    }
    text += "\n<control>\n<global>\n";
    std::vector<std::string> missing;
    const int total = zoneCount(kit);
    int done = 0;
    for (const Pad& pad : kit.pads) {
        if (pad.empty()) {
            continue;
        }
        text += "\n<group> group_label=" + sfzText(pad.label) + "\n";
        for (const SampleZone& zone : pad) {
            if (progress) {
                progress(done++, total);
            }
            std::string problem;
            const std::optional<std::string> name = copies.place(zone, problem, dryRun);
            if (!name) {
                missing.push_back(problem);
                continue;
            }
            const auto [volume, pan] = volumeAndPan(zone.gainLeft, zone.gainRight);
            text += "<region> sample=" + sfzText(*name) + " key=" + std::to_string(zone.key) +
                    " lovel=" + std::to_string(zone.velocityLow) +
                    " hivel=" + std::to_string(zone.velocityHigh) + " volume=" + number(volume) +
                    " pan=" + number(pan) + "\n";
            ++result.regions;
        }
    }
    result.report = fieldsNotExported(kit);
    if (!copies.renamed().empty()) {
        result.report.push_back("Sample names SFZ cannot hold were copied under another name: " +
                                listNames(copies.renamed(), 4) + ".");
    }
    if (!missing.empty()) {
        result.report.push_back(std::to_string(missing.size()) + " zone(s) were left out: " +
                                missing.front() + (missing.size() > 1 ? " and more." : "."));
    }
    if (!dryRun && !replaceFileContents(file, text)) {
        result.error = "can't write " + file.string();
        return result;
    }
    result.written = !dryRun;
    return result;
}

} // namespace padsmith::formats
