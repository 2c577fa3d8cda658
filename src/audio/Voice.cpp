// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Voice.h"

#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

// Input frames read at least at a time: large enough that a file is not read in crumbs.
constexpr std::size_t kBlockFrames = 2048;

} // namespace

std::shared_ptr<const ConvertedSample> convertSample(const PlayableSample& sample, int outputRate) {
    const SampleFormat& format = sample.format;
    if (format.channels == 0 || format.samplesPerSecond == 0 ||
        format.samplesPerSecond > 1'000'000U || sample.data.empty() || outputRate <= 0) {
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

Voice::Voice(int id, std::string path, std::shared_ptr<const PlayableSample> sample,
             std::unique_ptr<SampleStream> stream, int outputRate, VoiceGain gain)
    : id_(id), path_(std::move(path)), gain_(gain), sample_(std::move(sample)),
      stream_(std::move(stream)) {
    const SampleFormat format = sample_   ? sample_->format
                                : stream_ ? stream_->format()
                                          : SampleFormat{};
    if (format.channels == 0 || format.samplesPerSecond == 0 ||
        format.samplesPerSecond > 1'000'000U || outputRate <= 0) {
        return;
    }
    inputFrameBytes_ = format.channels * 2U;
    length_ = sample_ ? sample_->data.size() / inputFrameBytes_ : stream_->framesLeft();
    resampler_ = std::make_unique<Resampler>(static_cast<int>(format.samplesPerSecond),
                                             format.channels, outputRate);
    if (!resampler_->valid() || length_ == 0) {
        return;
    }
    ring_ = std::make_unique<float[]>(kRingFrames * 2);
    valid_ = true;
}

Voice::Voice(int id, std::string path, std::shared_ptr<const ConvertedSample> converted,
             int outputRate, VoiceGain gain)
    : id_(id), path_(std::move(path)), gain_(gain) {
    if (!converted || converted->outputRate != outputRate || outputRate <= 0 ||
        converted->frames.size() < 2) {
        return;
    }
    length_ = converted->sourceFrames;
    readyRatio_ = static_cast<double>(outputRate) / std::max(converted->sourceRate, 1);
    ready_ = std::move(converted);
    written_.store(ready_->frames.size() / 2, std::memory_order_relaxed);
    ended_.store(true, std::memory_order_relaxed);
    valid_ = true;
}

Voice::~Voice() = default;

double Voice::ratio() const {
    return ready_ ? readyRatio_ : resampler_ ? resampler_->ratio() : 1.0;
}

void Voice::convertNextBlock() {
    converted_.clear();
    convertedAt_ = 0;
    bool ended = false;
    if (sample_) {
        const SampleBuffer& data = sample_->data;
        const std::size_t bytes =
            std::min(kBlockFrames * inputFrameBytes_, data.size() - sampleOffset_);
        resampler_->process(data.data() + sampleOffset_, bytes, converted_);
        sampleOffset_ += bytes;
        ended = sampleOffset_ >= data.size();
    } else {
        block_.clear();
        ended = !stream_->read(kBlockFrames, block_) || stream_->framesLeft() == 0;
        resampler_->process(block_.data(), block_.size(), converted_);
    }
    if (ended) {
        resampler_->finish(converted_);
        inputDone_ = true;
        stream_.reset(); // the file is let go as soon as it is read to its end
    }
}

void Voice::fill() {
    if (!valid_ || ended_.load(std::memory_order_relaxed)) {
        return;
    }
    std::uint64_t written = written_.load(std::memory_order_relaxed);
    while (true) {
        if (convertedAt_ >= converted_.size()) {
            if (inputDone_) {
                break;
            }
            convertNextBlock();
            continue;
        }
        const std::uint64_t free = kRingFrames - (written - read_.load(std::memory_order_acquire));
        if (free == 0) {
            break;
        }
        const std::size_t count =
            std::min<std::size_t>(free, (converted_.size() - convertedAt_) / 2);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = (written + i) % kRingFrames;
            ring_[at * 2] = converted_[convertedAt_ + i * 2];
            ring_[at * 2 + 1] = converted_[convertedAt_ + i * 2 + 1];
        }
        convertedAt_ += count * 2;
        written += count;
        written_.store(written, std::memory_order_release);
    }
    if (inputDone_ && convertedAt_ >= converted_.size()) {
        ended_.store(true, std::memory_order_release);
    }
}

std::size_t Voice::mixInto(float* mix, std::size_t frames) {
    if (!valid_) {
        return 0;
    }
    const std::uint64_t read = read_.load(std::memory_order_relaxed);
    const std::uint64_t available = written_.load(std::memory_order_acquire) - read;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(available, frames));
    const float left = gain_.left;
    const float right = gain_.right;
    if (ready_) {
        const float* from = ready_->frames.data() + read * 2;
        for (std::size_t i = 0; i < count * 2; i += 2) {
            mix[i] += from[i] * left;
            mix[i + 1] += from[i + 1] * right;
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = (read + i) % kRingFrames;
            mix[i * 2] += ring_[at * 2] * left;
            mix[i * 2 + 1] += ring_[at * 2 + 1] * right;
        }
    }
    read_.store(read + count, std::memory_order_release);
    mixed_.fetch_add(count, std::memory_order_relaxed);
    return count;
}

bool Voice::finished() const {
    if (!valid_) {
        return true;
    }
    // Ended is set after the last frame was put in: read it first.
    const bool ended = ended_.load(std::memory_order_acquire);
    return ended &&
           read_.load(std::memory_order_relaxed) == written_.load(std::memory_order_acquire);
}

} // namespace padsmith
