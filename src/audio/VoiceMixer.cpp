// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/VoiceMixer.h"

#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

// The limiter gives back its gain over about this time after a loud passage.
constexpr double kReleaseSeconds = 0.08;

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

VoiceMixer::~VoiceMixer() = default;

int VoiceMixer::start(const std::string& path, std::shared_ptr<const PlayableSample> sample,
                      std::unique_ptr<SampleStream> stream, bool solo, VoiceGain gain) {
    if (solo) {
        stopAll();
    }
    if (!sample && !stream) {
        return 0;
    }
    return startOwn(std::make_unique<Voice>(nextId_, path, std::move(sample), std::move(stream),
                                            outputRate_, gain));
}

int VoiceMixer::start(const std::string& path, std::shared_ptr<const ConvertedSample> converted,
                      VoiceGain gain) {
    if (!converted) {
        return 0;
    }
    return startOwn(
        std::make_unique<Voice>(nextId_, path, std::move(converted), outputRate_, gain));
}

int VoiceMixer::startOwn(std::unique_ptr<Voice> voice) {
    if (!voice->valid()) {
        return 0;
    }
    ++nextId_;
    Voice* started = voice.get();
    own_.push_back(std::move(voice));
    add(started, false);
    deleteOwnRetired();
    return started->id();
}

void VoiceMixer::stopAll() {
    while (count_ > 0) {
        retire(count_ - 1);
    }
    gain_ = 1.0F; // nothing of the cut sounds holds the next one down
    deleteOwnRetired();
}

void VoiceMixer::add(Voice* voice, bool solo) {
    if (solo) {
        while (count_ > 0) {
            retire(count_ - 1);
        }
        gain_ = 1.0F;
    }
    if (voice == nullptr) {
        return;
    }
    if (count_ == slots_.size()) {
        retire(0);
    }
    slots_[count_++] = voice;
}

void VoiceMixer::retire(std::size_t slot) {
    Voice* voice = slots_[slot];
    std::copy(slots_.begin() + static_cast<std::ptrdiff_t>(slot) + 1,
              slots_.begin() + static_cast<std::ptrdiff_t>(count_),
              slots_.begin() + static_cast<std::ptrdiff_t>(slot));
    --count_;
    if (retiredCount_ < retired_.size()) {
        retired_[retiredCount_++] = voice;
    }
}

Voice* VoiceMixer::takeRetired() {
    return retiredCount_ > 0 ? retired_[--retiredCount_] : nullptr;
}

void VoiceMixer::deleteOwnRetired() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < retiredCount_; ++i) {
        Voice* voice = retired_[i];
        const auto own = std::find_if(own_.begin(), own_.end(),
                                      [voice](const auto& mine) { return mine.get() == voice; });
        if (own != own_.end()) {
            own_.erase(own);
        } else {
            retired_[kept++] = voice;
        }
    }
    retiredCount_ = kept;
}

void VoiceMixer::render(std::size_t frames, float* out) {
    std::fill(out, out + frames * 2, 0.0F);
    for (std::size_t slot = 0; slot < count_;) {
        Voice* voice = slots_[slot];
        const std::size_t mixed = voice->mixInto(out, frames);
        if (voice->finished()) {
            retire(slot);
        } else {
            starved_ += mixed < frames ? 1 : 0;
            ++slot;
        }
    }
    limit(out, frames);
}

void VoiceMixer::render(std::size_t frames, std::string& out) {
    out.reserve(out.size() + frames * 4);
    // The mixer's own voices are filled here, a ring's worth at a time.
    while (frames > 0) {
        const std::size_t chunk = std::min(frames, Voice::kRingFrames);
        for (const auto& voice : own_) {
            voice->fill();
        }
        scratch_.resize(chunk * 2);
        render(chunk, scratch_.data());
        for (const float value : scratch_) {
            append16(out, value);
        }
        frames -= chunk;
    }
    deleteOwnRetired();
}

void VoiceMixer::mix(std::size_t frames, std::vector<float>& out) {
    // As render(), a ring's worth at a time; the float mix goes out as it is.
    while (frames > 0) {
        const std::size_t chunk = std::min(frames, Voice::kRingFrames);
        for (const auto& voice : own_) {
            voice->fill();
        }
        const std::size_t at = out.size();
        out.resize(at + chunk * 2);
        render(chunk, out.data() + at);
        frames -= chunk;
    }
    deleteOwnRetired();
}

// Brings every frame to full scale at most: the gain drops at once to what the loudest
// sample of a frame needs and comes back smoothly, so the sum is never cut flat.
void VoiceMixer::limit(float* mix, std::size_t frames) {
    for (std::size_t f = 0; f < frames; ++f) {
        float& left = mix[f * 2];
        float& right = mix[f * 2 + 1];
        const float peak = std::max(std::fabs(left), std::fabs(right));
        const float needed = peak > 1.0F ? 1.0F / peak : 1.0F;
        gain_ = std::min(needed, gain_ + (1.0F - gain_) * release_);
        left *= gain_;
        right *= gain_;
    }
}

std::vector<VoicePosition> VoiceMixer::voices(std::size_t latencyFrames) const {
    std::vector<VoicePosition> positions;
    positions.reserve(count_);
    for (std::size_t slot = 0; slot < count_; ++slot) {
        const Voice& voice = *slots_[slot];
        const std::uint64_t mixed = voice.framesMixed();
        const std::uint64_t heard = mixed > latencyFrames ? mixed - latencyFrames : 0;
        const auto frame = static_cast<std::uint64_t>(static_cast<double>(heard) / voice.ratio());
        positions.push_back(
            {voice.id(), voice.path(), std::min(frame, voice.length()), voice.length()});
    }
    return positions;
}

bool VoiceMixer::isSounding(int id) const {
    return std::any_of(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(count_),
                       [id](const Voice* voice) { return voice->id() == id; });
}

std::uint64_t VoiceMixer::framesMixed(int id) const {
    for (std::size_t slot = 0; slot < count_; ++slot) {
        if (slots_[slot]->id() == id) {
            return slots_[slot]->framesMixed();
        }
    }
    return 0;
}

} // namespace padsmith
