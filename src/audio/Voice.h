// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"
#include "audio/Resampler.h"
#include "audio/SampleStream.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {

// The level a voice plays at on each side, as a gain factor.
struct VoiceGain {
    float left = 1.0F;
    float right = 1.0F;
};

// A sample brought once to an output's rate, as stereo float frames, by the converter a voice
// of it would use: voices of it then mix without converting again (an offline render, where
// one sample sounds hundreds of times).
struct ConvertedSample {
    std::vector<float> frames; // interleaved left, right
    int outputRate = 0;
    int sourceRate = 0;
    std::uint64_t sourceFrames = 0;
};
// Nothing when the sample holds no frames or its rate cannot be converted.
std::shared_ptr<const ConvertedSample> convertSample(const PlayableSample& sample, int outputRate);

// One sample on its way to the mix: its sound converted to the output's rate and channel
// layout, waiting in a ring of frames. One thread fills the ring (reading the file or the
// cached copy and converting it); another, the audio thread, takes frames from it. Filling
// may read files and allocate; taking does neither, so a voice is made and filled ahead (the
// first part of its sound ready) and the audio thread only has to start it.
class Voice {
public:
    // Output frames the ring holds: what the audio thread can play before the filling thread
    // has to come back (about 170 ms at 48 kHz).
    static constexpr std::size_t kRingFrames = 8192;

    // Plays `sample` from memory when given, else `stream`. Makes the converter; nothing is
    // read yet. `id` names the voice for views of what sounds; `gain` scales its two sides.
    Voice(int id, std::string path, std::shared_ptr<const PlayableSample> sample,
          std::unique_ptr<SampleStream> stream, int outputRate, VoiceGain gain = {});
    // Plays `converted` as it is, without a ring: every frame is ready, so fill() has nothing
    // to do. Invalid unless it was converted to `outputRate` and holds frames.
    Voice(int id, std::string path, std::shared_ptr<const ConvertedSample> converted,
          int outputRate, VoiceGain gain = {});
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // False when there is nothing to play (no data, a format the converter refuses).
    bool valid() const { return valid_; }
    int id() const { return id_; }
    const std::string& path() const { return path_; }
    // The sample's length in its own frames, and output frames per input frame.
    std::uint64_t length() const { return length_; }
    double ratio() const;
    bool fromMemory() const { return sample_ != nullptr; }

    // Filling thread: converts input until the ring is full or the input has ended. The file
    // is closed as soon as it has been read to its end.
    void fill();

    // Audio thread: adds up to `frames` stereo frames from the ring into `mix` (two floats a
    // frame) and returns how many it added. Neither allocates, locks nor reads a file.
    std::size_t mixInto(float* mix, std::size_t frames);
    // Audio thread: true once every frame of the sound has been taken.
    bool finished() const;
    // Audio thread, before the voice is mixed: the level of each side (a voice made ready ahead
    // for a sample that several zones play takes the level of the zone a note finds).
    void setGain(VoiceGain gain) { gain_ = gain; }
    // Output frames taken from the ring so far; any thread.
    std::uint64_t framesMixed() const { return mixed_.load(std::memory_order_relaxed); }

private:
    void convertNextBlock();

    int id_;
    std::string path_;
    bool valid_ = false;
    std::uint64_t length_ = 0;
    VoiceGain gain_;
    std::shared_ptr<const ConvertedSample> ready_; // instead of the ring, all frames at once
    double readyRatio_ = 1.0;

    // The filling thread's side.
    std::shared_ptr<const PlayableSample> sample_;
    std::size_t sampleOffset_ = 0;
    std::unique_ptr<SampleStream> stream_;
    std::unique_ptr<Resampler> resampler_;
    std::size_t inputFrameBytes_ = 0;
    SampleBuffer block_;
    std::vector<float> converted_; // converted frames that did not fit the ring yet
    std::size_t convertedAt_ = 0;  // floats of `converted_` already in the ring
    bool inputDone_ = false;

    // The ring: written by the filling thread, read by the audio thread.
    std::unique_ptr<float[]> ring_;
    std::atomic<std::uint64_t> written_{0}; // frames put in so far
    std::atomic<std::uint64_t> read_{0};    // frames taken so far
    std::atomic<bool> ended_{false};        // everything has been put in
    std::atomic<std::uint64_t> mixed_{0};
};

} // namespace padsmith
