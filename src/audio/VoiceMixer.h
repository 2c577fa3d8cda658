// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"
#include "audio/Resampler.h"
#include "audio/SampleStream.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {

// Where a voice stands, for views that show what sounds: the file, the frame of the file that
// is being mixed now and the file's length, both in the file's own frames.
struct VoicePosition {
    int id = 0;
    std::string path;
    std::uint64_t frame = 0;
    std::uint64_t length = 0;
};

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

// Sums the sounding samples into one stereo 16-bit stream at the output's rate. Each voice
// reads its sample from memory or from its file, block by block, through a converter of its
// own. Voices are added in floating point and pass a limiter that lowers the level of loud
// passages smoothly, so several loud samples at once never wrap or clip. No Qt, no threads:
// the owner calls render() as the output wants data.
class VoiceMixer {
public:
    static constexpr int kMaxVoices = 16;

    explicit VoiceMixer(int outputRate);

    // Starts a voice of `path`, playing `sample` from memory when given, else `stream`. With
    // `solo` every voice sounding so far ends first (a preview); otherwise it sounds with
    // them, and when all voices are busy the oldest ends. Returns the voice's id (0 when there
    // was nothing to play). `gain` scales the voice's two sides (a zone's volumes).
    int start(const std::string& path, std::shared_ptr<const PlayableSample> sample,
              std::unique_ptr<SampleStream> stream, bool solo, VoiceGain gain = {});
    // Starts a voice of a sample converted to this mixer's rate, with the others.
    int start(const std::string& path, std::shared_ptr<const ConvertedSample> converted,
              VoiceGain gain = {});
    // Ends every voice at once; their files are closed.
    void stopAll();

    // Appends `frames` stereo 16-bit little-endian frames of the mix to `out` (silence where
    // nothing sounds). A voice that reaches its end is dropped.
    void render(std::size_t frames, std::string& out);
    // The same mix before it is made 16-bit: `frames` stereo frames appended to `out` as
    // float pairs, within -1 to 1 (an offline render keeps the limiter's full resolution).
    void mix(std::size_t frames, std::vector<float>& out);

    // The voices still sounding, oldest first; `latencyFrames` output frames mixed but not yet
    // heard are taken off each position.
    std::vector<VoicePosition> voices(std::size_t latencyFrames = 0) const;
    bool sounding() const { return !voices_.empty(); }
    bool isSounding(int id) const;
    // Output frames of voice `id` mixed so far (0 once it has ended).
    std::uint64_t framesMixed(int id) const;
    int outputRate() const { return outputRate_; }

private:
    struct Voice {
        int id = 0;
        std::string path;
        std::shared_ptr<const PlayableSample> sample;
        std::size_t sampleOffset = 0;
        std::unique_ptr<SampleStream> stream;
        std::unique_ptr<Resampler> resampler;
        std::shared_ptr<const ConvertedSample> converted; // instead of the three above
        std::size_t convertedAt = 0;                      // floats of `converted` mixed
        double ratio = 1.0;                               // output frames per file frame
        VoiceGain gain;
        int inputRate = 0;
        std::size_t inputFrameBytes = 0;
        std::uint64_t length = 0;
        std::vector<float> pending; // converted stereo frames not yet mixed
        std::size_t pendingAt = 0;  // floats of `pending` already mixed
        std::uint64_t mixed = 0;    // output frames mixed so far
        bool inputEnded = false;
    };
    void makeRoom();
    bool supply(Voice& voice, std::size_t frames);
    void sum(std::size_t frames);
    void limit(std::size_t frames);

    int outputRate_;
    int nextId_ = 1;
    std::deque<Voice> voices_;
    std::vector<float> mix_;
    std::string block_;
    float gain_ = 1.0F;
    float release_;
};

} // namespace padsmith
