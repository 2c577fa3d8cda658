// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/Pad.h"

#include "platform/Checksum.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace padsmith {

namespace {

// Fixed widths of the zone's texts in the fingerprint, as in the plug-in's records.
constexpr std::size_t kPadNameBytes = 32;
constexpr std::size_t kTextBytes = 257;

void putInt(std::string& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<char>((value >> shift) & 0xFFU));
    }
}

void putInt(std::string& bytes, std::int32_t value) {
    putInt(bytes, static_cast<std::uint32_t>(value));
}

void putFloat(std::string& bytes, float value) {
    putInt(bytes, std::bit_cast<std::uint32_t>(value));
}

// The text, then zero bytes up to its width. A text longer than its width is taken whole, so
// that two different long texts never give the same bytes.
void putText(std::string& bytes, const std::string& text, std::size_t width) {
    bytes += text;
    if (text.size() < width) {
        bytes.append(width - text.size(), '\0');
    }
}

} // namespace

void Pad::insert(std::size_t position, const SampleZone& zone) {
    const auto at = static_cast<std::ptrdiff_t>(std::min(position, zones_.size()));
    zones_.insert(zones_.begin() + at, zone);
}

void Pad::erase(std::size_t position) {
    if (position < zones_.size()) {
        zones_.erase(zones_.begin() + static_cast<std::ptrdiff_t>(position));
    }
}

std::uint32_t Pad::fingerprint() const {
    std::uint32_t value = 0xFFFFFFFFU;
    std::string bytes;
    for (const SampleZone& zone : zones_) {
        bytes.clear();
        putInt(bytes, zone.padNumber);
        putInt(bytes, zone.reserved1);
        putInt(bytes, zone.reserved2);
        putInt(bytes, zone.key);
        putText(bytes, zone.padName, kPadNameBytes);
        putText(bytes, zone.sampleName, kTextBytes);
        putInt(bytes, zone.velocityLow);
        putInt(bytes, zone.velocityHigh);
        putInt(bytes, zone.keyRangeLow);
        putInt(bytes, zone.keyRangeHigh);
        putFloat(bytes, zone.gainLeft);
        putFloat(bytes, zone.gainRight);
        putInt(bytes, zone.group);
        putInt(bytes, zone.voices);
        putText(bytes, zone.sourcePath, kTextBytes);
        value = checksumBlock(value, bytes.data(), bytes.size());
    }
    return value;
}

int auditionZone(const Pad& pad) {
    for (std::size_t row = 0; row < pad.size(); ++row) {
        if (pad.at(row).velocityHigh >= 90) {
            return static_cast<int>(row);
        }
    }
    return static_cast<int>(pad.size()) - 1;
}

} // namespace padsmith
