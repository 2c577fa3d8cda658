#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace padsmith {

// Brings 16-bit PCM of any rate and channel count to the one format the open output stream
// plays: stereo at the output's rate. Mono goes to both sides, more than two channels give
// their first two. A different rate is met by interpolating between neighbouring frames; the
// input may come in pieces of any size, and the result is the same as for one piece.
class RateConverter {
public:
    RateConverter(int inputRate, int inputChannels, int outputRate);

    // Hands over the next input frames (interleaved 16-bit, little-endian as in a WAVE file).
    void push(const char* data, std::size_t bytes);
    // No more input will come: the last frames may be given out.
    void finish() { finished_ = true; }
    // Appends up to `frames` output frames to `out` (stereo 16-bit); returns how many.
    std::size_t pull(std::size_t frames, std::string& out);
    // Output frames that pull() can give now.
    std::size_t available() const;
    // Input frames still needed for `frames` output frames more than available() gives.
    std::size_t inputFramesFor(std::size_t frames) const;
    // True when every input frame has gone out.
    bool drained() const { return finished_ && available() == 0; }

private:
    struct Frame {
        std::int32_t left = 0;
        std::int32_t right = 0;
    };
    Frame frameAt(std::size_t index) const;

    int channels_;
    bool sameRate_;
    std::uint64_t step_;                // input frames per output frame, 32.32 fixed point
    std::uint64_t position_;            // of the next output frame within input_, 32.32 fixed point
    std::vector<std::int16_t> input_;   // stereo frames not yet passed
    std::vector<std::int16_t> partial_; // samples of a frame cut between two pushes
    bool finished_ = false;
};

} // namespace padsmith
