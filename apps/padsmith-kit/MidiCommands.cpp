// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI commands of padsmith-kit: trigger, midi-monitor.
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "audio/MidiInput.h"
#include "kit/KitDocument.h"
#include "kit/KitScript.h"
#include "kit/NoteNames.h"
#include "kit/Trigger.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

// A MIDI number 0 to 127, or for a note also its name ("C1", "F#3").
std::optional<int> parseMidiValue(const std::string& text, bool allowNoteName) {
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used == text.size() && value >= 0 && value <= 127) {
            return value;
        }
        return std::nullopt;
    } catch (const std::exception&) {
    }
    const int key = allowNoteName ? noteIndex(text) : -1;
    return key >= 0 ? std::optional<int>(key) : std::nullopt;
}

bool loadKitBesideItsFolder(KitDocument& kit, const fs::path& path) {
    KitLocation location;
    location.pluginFolder = fs::absolute(path).parent_path();
    return loadKit(kit, path, location, std::nullopt);
}

// "pad 2 row 1 (snare.wav): /samples/snare.wav", pad and row counted from 1.
std::string zoneText(const KitDocument& kit, const ZoneRef& ref) {
    const SampleZone& zone =
        kit.pads[static_cast<std::size_t>(ref.pad)].at(static_cast<std::size_t>(ref.position));
    return "pad " + std::to_string(ref.pad + 1) + " row " + std::to_string(ref.position + 1) +
           " (" + zone.sampleName + "): " + zone.sourcePath;
}

// Prints the zone a note-on would play in the editor; exit 1 when it plays none.
int runTrigger(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return usageError("usage: trigger KIT NOTE VELOCITY");
    }
    const std::optional<int> note = parseMidiValue(args[1], true);
    const std::optional<int> velocity = parseMidiValue(args[2], false);
    if (!note || !velocity) {
        return usageError("NOTE is 0 to 127 or a note name (C1, F#3), VELOCITY 0 to 127");
    }
    KitDocument kit;
    if (!loadKitBesideItsFolder(kit, args[0])) {
        return 1;
    }
    const auto noteOn = noteOnIn(packMidiMessage(0x90, static_cast<std::uint8_t>(*note),
                                                 static_cast<std::uint8_t>(*velocity)));
    if (!noteOn) {
        std::fprintf(stderr, "padsmith-kit: velocity 0 is a note-off: nothing plays\n");
        return 1;
    }
    const std::optional<ZoneRef> zone = triggeredZone(kit, noteOn->note, noteOn->velocity);
    if (!zone) {
        std::fprintf(stderr, "padsmith-kit: no zone plays %s (%d) at velocity %d\n",
                     noteName(*note).c_str(), *note, *velocity);
        return 1;
    }
    std::printf("%s\n", zoneText(kit, *zone).c_str());
    return 0;
}

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int /*signal*/) {
    interrupted = 1;
}

// Lists the MIDI input ports, then prints every note-on as it arrives (and with a kit, the
// zone it plays) until interrupted.
int runMidiMonitor(const std::vector<std::string>& args) {
    std::optional<std::string> kitPath;
    bool verbose = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--kit" && i + 1 < args.size()) {
            kitPath = args[++i];
        } else if (args[i] == "--verbose") {
            verbose = true;
        } else {
            return usageError("usage: midi-monitor [--kit KIT] [--verbose]");
        }
    }
    const std::string system = MidiInput::preferredSystem(QString());
    if (!system.empty() && !MidiInput::isKnownSystem(system)) {
        return usageError(std::string(MidiInput::kApiVariable) + " names no MIDI system: \"" +
                          system + "\" (accepted: " + MidiInput::knownSystemsText() +
                          ", in any letter case)");
    }
    KitDocument kit;
    if (kitPath && !loadKitBesideItsFolder(kit, *kitPath)) {
        return 1;
    }

    int argc = 1;
    char name[] = "padsmith-kit";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    MidiInput midi;
    midi.setVerbose(verbose);
    if (!midi.open(system)) {
        std::fprintf(stderr, "padsmith-kit: no MIDI system could be opened\n");
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("MIDI system: %s\n", midi.systemName().toStdString().c_str());
    QStringList ports = midi.openPorts();
    for (const QString& port : ports) {
        std::printf("port: %s\n", port.toStdString().c_str());
    }
    if (ports.isEmpty()) {
        std::printf("no input port yet; new ports are opened as they appear\n");
    }
    QObject::connect(&midi, &MidiInput::portsChanged, [&] {
        const QStringList now = midi.openPorts();
        for (const QString& port : now) {
            if (!ports.contains(port)) {
                std::printf("port opened: %s\n", port.toStdString().c_str());
            }
        }
        for (const QString& port : ports) {
            if (!now.contains(port)) {
                std::printf("port closed: %s\n", port.toStdString().c_str());
            }
        }
        ports = now;
    });
    QObject::connect(&midi, &MidiInput::message, [&](quint32 packed) {
        const std::optional<NoteOn> noteOn = noteOnIn(packed);
        if (!noteOn) {
            return;
        }
        std::string line = "note-on channel " + std::to_string(noteOn->channel + 1) + " " +
                           noteName(noteOn->note) + " (" + std::to_string(noteOn->note) +
                           ") velocity " + std::to_string(noteOn->velocity);
        if (kitPath) {
            const std::optional<ZoneRef> zone = triggeredZone(kit, noteOn->note, noteOn->velocity);
            line += zone ? " -> " + zoneText(kit, *zone) : " -> no zone";
        }
        std::printf("%s\n", line.c_str());
    });

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (interrupted != 0) {
            app.quit();
        }
    });
    watch.start(100);
    app.exec();
    return 0;
}

constexpr ToolCommand kMidiCommands[] = {
    {"trigger", "trigger KIT NOTE VELOCITY", runTrigger,
     "Prints the zone that a note-on plays in the editor: pads 1 to 18 in order and each pad's "
     "zones in list order, the first whose key is the note and whose velocity window holds the "
     "velocity (a zone whose upper bound is 0 answers every velocity). The line gives the pad "
     "and row, counted from 1, the sample name and the source path. NOTE is 0 to 127 or a note "
     "name such as C1 or F#3; velocity 0 is a note-off and plays nothing.",
     "",
     "0\ta zone plays the note\n"
     "1\tno zone plays it, velocity 0, or the kit could not be read\n"
     "2\twrong usage"},
    {"midi-monitor", "midi-monitor [--kit KIT] [--verbose]", runMidiMonitor,
     "Lists the MIDI input ports, then prints every note-on as it arrives, with the zone of the "
     "kit it plays, until interrupted. Ports plugged in or removed later are opened and closed "
     "as the editor does. The MIDI system is the one named by PADSMITH_MIDI_API (alsa, jack, in "
     "any letter case), else the first that works.",
     "--kit KIT\talso print the zone of KIT that each note-on plays\n"
     "--verbose\tlet the MIDI libraries' own messages through to stderr (a missing ALSA "
     "sequencer, a JACK server that is not running)",
     "0\tended by an interrupt\n"
     "1\tno MIDI system could be opened, or the kit could not be read\n"
     "2\twrong usage, or PADSMITH_MIDI_API names no MIDI system"},
};

} // namespace

std::span<const ToolCommand> midiCommands() {
    return kMidiCommands;
}

} // namespace padsmith::tool
