// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <soxr.h>

namespace padsmith {

namespace {

constexpr float kFullScale = 32768.0F;
constexpr std::size_t kMinimumRun = 64;

float sampleAt(const char* at) {
    const auto low = static_cast<std::uint8_t>(at[0]);
    const auto high = static_cast<std::uint8_t>(at[1]);
    return static_cast<float>(
               static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8))) /
           kFullScale;
}

} // namespace

Resampler::Resampler(int inputRate, int inputChannels, int outputRate)
    : channels_(std::max(inputChannels, 1)),
      ratio_(inputRate > 0 && outputRate > 0
                 ? static_cast<double>(outputRate) / static_cast<double>(inputRate)
                 : 1.0) {
    if (inputRate <= 0 || outputRate <= 0 || inputRate == outputRate) {
        valid_ = inputRate > 0 && outputRate > 0;
        return;
    }
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1); // the caller's thread only
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(inputRate, outputRate, 2, &error, &io, &quality, &runtime);
    if (error != nullptr) {
        soxr_delete(soxr_);
        soxr_ = nullptr;
        valid_ = false;
    }
}

Resampler::~Resampler() {
    soxr_delete(soxr_);
}

void Resampler::process(const char* data, std::size_t bytes, std::vector<float>& out) {
    if (finished_ || !valid_) {
        return;
    }
    const std::size_t frameBytes = static_cast<std::size_t>(channels_) * 2;
    // A frame cut between two pieces is completed from the start of this one.
    std::size_t offset = 0;
    if (!partial_.empty()) {
        const std::size_t taken = std::min(frameBytes - partial_.size(), bytes);
        partial_.append(data, taken);
        offset = taken;
        if (partial_.size() < frameBytes) {
            return;
        }
        stereo_.push_back(sampleAt(partial_.data()));
        stereo_.push_back(channels_ == 1 ? stereo_.back() : sampleAt(partial_.data() + 2));
        partial_.clear();
    }
    const std::size_t frames = (bytes - offset) / frameBytes;
    stereo_.reserve(stereo_.size() + frames * 2);
    for (std::size_t f = 0; f < frames; ++f) {
        const char* frame = data + offset + f * frameBytes;
        const float left = sampleAt(frame);
        stereo_.push_back(left);
        stereo_.push_back(channels_ == 1 ? left : sampleAt(frame + 2));
    }
    const std::size_t used = offset + frames * frameBytes;
    partial_.assign(data + used, bytes - used);
    // libsoxr is given frames in runs of some length: it is not made for single frames.
    if (soxr_ == nullptr || stereo_.size() / 2 >= kMinimumRun) {
        run(stereo_.data(), stereo_.size() / 2, out);
        stereo_.clear();
    }
}

void Resampler::finish(std::vector<float>& out) {
    if (finished_ || !valid_) {
        return;
    }
    finished_ = true;
    partial_.clear();
    run(stereo_.data(), stereo_.size() / 2, out);
    stereo_.clear();
    run(nullptr, 0, out);
}

void Resampler::run(const float* input, std::size_t frames, std::vector<float>& out) {
    if (input != nullptr && frames == 0) {
        return;
    }
    if (soxr_ == nullptr) {
        if (input != nullptr) {
            out.insert(out.end(), input, input + frames * 2);
        }
        return;
    }
    // Room for what this piece gives plus what the filter held back from earlier ones; the
    // loop goes on while the room was filled, so a too small guess only costs a round.
    const auto room = static_cast<std::size_t>(std::ceil(static_cast<double>(frames) * ratio_)) +
                      static_cast<std::size_t>(std::ceil(soxr_delay(soxr_))) + 64;
    std::size_t consumed = 0;
    while (true) {
        const std::size_t start = out.size();
        out.resize(start + room * 2);
        std::size_t inputDone = 0;
        std::size_t outputDone = 0;
        const float* from = input == nullptr ? nullptr : input + consumed * 2;
        soxr_process(soxr_, from, input == nullptr ? 0 : frames - consumed, &inputDone,
                     out.data() + start, room, &outputDone);
        out.resize(start + outputDone * 2);
        consumed += inputDone;
        const bool inputLeft = input != nullptr && consumed < frames;
        if (!inputLeft && outputDone < room) {
            return;
        }
    }
}

} // namespace padsmith
