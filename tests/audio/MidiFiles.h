// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds Standard MIDI Files in memory for the groove tests and benchmarks.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace padsmith::testing {

inline std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFFU));
    }
    return out;
}

// A variable-length quantity.
inline std::string quantity(std::uint32_t value) {
    std::string out(1, static_cast<char>(value & 0x7FU));
    while ((value >>= 7) != 0) {
        out.insert(out.begin(), static_cast<char>(0x80U | (value & 0x7FU)));
    }
    return out;
}

inline std::string bytes(std::initializer_list<unsigned> values) {
    std::string out;
    for (const unsigned value : values) {
        out.push_back(static_cast<char>(value));
    }
    return out;
}

// An event `delta` ticks after the one before it.
inline std::string event(std::uint32_t delta, std::initializer_list<unsigned> values) {
    return quantity(delta) + bytes(values);
}

inline std::string tempoEvent(std::uint32_t delta, std::uint32_t microsecondsPerQuarter) {
    return quantity(delta) + bytes({0xFF, 0x51, 0x03}) + bigEndian(microsecondsPerQuarter, 3);
}

inline std::string endOfTrack(std::uint32_t delta = 0) {
    return event(delta, {0xFF, 0x2F, 0x00});
}

inline std::string midiHeader(unsigned format, unsigned tracks, unsigned division) {
    return "MThd" + bigEndian(6, 4) + bigEndian(format, 2) + bigEndian(tracks, 2) +
           bigEndian(division, 2);
}

inline std::string midiTrack(std::string_view events) {
    return "MTrk" + bigEndian(static_cast<std::uint32_t>(events.size()), 4) + std::string(events);
}

} // namespace padsmith::testing
