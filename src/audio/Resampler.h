// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct soxr;

namespace padsmith {

// Brings 16-bit PCM of any rate and channel count to what the mixer sums: stereo float frames
// (-1 to 1) at the output's rate. Mono goes to both sides, more than two channels give their
// first two. A different rate goes through libsoxr's high-quality filter, so nothing above the
// lower of the two Nyquist frequencies comes out as an image or alias. The input is fed block
// by block, in pieces of any size; the result is the same as for one piece, and the filter's
// delay is taken out, so the first output frame is the first input frame.
class Resampler {
public:
    Resampler(int inputRate, int inputChannels, int outputRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Converts the next input (interleaved 16-bit little-endian, as in a WAVE file) and
    // appends the stereo frames it gives to `out` (two floats a frame).
    void process(const char* data, std::size_t bytes, std::vector<float>& out);
    // No more input comes: appends what the filter still holds. Further calls add nothing.
    void finish(std::vector<float>& out);

    // Output frames per input frame.
    double ratio() const { return ratio_; }
    // False when the rates are such that nothing can be converted (libsoxr refused them).
    bool valid() const { return valid_; }

private:
    void run(const float* input, std::size_t frames, std::vector<float>& out);

    int channels_;
    double ratio_;
    bool valid_ = true;
    bool finished_ = false;
    soxr* soxr_ = nullptr;      // null at the same rate: frames go straight through
    std::string partial_;       // bytes of a frame cut between two pieces
    std::vector<float> stereo_; // the piece as stereo float, before conversion
};

} // namespace padsmith
