// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

// A note-on of a MIDI file, at its tick (counted from the start of the file).
struct MidiNote {
    std::uint64_t tick = 0;
    int channel = 0;
    int note = 0;
    int velocity = 1; // 1 to 127: a note-on with velocity 0 is a note-off and is not kept
};

// A tempo from `tick` on, as microseconds per quarter note.
struct MidiTempo {
    std::uint64_t tick = 0;
    std::uint32_t microsecondsPerQuarter = 500'000;
};

// What a groove needs of a Standard MIDI File (type 0 or 1): its note-ons in time order, its
// tempo changes and its end. Other events are read past and dropped.
struct MidiFile {
    static constexpr std::uint32_t kDefaultTempo = 500'000; // 120 beats a minute

    int format = 0;
    int trackCount = 0;
    // Ticks per quarter note. A file timed in SMPTE frames is given one fixed tempo of a
    // quarter note a second (of 30 frames at 29.97 frames a second), so the rest of the program
    // times every file alike.
    int ticksPerQuarter = 96;
    std::vector<MidiNote> notes;   // by tick; notes of one tick in track order, then file order
    std::vector<MidiTempo> tempos; // by tick, the first at tick 0
    std::uint64_t endTick = 0;     // the latest end of a track
    // The first time signature's bar length in ticks (a bar of 4/4 when the file gives none).
    std::uint64_t barTicks = 0;
};

// The file, or why it is refused: truncated or mislabelled chunks, events that run past their
// track, a data byte where a status byte must be, or a type this reader does not play.
struct MidiReadResult {
    std::optional<MidiFile> file;
    std::string error;
};

// Parses a whole file held in memory. Every length the file states is checked against the bytes
// really there; memory is bounded by the size of the file.
MidiReadResult parseMidiFile(std::string_view bytes);
// The same over a file on disk (read whole, and at most 16 MiB).
MidiReadResult readMidiFile(const std::filesystem::path& path);

} // namespace padsmith
