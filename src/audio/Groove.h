// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/MidiFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace padsmith {

// A note-on at a frame of an output running at some rate.
struct GrooveHit {
    std::uint64_t frame = 0;
    int note = 0;
    int velocity = 0;
};

// A groove timed for one output rate: its note-ons by frame, and the frames one pass takes
// (the next pass of a loop starts there).
struct Groove {
    int rate = 48000;
    std::vector<GrooveHit> hits;
    std::uint64_t lengthFrames = 0;
};

inline constexpr int kLowestRenderRate = 8000;
inline constexpr int kHighestRenderRate = 384000;
// A groove longer than this is taken for a broken file.
inline constexpr double kLongestGrooveSeconds = 4 * 3600.0;

// The result of timing a file, or why it cannot be played.
struct GrooveResult {
    std::optional<Groove> groove;
    std::string error;
};

// Times the notes of `file` at `rate` frames a second, sample-exact: each note falls on the
// frame that the file's tempo map gives it, rounded down. With `beatsPerMinute`, the file's
// first tempo becomes that one and every later tempo change keeps its proportion to it. One pass
// lasts to the latest end of a track, rounded up to a whole bar of the file's first time
// signature, so a loop keeps the beat even when the file ends on its last note. A file without
// note-ons, a tempo outside 1 to 1000 beats a minute, or a groove over four hours is refused.
GrooveResult timeGroove(const MidiFile& file, int rate,
                        std::optional<double> beatsPerMinute = std::nullopt);

// Walks the hits of a groove pass after pass, in time order: the one order in which a render
// and a live player take them. Frames count from the start of the first pass.
class GrooveCursor {
public:
    // `groove` must outlive the cursor; `passes` 0 loops without end.
    GrooveCursor(const Groove& groove, int passes);
    // The next hit; nothing once the last pass is done.
    std::optional<GrooveHit> peek() const;
    // Moves on past the hit peek() gives.
    void take();
    // Where the last pass ends (0 for an endless loop).
    std::uint64_t endFrame() const;

private:
    const Groove* groove_;
    int passes_;
    int pass_ = 0;
    std::size_t next_ = 0;
};

// The velocities of a sweep: 8, 16, ... 120, then 127, so each layer switch is heard.
std::vector<int> sweepVelocities();
// How far apart the hits of a sweep are.
inline constexpr double kSweepSpacingSeconds = 0.25;
// `note` at each sweep velocity, kSweepSpacingSeconds apart at `rate`; one pass lasts to the
// end of the last hit's quarter second.
Groove velocitySweep(int note, int rate);

} // namespace padsmith
