// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoGrooves.h"

#include <algorithm>
#include <cstdint>

namespace padsmith::demo {

namespace {

constexpr int kTicks = 480; // a quarter note
constexpr int kEighth = kTicks / 2;
constexpr int kSixteenth = kTicks / 4;
constexpr int kBar = 4 * kTicks;

enum Key { Kick = 36, Snare = 38, HatClosed = 42, HatOpen = 46, Crash = 49 };
constexpr int kTomHigh = 50;
constexpr int kTomMid = 47;
constexpr int kTomLow = 45;
constexpr int kTomFloor = 41;

std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFFU));
    }
    return out;
}

std::string quantity(std::uint32_t value) {
    std::string out(1, static_cast<char>(value & 0x7FU));
    while ((value >>= 7) != 0) {
        out.insert(out.begin(), static_cast<char>(0x80U | (value & 0x7FU)));
    }
    return out;
}

struct Hit {
    int tick;
    int key;
    int velocity;
};

// One track: its name, the tempo and 4/4 when asked, the hits as note-ons and note-offs on the
// drum channel (running status, as sequencers write them), and its end at `length` ticks.
std::string track(const std::string& name, std::vector<Hit> hits, int length,
                  std::vector<std::pair<int, int>> tempos = {}) {
    struct Event {
        int tick;
        int order;
        std::string bytes;
    };
    std::vector<Event> events;
    events.push_back({0, 0, "\xFF\x03" + quantity(static_cast<std::uint32_t>(name.size())) + name});
    for (const auto& [tick, beatsPerMinute] : tempos) {
        const auto microseconds = static_cast<std::uint32_t>(60'000'000 / beatsPerMinute);
        events.push_back({tick, 1, "\xFF\x51\x03" + bigEndian(microseconds, 3)});
    }
    if (!tempos.empty()) {
        events.push_back({0, 1, std::string("\xFF\x58\x04\x04\x02\x18\x08", 7)});
    }
    for (const Hit& hit : hits) {
        const char key = static_cast<char>(hit.key);
        events.push_back(
            {hit.tick, 3, std::string("\x99") + key + static_cast<char>(hit.velocity)});
        // Released a sixteenth later, as a note-on of velocity 0.
        events.push_back({hit.tick + kSixteenth, 2, std::string("\x99") + key + '\0'});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string body;
    int now = 0;
    char running = 0;
    for (const Event& event : events) {
        body += quantity(static_cast<std::uint32_t>(event.tick - now));
        now = event.tick;
        if (event.bytes[0] == running) {
            body += event.bytes.substr(1);
        } else {
            body += event.bytes;
            // A meta event ends running status, as the format has it.
            running = event.bytes[0] == '\x99' ? '\x99' : '\0';
        }
    }
    body += quantity(static_cast<std::uint32_t>(std::max(length - now, 0))) + "\xFF\x2F" +
            std::string(1, '\0');
    return "MTrk" + bigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

std::string header(int format, int tracks) {
    return "MThd" + bigEndian(6, 4) + bigEndian(static_cast<std::uint32_t>(format), 2) +
           bigEndian(static_cast<std::uint32_t>(tracks), 2) + bigEndian(kTicks, 2);
}

// Two bars: eighth hats with the downbeats louder, kick on one and three (and the "and" of three
// in the second bar), snare on two and four. One track (type 0).
std::string rockBeat() {
    std::vector<Hit> hits;
    for (int bar = 0; bar < 2; ++bar) {
        const int start = bar * kBar;
        for (int eighth = 0; eighth < 8; ++eighth) {
            hits.push_back({start + eighth * kEighth, HatClosed, eighth % 2 == 0 ? 100 : 72});
        }
        hits.push_back({start, Kick, 110});
        hits.push_back({start + 2 * kTicks, Kick, 100});
        hits.push_back({start + kTicks, Snare, 112});
        hits.push_back({start + 3 * kTicks, Snare, 118});
    }
    hits.push_back({kBar + 2 * kTicks + kEighth, Kick, 90});
    return header(0, 1) + track("Rock Beat", hits, 2 * kBar, {{0, 112}});
}

// Two bars of a shuffle at 96: the hats on the first and third eighth of each triplet, ghost
// notes on the snare, an open hat at the end. Tempo, hats and drums on tracks of their own
// (type 1).
std::string shuffle() {
    constexpr int kTriplet = kTicks / 3;
    std::vector<Hit> hats;
    std::vector<Hit> drums;
    for (int beat = 0; beat < 8; ++beat) {
        const int start = beat * kTicks;
        hats.push_back({start, HatClosed, beat % 2 == 0 ? 96 : 80});
        hats.push_back({start + 2 * kTriplet, beat == 7 ? HatOpen : HatClosed, 64});
        if (beat % 2 == 0) {
            drums.push_back({start, Kick, 108});
            drums.push_back({start + 2 * kTriplet, Snare, 28}); // a ghost note before the backbeat
        } else {
            drums.push_back({start, Snare, 115});
        }
    }
    drums.push_back({5 * kTicks + 2 * kTriplet, Kick, 84});
    return header(1, 3) + track("Shuffle", {}, 0, {{0, 96}}) + track("Hats", hats, 2 * kBar) +
           track("Kick and snare", drums, 2 * kBar);
}

// A bar of beat, a bar of sixteenths down the toms from high to floor, and the crash with the
// kick on the next downbeat; the last beat of the fill pulls back a little (a tempo change).
std::string tomFill() {
    std::vector<Hit> hits;
    for (int eighth = 0; eighth < 8; ++eighth) {
        hits.push_back({eighth * kEighth, HatClosed, eighth % 2 == 0 ? 96 : 70});
    }
    hits.push_back({0, Kick, 110});
    hits.push_back({kTicks, Snare, 110});
    hits.push_back({2 * kTicks, Kick, 100});
    hits.push_back({3 * kTicks, Snare, 116});
    const int toms[] = {kTomHigh, kTomMid, kTomLow, kTomFloor};
    for (int sixteenth = 0; sixteenth < 16; ++sixteenth) {
        const int key = toms[sixteenth / 4];
        hits.push_back({kBar + sixteenth * kSixteenth, key, 80 + sixteenth * 3});
    }
    hits.push_back({2 * kBar, Crash, 124});
    hits.push_back({2 * kBar, Kick, 120});
    return header(0, 1) +
           track("Tom Fill", hits, 3 * kBar, {{0, 104}, {kBar + 3 * kTicks, 98}, {2 * kBar, 104}});
}

} // namespace

std::vector<DemoGroove> demoGrooves() {
    return {{"Rock Beat.mid", rockBeat()}, {"Shuffle.mid", shuffle()}, {"Tom Fill.mid", tomFill()}};
}

} // namespace padsmith::demo
