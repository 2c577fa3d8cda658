// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SampleZone.h"

#include "kit/CodePage.h"

#include <algorithm>
#include <cmath>

namespace padsmith {

void resetZone(SampleZone& zone) {
    const std::int32_t padNumber = zone.padNumber;
    const std::int32_t keyRangeLow = zone.keyRangeLow;
    const std::int32_t keyRangeHigh = zone.keyRangeHigh;
    zone = SampleZone{};
    zone.padNumber = padNumber;
    zone.keyRangeLow = keyRangeLow;
    zone.keyRangeHigh = keyRangeHigh;
}

int gainToDecibels(float gain) {
    // A gain that is not a number (a damaged file) shows as the neutral step.
    if (std::isnan(gain)) {
        return 0;
    }
    gain = std::clamp(gain, 0.25F, 8.0F);
    float value = 0.0F;
    if (gain > 1.0F) {
        value = gain * 3.0F;
    } else if (gain < 1.0F) {
        value = (1.0F / gain) * -3.0F;
    }
    const int truncated = static_cast<int>(value);
    return truncated / 6 * 6;
}

float decibelsToGain(int decibels) {
    const int step = std::clamp(decibels, -12, 24) / 6 * 6;
    if (step == 0) {
        return 1.0F;
    }
    if (step > 0) {
        return static_cast<float>(step) / 3.0F;
    }
    return 1.0F / (static_cast<float>(-step) / 3.0F);
}

std::string cutText(std::string text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    return cutCharacters(text, limit);
}

VelocitySpan playedVelocities(const SampleZone& zone) {
    if (zone.velocityHigh == 0) {
        return VelocitySpan{};
    }
    return {std::max(zone.velocityLow, kLowestVelocity),
            std::min(zone.velocityHigh, kHighestVelocity)};
}

std::optional<VelocitySpan> answeredVelocities(const SampleZone& zone) {
    const VelocitySpan played = playedVelocities(zone);
    return played.empty() ? std::nullopt : std::optional<VelocitySpan>(played);
}

} // namespace padsmith
