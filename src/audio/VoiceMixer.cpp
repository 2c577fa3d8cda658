// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/VoiceMixer.h"

#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

// The limiter gives back its gain over about this time after a loud passage.
constexpr double kReleaseSeconds = 0.08;
// Input frames read at least at a time: large enough that a file is not read in crumbs.
constexpr std::size_t kMinimumBlockFrames = 512;

void append16(std::string& out, float value) {
    const auto sample =
        static_cast<std::int16_t>(std::lrint(std::clamp(value, -1.0F, 1.0F) * 32767.0F));
    const auto bits = static_cast<std::uint16_t>(sample);
    out.push_back(static_cast<char>(bits & 0xFFU));
    out.push_back(static_cast<char>(bits >> 8));
}

} // namespace

VoiceMixer::VoiceMixer(int outputRate)
    : outputRate_(std::max(outputRate, 1)),
      release_(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * outputRate_)))) {}

int VoiceMixer::start(const std::string& path, std::shared_ptr<const PlayableSample> sample,
                      std::unique_ptr<SampleStream> stream, bool solo, VoiceGain gain) {
    if (solo) {
        stopAll();
    }
    const SampleFormat format = sample   ? sample->format
                                : stream ? stream->format()
                                         : SampleFormat{};
    if (format.channels == 0 || format.samplesPerSecond == 0 ||
        format.samplesPerSecond > 1'000'000U || (!sample && !stream)) {
        return 0;
    }
    makeRoom();
    Voice voice;
    voice.id = nextId_++;
    voice.path = path;
    voice.gain = gain;
    voice.inputRate = static_cast<int>(format.samplesPerSecond);
    voice.inputFrameBytes = format.channels * 2U;
    voice.length = sample ? sample->data.size() / voice.inputFrameBytes : stream->framesLeft();
    voice.sample = std::move(sample);
    voice.stream = std::move(stream);
    voice.resampler = std::make_unique<Resampler>(voice.inputRate, format.channels, outputRate_);
    if (!voice.resampler->valid()) {
        return 0;
    }
    voice.ratio = voice.resampler->ratio();
    voices_.push_back(std::move(voice));
    return voices_.back().id;
}

int VoiceMixer::start(const std::string& path, std::shared_ptr<const ConvertedSample> converted,
                      VoiceGain gain) {
    if (!converted || converted->outputRate != outputRate_ || converted->frames.empty()) {
        return 0;
    }
    makeRoom();
    Voice voice;
    voice.id = nextId_++;
    voice.path = path;
    voice.gain = gain;
    voice.inputRate = converted->sourceRate;
    voice.length = converted->sourceFrames;
    voice.ratio = static_cast<double>(outputRate_) / std::max(converted->sourceRate, 1);
    voice.converted = std::move(converted);
    voice.inputEnded = true;
    voices_.push_back(std::move(voice));
    return voices_.back().id;
}

// When all voices are busy the oldest ends.
void VoiceMixer::makeRoom() {
    while (voices_.size() >= static_cast<std::size_t>(kMaxVoices)) {
        voices_.pop_front();
    }
}

std::shared_ptr<const ConvertedSample> convertSample(const PlayableSample& sample, int outputRate) {
    const SampleFormat& format = sample.format;
    if (format.channels == 0 || format.samplesPerSecond == 0 ||
        format.samplesPerSecond > 1'000'000U || sample.data.empty()) {
        return nullptr;
    }
    const auto rate = static_cast<int>(format.samplesPerSecond);
    Resampler resampler(rate, format.channels, outputRate);
    if (!resampler.valid()) {
        return nullptr;
    }
    auto converted = std::make_shared<ConvertedSample>();
    converted->outputRate = outputRate;
    converted->sourceRate = rate;
    converted->sourceFrames = sample.data.size() / (format.channels * 2U);
    resampler.process(sample.data.data(), sample.data.size(), converted->frames);
    resampler.finish(converted->frames);
    return converted;
}

void VoiceMixer::stopAll() {
    voices_.clear();
    gain_ = 1.0F; // nothing of the cut sounds holds the next one down
}

// Converts input until `frames` output frames wait in the voice, or its input has ended.
// False when the voice has nothing more to give.
bool VoiceMixer::supply(Voice& voice, std::size_t frames) {
    while ((voice.pending.size() - voice.pendingAt) / 2 < frames && !voice.inputEnded) {
        const std::size_t missing = frames - (voice.pending.size() - voice.pendingAt) / 2;
        const auto wanted = std::max(kMinimumBlockFrames,
                                     static_cast<std::size_t>(std::ceil(
                                         static_cast<double>(missing) / voice.resampler->ratio())) +
                                         16);
        if (voice.pendingAt > 0) {
            voice.pending.erase(voice.pending.begin(),
                                voice.pending.begin() +
                                    static_cast<std::ptrdiff_t>(voice.pendingAt));
            voice.pendingAt = 0;
        }
        bool ended = false;
        if (voice.sample) {
            const SampleBuffer& data = voice.sample->data;
            const std::size_t bytes =
                std::min(wanted * voice.inputFrameBytes, data.size() - voice.sampleOffset);
            voice.resampler->process(data.data() + voice.sampleOffset, bytes, voice.pending);
            voice.sampleOffset += bytes;
            ended = voice.sampleOffset >= data.size();
        } else {
            block_.clear();
            ended = !voice.stream->read(wanted, block_) || voice.stream->framesLeft() == 0;
            voice.resampler->process(block_.data(), block_.size(), voice.pending);
        }
        if (ended) {
            voice.resampler->finish(voice.pending);
            voice.inputEnded = true;
            voice.stream.reset(); // the file is let go as soon as it is read to its end
        }
    }
    return voice.pending.size() > voice.pendingAt;
}

void VoiceMixer::render(std::size_t frames, std::string& out) {
    sum(frames);
    out.reserve(out.size() + frames * 4);
    for (const float value : mix_) {
        append16(out, value);
    }
}

void VoiceMixer::mix(std::size_t frames, std::vector<float>& out) {
    sum(frames);
    out.insert(out.end(), mix_.begin(), mix_.end());
}

// Leaves the next `frames` frames of every voice, limited, in `mix_`.
void VoiceMixer::sum(std::size_t frames) {
    mix_.assign(frames * 2, 0.0F);
    for (Voice& voice : voices_) {
        const std::vector<float>* source = &voice.pending;
        std::size_t* at = &voice.pendingAt;
        if (voice.converted) {
            source = &voice.converted->frames;
            at = &voice.convertedAt;
        } else {
            supply(voice, frames);
        }
        const std::size_t count = std::min(frames, (source->size() - *at) / 2);
        const float* from = source->data() + *at;
        const float left = voice.gain.left;
        const float right = voice.gain.right;
        for (std::size_t i = 0; i < count * 2; i += 2) {
            mix_[i] += from[i] * left;
            mix_[i + 1] += from[i + 1] * right;
        }
        *at += count * 2;
        voice.mixed += count;
    }
    std::erase_if(voices_, [](const Voice& voice) {
        return voice.converted ? voice.convertedAt >= voice.converted->frames.size()
                               : voice.inputEnded && voice.pendingAt >= voice.pending.size();
    });
    limit(frames);
}

// Brings every frame to full scale at most: the gain drops at once to what the loudest
// sample of a frame needs and comes back smoothly, so the sum is never cut flat.
void VoiceMixer::limit(std::size_t frames) {
    for (std::size_t f = 0; f < frames; ++f) {
        float& left = mix_[f * 2];
        float& right = mix_[f * 2 + 1];
        const float peak = std::max(std::fabs(left), std::fabs(right));
        const float needed = peak > 1.0F ? 1.0F / peak : 1.0F;
        gain_ = std::min(needed, gain_ + (1.0F - gain_) * release_);
        left *= gain_;
        right *= gain_;
    }
}

std::vector<VoicePosition> VoiceMixer::voices(std::size_t latencyFrames) const {
    std::vector<VoicePosition> positions;
    positions.reserve(voices_.size());
    for (const Voice& voice : voices_) {
        const std::uint64_t heard = voice.mixed > latencyFrames ? voice.mixed - latencyFrames : 0;
        const auto frame = static_cast<std::uint64_t>(static_cast<double>(heard) / voice.ratio);
        positions.push_back({voice.id, voice.path, std::min(frame, voice.length), voice.length});
    }
    return positions;
}

bool VoiceMixer::isSounding(int id) const {
    return std::any_of(voices_.begin(), voices_.end(),
                       [id](const Voice& voice) { return voice.id == id; });
}

std::uint64_t VoiceMixer::framesMixed(int id) const {
    for (const Voice& voice : voices_) {
        if (voice.id == id) {
            return voice.mixed;
        }
    }
    return 0;
}

} // namespace padsmith
