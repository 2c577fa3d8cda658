// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"
#include "audio/SampleStream.h"
#include "audio/Voice.h"

#include <array>
#include <cstddef>
#include <cstdint>
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

// Sums the sounding samples into one stereo stream at the output's rate. Voices are added in
// floating point and pass a limiter that lowers the level of loud passages smoothly, so several
// loud samples at once never wrap or clip. No Qt, no threads of its own. Two ways to use it:
// - On one thread, as an offline renderer: start() makes a voice that the mixer owns and fills
//   as render() or mix() asks for frames (reading files, converting).
// - From an audio callback: add() starts a voice made and kept filled by another thread, and
//   render() into a float buffer neither allocates, locks nor reads a file; a voice that ends
//   or is cut is handed back through takeRetired() for its owner to delete.
class VoiceMixer {
public:
    static constexpr int kMaxVoices = 16;

    explicit VoiceMixer(int outputRate);
    ~VoiceMixer();
    VoiceMixer(const VoiceMixer&) = delete;
    VoiceMixer& operator=(const VoiceMixer&) = delete;

    // Starts a voice of `path`, playing `sample` from memory when given, else `stream`. With
    // `solo` every voice sounding so far ends first (a preview); otherwise it sounds with
    // them, and when all voices are busy the oldest ends. Returns the voice's id (0 when there
    // was nothing to play). `gain` scales the voice's two sides (a zone's volumes).
    int start(const std::string& path, std::shared_ptr<const PlayableSample> sample,
              std::unique_ptr<SampleStream> stream, bool solo, VoiceGain gain = {});
    // Starts a voice of a sample converted to this mixer's rate, with the others.
    int start(const std::string& path, std::shared_ptr<const ConvertedSample> converted,
              VoiceGain gain = {});
    // Ends every voice at once; the files of the mixer's own voices are closed.
    void stopAll();
    // Appends `frames` stereo 16-bit little-endian frames of the mix to `out` (silence where
    // nothing sounds). A voice that reaches its end is dropped.
    void render(std::size_t frames, std::string& out);
    // The same mix before it is made 16-bit: `frames` stereo frames appended to `out` as
    // float pairs, within -1 to 1 (an offline render keeps the limiter's full resolution).
    void mix(std::size_t frames, std::vector<float>& out);

    // Starts `voice`, which stays its owner's (see takeRetired); `solo` as for start().
    void add(Voice* voice, bool solo);
    // Writes `frames` stereo float frames of the mix (two floats a frame) over `out`.
    void render(std::size_t frames, float* out);
    // A voice of add() that has ended or was cut, for its owner to delete; null when none.
    Voice* takeRetired();

    // The voices still sounding, oldest first; `latencyFrames` output frames mixed but not yet
    // heard are taken off each position. On the thread that renders.
    std::vector<VoicePosition> voices(std::size_t latencyFrames = 0) const;
    bool sounding() const { return count_ > 0; }
    bool isSounding(int id) const;
    // Output frames of voice `id` mixed so far (0 once it has ended).
    std::uint64_t framesMixed(int id) const;
    int outputRate() const { return outputRate_; }
    // Renders in which a voice had fewer frames ready than asked for though it had not ended
    // (its filling thread came too late): each is a gap in that voice's sound.
    std::uint64_t starvedRenders() const { return starved_; }

private:
    int startOwn(std::unique_ptr<Voice> voice);
    void retire(std::size_t slot);
    void limit(float* mix, std::size_t frames);
    void deleteOwnRetired();

    int outputRate_;
    int nextId_ = 1;
    std::array<Voice*, kMaxVoices> slots_{}; // oldest first
    std::size_t count_ = 0;
    std::array<Voice*, 4 * kMaxVoices> retired_{};
    std::size_t retiredCount_ = 0;
    std::vector<std::unique_ptr<Voice>> own_; // the voices of start()
    std::vector<float> scratch_;
    float gain_ = 1.0F;
    float release_;
    std::uint64_t starved_ = 0;
};

} // namespace padsmith
