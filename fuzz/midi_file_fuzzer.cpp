// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the MIDI file reader and times what it accepts: neither may crash,
// read out of bounds or keep more than the input justifies, and an accepted groove must be in
// time order, every note within one pass.
#include "audio/Groove.h"
#include "audio/MidiFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const padsmith::MidiReadResult read = padsmith::parseMidiFile(bytes);
    if (read.file.has_value() != read.error.empty()) {
        __builtin_trap(); // a file comes without a reason, a refusal with one
    }
    if (!read.file) {
        return 0;
    }
    const padsmith::MidiFile& file = *read.file;
    bool sound = file.notes.size() <= size / 3 && !file.tempos.empty() &&
                 file.tempos.front().tick == 0 && file.ticksPerQuarter > 0 && file.barTicks > 0;
    for (std::size_t i = 0; i < file.notes.size() && sound; ++i) {
        const padsmith::MidiNote& note = file.notes[i];
        sound = note.note >= 0 && note.note <= 127 && note.velocity >= 1 && note.velocity <= 127 &&
                note.channel >= 0 && note.channel <= 15 &&
                (i == 0 || file.notes[i - 1].tick <= note.tick);
    }
    for (const padsmith::MidiTempo& tempo : file.tempos) {
        sound = sound && tempo.microsecondsPerQuarter > 0;
    }
    if (!sound) {
        __builtin_trap();
    }

    const int rate = 8000 + data[0] * 1000;
    const padsmith::GrooveResult timed = padsmith::timeGroove(
        file, rate, size % 3 == 0 ? std::optional<double>(97.5) : std::nullopt);
    if (timed.groove) {
        const padsmith::Groove& groove = *timed.groove;
        for (std::size_t i = 0; i < groove.hits.size(); ++i) {
            if (groove.hits[i].frame >= groove.lengthFrames ||
                (i > 0 && groove.hits[i - 1].frame > groove.hits[i].frame)) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
