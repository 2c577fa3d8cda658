#include "audio/RateConverter.h"

#include <algorithm>
#include <cstring>

namespace padsmith {

namespace {

constexpr int kFractionBits = 32;
constexpr std::uint64_t kOne = std::uint64_t{1} << kFractionBits;

void append16(std::string& out, std::int32_t value) {
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out.push_back(static_cast<char>(bits & 0xFFU));
    out.push_back(static_cast<char>(bits >> 8));
}

std::int16_t read16(const char* at) {
    const auto low = static_cast<std::uint8_t>(at[0]);
    const auto high = static_cast<std::uint8_t>(at[1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
}

} // namespace

RateConverter::RateConverter(int inputRate, int inputChannels, int outputRate)
    : channels_(std::max(inputChannels, 1)),
      sameRate_(inputRate == outputRate || inputRate <= 0 || outputRate <= 0),
      step_(sameRate_ ? kOne
                      : (static_cast<std::uint64_t>(inputRate) << kFractionBits) /
                            static_cast<std::uint64_t>(outputRate)),
      position_(0) {}

void RateConverter::push(const char* data, std::size_t bytes) {
    const std::size_t samples = bytes / 2;
    partial_.reserve(partial_.size() + samples);
    for (std::size_t i = 0; i < samples; ++i) {
        partial_.push_back(read16(data + i * 2));
    }
    const std::size_t whole = partial_.size() / static_cast<std::size_t>(channels_);
    input_.reserve(input_.size() + whole * 2);
    for (std::size_t f = 0; f < whole; ++f) {
        const std::int16_t* frame = partial_.data() + f * static_cast<std::size_t>(channels_);
        input_.push_back(frame[0]);
        input_.push_back(channels_ == 1 ? frame[0] : frame[1]);
    }
    partial_.erase(partial_.begin(),
                   partial_.begin() +
                       static_cast<std::ptrdiff_t>(whole * static_cast<std::size_t>(channels_)));
}

RateConverter::Frame RateConverter::frameAt(std::size_t index) const {
    return Frame{input_[index * 2], input_[index * 2 + 1]};
}

std::size_t RateConverter::available() const {
    const std::size_t frames = input_.size() / 2;
    // An output frame between input frames i and i + 1 needs both, except at the very end.
    const std::size_t usable = sameRate_ || finished_ ? frames : (frames == 0 ? 0 : frames - 1);
    const std::uint64_t limit = static_cast<std::uint64_t>(usable) << kFractionBits;
    if (position_ >= limit) {
        return 0;
    }
    return static_cast<std::size_t>((limit - position_ + step_ - 1) / step_);
}

std::size_t RateConverter::inputFramesFor(std::size_t frames) const {
    const std::uint64_t end = position_ + step_ * frames;
    const std::size_t needed = static_cast<std::size_t>(end >> kFractionBits) + (sameRate_ ? 0 : 1);
    const std::size_t have = input_.size() / 2;
    return needed > have ? needed - have : 0;
}

std::size_t RateConverter::pull(std::size_t frames, std::string& out) {
    const std::size_t count = std::min(frames, available());
    const std::size_t inputFrames = input_.size() / 2;
    out.reserve(out.size() + count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::size_t>(position_ >> kFractionBits);
        const Frame a = frameAt(index);
        if (sameRate_) {
            append16(out, a.left);
            append16(out, a.right);
        } else {
            const Frame b = index + 1 < inputFrames ? frameAt(index + 1) : a;
            const auto fraction = static_cast<std::int64_t>(position_ & (kOne - 1));
            append16(out, a.left + static_cast<std::int32_t>((b.left - a.left) * fraction >>
                                                             kFractionBits));
            append16(out, a.right + static_cast<std::int32_t>((b.right - a.right) * fraction >>
                                                              kFractionBits));
        }
        position_ += step_;
    }
    // Drop the input frames no later output frame looks at.
    const auto passed = std::min(static_cast<std::size_t>(position_ >> kFractionBits), inputFrames);
    if (passed > 0) {
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(passed * 2));
        position_ -= static_cast<std::uint64_t>(passed) << kFractionBits;
    }
    return count;
}

} // namespace padsmith
