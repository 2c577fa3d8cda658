// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Groove.h"

#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

// Time is counted in tick-microseconds (ticks times microseconds a quarter note), which every
// tempo map gives exactly as an integer; a frame is that times the rate over the ticks a quarter
// note times a million.
class FrameClock {
public:
    FrameClock(const MidiFile& file, int rate, double tempoScale)
        : tempos_(file.tempos), rate_(static_cast<std::uint64_t>(rate)),
          divisor_(static_cast<std::uint64_t>(file.ticksPerQuarter) * 1'000'000U) {
        for (MidiTempo& tempo : tempos_) {
            const double scaled = std::round(tempo.microsecondsPerQuarter * tempoScale);
            tempo.microsecondsPerQuarter =
                static_cast<std::uint32_t>(std::clamp(scaled, 1.0, 16'777'215.0));
        }
        limit_ = kLongestGrooveSeconds * 1e6 * file.ticksPerQuarter;
    }

    // The frame of `tick`; nothing when it lies beyond the longest groove. Ticks must come in
    // ascending order.
    std::optional<std::uint64_t> frameOf(std::uint64_t tick) {
        while (next_ < tempos_.size() && tempos_[next_].tick <= tick) {
            if (!advance(tempos_[next_].tick)) {
                return std::nullopt;
            }
            microseconds_ = tempos_[next_].microsecondsPerQuarter;
            ++next_;
        }
        if (!advance(tick)) {
            return std::nullopt;
        }
        return elapsed_ / divisor_ * rate_ + elapsed_ % divisor_ * rate_ / divisor_;
    }

private:
    bool advance(std::uint64_t tick) {
        const std::uint64_t ticks = tick - tick_;
        if (static_cast<double>(elapsed_) + static_cast<double>(ticks) * microseconds_ > limit_) {
            return false;
        }
        elapsed_ += ticks * microseconds_;
        tick_ = tick;
        return true;
    }

    std::vector<MidiTempo> tempos_;
    std::uint64_t rate_;
    std::uint64_t divisor_;
    double limit_ = 0.0;
    std::size_t next_ = 0;
    std::uint64_t tick_ = 0;
    std::uint64_t microseconds_ = MidiFile::kDefaultTempo;
    std::uint64_t elapsed_ = 0; // tick-microseconds up to tick_
};

} // namespace

GrooveResult timeGroove(const MidiFile& file, int rate, std::optional<double> beatsPerMinute) {
    if (rate < kLowestRenderRate || rate > kHighestRenderRate) {
        return {std::nullopt, "a rate of " + std::to_string(rate) + " Hz is outside " +
                                  std::to_string(kLowestRenderRate) + " to " +
                                  std::to_string(kHighestRenderRate)};
    }
    if (file.notes.empty()) {
        return {std::nullopt, "the file holds no note-ons"};
    }
    double scale = 1.0;
    if (beatsPerMinute) {
        if (!(*beatsPerMinute >= 1.0 && *beatsPerMinute <= 1000.0)) {
            return {std::nullopt, "a tempo must lie between 1 and 1000 beats a minute"};
        }
        const std::uint32_t first = file.tempos.empty()
                                        ? MidiFile::kDefaultTempo
                                        : file.tempos.front().microsecondsPerQuarter;
        scale = 60e6 / *beatsPerMinute / first;
    }

    Groove groove;
    groove.rate = rate;
    groove.hits.reserve(file.notes.size());
    FrameClock clock(file, rate, scale);
    const char* tooLong = "the groove lasts longer than four hours";
    for (const MidiNote& note : file.notes) {
        const std::optional<std::uint64_t> frame = clock.frameOf(note.tick);
        if (!frame) {
            return {std::nullopt, tooLong};
        }
        groove.hits.push_back({*frame, note.note, note.velocity});
    }
    const std::uint64_t bar = std::max<std::uint64_t>(file.barTicks, 1);
    const std::uint64_t lastTick = std::max(file.endTick, file.notes.back().tick + 1);
    const std::optional<std::uint64_t> end = clock.frameOf((lastTick + bar - 1) / bar * bar);
    if (!end) {
        return {std::nullopt, tooLong};
    }
    // At absurd tempos the bar may round to no frame at all: a pass still ends after its notes.
    groove.lengthFrames = std::max(*end, groove.hits.back().frame + 1);
    return {std::move(groove), {}};
}

GrooveCursor::GrooveCursor(const Groove& groove, int passes)
    : groove_(&groove), passes_(std::max(passes, 0)) {}

std::optional<GrooveHit> GrooveCursor::peek() const {
    if (groove_->hits.empty() || (passes_ > 0 && pass_ >= passes_)) {
        return std::nullopt;
    }
    GrooveHit hit = groove_->hits[next_];
    hit.frame += static_cast<std::uint64_t>(pass_) * groove_->lengthFrames;
    return hit;
}

void GrooveCursor::take() {
    if (groove_->hits.empty()) {
        return;
    }
    if (++next_ == groove_->hits.size()) {
        next_ = 0;
        ++pass_;
    }
}

std::uint64_t GrooveCursor::endFrame() const {
    return static_cast<std::uint64_t>(passes_) * groove_->lengthFrames;
}

std::vector<int> sweepVelocities() {
    std::vector<int> velocities;
    for (int velocity = 8; velocity < 127; velocity += 8) {
        velocities.push_back(velocity);
    }
    velocities.push_back(127);
    return velocities;
}

Groove velocitySweep(int note, int rate) {
    Groove sweep;
    sweep.rate = rate;
    const std::vector<int> velocities = sweepVelocities();
    const auto spacing = static_cast<std::uint64_t>(std::llround(kSweepSpacingSeconds * rate));
    for (std::size_t i = 0; i < velocities.size(); ++i) {
        sweep.hits.push_back({i * spacing, note, velocities[i]});
    }
    sweep.lengthFrames = velocities.size() * spacing;
    return sweep;
}

} // namespace padsmith
