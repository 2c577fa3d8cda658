// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ForeignKit.h"
#include "formats/KitExport.h"
#include "formats/SampleCopies.h"
#include "formats/hydrogen/DrumkitArchive.h"
#include "kit/NoteNames.h"
#include "platform/Files.h"

#include <algorithm>
#include <map>
#include <pugixml.hpp>
#include <sstream>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

constexpr int kFirstKey = 36;          // Hydrogen's input note of its first instrument
constexpr std::size_t kMaxLayers = 16; // the layers of an instrument Hydrogen reads

struct Layer {
    std::string file;
    const SampleZone* zone = nullptr;
};

struct Instrument {
    std::string name;
    std::vector<Layer> layers;
};

void addText(pugi::xml_node parent, const char* name, const std::string& value) {
    parent.append_child(name).text().set(value.c_str());
}

void addNumber(pugi::xml_node parent, const char* name, double value) {
    parent.append_child(name).text().set(value);
}

// An instrument as Hydrogen writes one, with neutral settings and every element its schema
// asks for, and the component that holds its layers. Hydrogen drops an instrument without one
// as corrupt, and every later instrument would move down a key.
pugi::xml_node addInstrument(pugi::xml_node list, int id, const std::string& name, int key,
                             double panLeft, double panRight) {
    pugi::xml_node node = list.append_child("instrument");
    addNumber(node, "id", id);
    addText(node, "name", name);
    addNumber(node, "volume", 1.0);
    addText(node, "isMuted", "false");
    addText(node, "isSoloed", "false");
    addNumber(node, "pan_L", panLeft);
    addNumber(node, "pan_R", panRight);
    addNumber(node, "pitchOffset", 0.0);
    addNumber(node, "randomPitchFactor", 0.0);
    addNumber(node, "gain", 1.0);
    addText(node, "applyVelocity", "true");
    addText(node, "filterActive", "false");
    addNumber(node, "filterCutoff", 1.0);
    addNumber(node, "filterResonance", 0.0);
    addNumber(node, "Attack", 0);
    addNumber(node, "Decay", 0);
    addNumber(node, "Sustain", 1.0);
    addNumber(node, "Release", 1000);
    addNumber(node, "muteGroup", -1);
    addNumber(node, "midiOutChannel", -1);
    addNumber(node, "midiOutNote", key);
    addText(node, "isStopNote", "false");
    addText(node, "sampleSelectionAlgo", "VELOCITY");
    addNumber(node, "isHihat", -1);
    addNumber(node, "lower_cc", 0);
    addNumber(node, "higher_cc", 127);
    for (const char* fx : {"FX1Level", "FX2Level", "FX3Level", "FX4Level"}) {
        addNumber(node, fx, 0.0);
    }
    pugi::xml_node component = node.append_child("instrumentComponent");
    addNumber(component, "component_id", 0);
    addNumber(component, "gain", 1.0);
    return component;
}

} // namespace

ExportResult writeHydrogenDrumkit(const KitDocument& kit, const fs::path& folder,
                                  const std::string& name, bool dryRun,
                                  const ConvertProgress& progress) {
    ExportResult result;
    if (!dryRun && !createFolderChain(folder)) {
        result.error = "can't create " + folder.string();
        return result;
    }
    SampleCopies copies(folder);
    std::map<int, Instrument> byKey;
    std::vector<std::string> lowKeys;
    std::vector<std::string> spread;
    std::vector<std::string> missing;
    const int total = zoneCount(kit);
    int done = 0;
    for (const Pad& pad : kit.pads) {
        bool severalKeys = false;
        for (const SampleZone& zone : pad) {
            severalKeys = severalKeys || zone.key != pad.at(0).key;
            if (zone.key < kFirstKey || zone.key > 127) {
                lowKeys.push_back(pad.label + " (" + noteName(zone.key) + ")");
                continue;
            }
            if (progress) {
                progress(done++, total);
            }
            std::string problem;
            const std::optional<std::string> file = copies.place(zone, problem, dryRun);
            if (!file) {
                missing.push_back(problem);
                continue;
            }
            Instrument& instrument = byKey[zone.key];
            if (instrument.name.empty()) {
                instrument.name = pad.label;
            }
            instrument.layers.push_back({*file, &zone});
            ++result.regions;
        }
        if (severalKeys) {
            spread.push_back(pad.label);
        }
    }

    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child("drumkit_info");
    root.append_attribute("xmlns") = "http://www.hydrogen-music.org/drumkit";
    root.append_attribute("xmlns:xsi") = "http://www.w3.org/2001/XMLSchema-instance";
    addText(root, "name", name);
    addText(root, "author", kit.copyright);
    addText(root, "info", "Written by Padsmith.");
    addText(root, "license", "");
    addText(root, "image", "");
    addText(root, "imageLicense", "");
    pugi::xml_node component = root.append_child("componentList").append_child("drumkitComponent");
    addNumber(component, "id", 0);
    addText(component, "name", "Main");
    addNumber(component, "volume", 1.0);
    pugi::xml_node list = root.append_child("instrumentList");
    std::vector<std::string> mixedPan;
    std::vector<std::string> gaps;
    std::vector<std::string> crowded;
    const int lastKey = byKey.empty() ? kFirstKey - 1 : byKey.rbegin()->first;
    for (int key = kFirstKey; key <= lastKey; ++key) {
        const auto found = byKey.find(key);
        if (found == byKey.end()) {
            addInstrument(list, key - kFirstKey, "", key, 1.0, 1.0); // holds the next ones' keys
            continue;
        }
        Instrument& instrument = found->second;
        std::stable_sort(instrument.layers.begin(), instrument.layers.end(),
                         [](const Layer& a, const Layer& b) {
                             return a.zone->velocityLow < b.zone->velocityLow;
                         });
        // Hydrogen pans the instrument, not its layers: the first zone's balance is taken.
        const SampleZone& first = *instrument.layers.front().zone;
        const double loud = std::max(first.gainLeft, first.gainRight);
        const double panLeft = loud > 0.0 ? first.gainLeft / loud : 1.0;
        const double panRight = loud > 0.0 ? first.gainRight / loud : 1.0;
        pugi::xml_node layers =
            addInstrument(list, key - kFirstKey, instrument.name, key, panLeft, panRight);
        // Hydrogen plays its nearest layer where no window holds a velocity: the pad is silent.
        std::vector<bool> held(128, false);
        for (const Layer& layer : instrument.layers) {
            for (int v = layer.zone->velocityLow; v <= layer.zone->velocityHigh && v <= 127; ++v) {
                held[static_cast<std::size_t>(std::max(v, 0))] = true;
            }
        }
        if (std::find(held.begin() + 1, held.end(), false) != held.end()) {
            gaps.push_back(instrument.name + " (" + noteName(key) + ")");
        }
        if (instrument.layers.size() > kMaxLayers) {
            crowded.push_back(instrument.name + " (" + noteName(key) + ")");
        }
        for (const Layer& layer : instrument.layers) {
            const SampleZone& zone = *layer.zone;
            const double zoneLoud = std::max(zone.gainLeft, zone.gainRight);
            if (zoneLoud > 0.0 && (std::abs(zone.gainLeft / zoneLoud - panLeft) > 0.01 ||
                                   std::abs(zone.gainRight / zoneLoud - panRight) > 0.01)) {
                mixedPan.push_back(instrument.name);
            }
            pugi::xml_node node2 = layers.append_child("layer");
            addText(node2, "filename", layer.file);
            // Neighbouring windows meet at the middle of 0..1 steps of 1/127, as they are read.
            addNumber(node2, "min", zone.velocityLow <= 1 ? 0.0 : zone.velocityLow / 127.0);
            addNumber(node2, "max", zone.velocityHigh / 127.0);
            addNumber(node2, "gain", zoneLoud);
            addNumber(node2, "pitch", 0.0);
        }
    }

    result.report = fieldsNotExported(kit);
    if (!lowKeys.empty()) {
        result.report.push_back(
            "Zones on keys below C1 (36), where Hydrogen has no instrument, "
            "were left out: " +
            lowKeys.front() +
            (lowKeys.size() > 1 ? " and " + std::to_string(lowKeys.size() - 1) + " more." : "."));
    }
    if (!spread.empty()) {
        std::string names;
        for (const std::string& label : spread) {
            names += (names.empty() ? "" : ", ") + label;
        }
        result.report.push_back("Pads with zones on several keys become one instrument per "
                                "key: " +
                                names + ".");
    }
    if (!mixedPan.empty()) {
        result.report.push_back("Hydrogen pans a whole instrument; layers with another balance "
                                "than the first take its pan: " +
                                listNames(mixedPan) + ".");
    }
    if (!gaps.empty()) {
        result.report.push_back("Velocities no zone plays play the nearest layer in Hydrogen: " +
                                listNames(gaps) + ".");
    }
    if (!crowded.empty()) {
        result.report.push_back("Hydrogen plays only the first " + std::to_string(kMaxLayers) +
                                " layers of an instrument: " + listNames(crowded) + ".");
    }
    if (!missing.empty()) {
        result.report.push_back(std::to_string(missing.size()) + " zone(s) were left out: " +
                                missing.front() + (missing.size() > 1 ? " and more." : "."));
    }
    if (byKey.empty()) {
        // Hydrogen's schema wants an instrument; a drumkit without a sample is no export.
        result.error = "no zone has a sample that can be copied" +
                       (missing.empty() ? std::string() : " (" + missing.front() + ")");
        return result;
    }
    std::ostringstream xml;
    document.save(xml, "  ", pugi::format_default, pugi::encoding_utf8);
    if (!dryRun && !replaceFileContents(folder / "drumkit.xml", xml.str())) {
        result.error = "can't write " + (folder / "drumkit.xml").string();
        return result;
    }
    result.written = !dryRun;
    return result;
}

ExportResult writeHydrogenArchive(const KitDocument& kit, const fs::path& archive,
                                  const std::string& name, const fs::path& workFolder, bool dryRun,
                                  const ConvertProgress& progress) {
    // The folder in the archive is the kit's name, as Hydrogen names an installed kit.
    std::string folderName = name;
    for (char& c : folderName) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) {
            c = '_';
        }
    }
    if (folderName.empty() || folderName == "." || folderName == "..") {
        folderName = "drumkit";
    }
    const fs::path folder = workFolder / "pack" / folderName;
    deletePath(workFolder / "pack");
    ExportResult result = writeHydrogenDrumkit(kit, folder, name, dryRun, progress);
    if (dryRun || !result.error.empty()) {
        return result;
    }
    std::string error;
    if (!createFolderChain(archive.parent_path().empty() ? fs::path(".") : archive.parent_path()) ||
        !packDrumkitArchive(folder, archive, error)) {
        result.written = false;
        result.error = error.empty() ? "can't write " + archive.string() : error;
    }
    deletePath(workFolder / "pack");
    return result;
}

} // namespace padsmith::formats
