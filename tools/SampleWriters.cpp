// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleWriters.h"

#include <algorithm>
#include <cmath>

namespace padsmith::demo {

namespace {

void putLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

void putBig(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

std::int32_t quantize(float value, int bits) {
    const double full = std::ldexp(1.0, bits - 1) - 1.0;
    const double clamped = std::clamp(static_cast<double>(value), -1.0, 1.0);
    return static_cast<std::int32_t>(std::lround(clamped * full));
}

// AIFF keeps its sample rate as an 80-bit extended float.
void putExtended(std::string& out, std::uint32_t rate) {
    int exponent = 31;
    std::uint64_t mantissa = rate;
    while (mantissa != 0 && (mantissa & (1ULL << 63)) == 0) {
        mantissa <<= 1;
        --exponent;
    }
    exponent += 16383 + 32;
    if (rate == 0) {
        exponent = 0;
    }
    putBig(out, static_cast<std::uint32_t>(exponent), 2);
    putBig(out, static_cast<std::uint32_t>(mantissa >> 32), 4);
    putBig(out, static_cast<std::uint32_t>(mantissa & 0xFFFFFFFFU), 4);
}

} // namespace

std::string wavBytes(const SampleData& data, int bits) {
    const int bytesPerSample = bits / 8;
    const auto dataBytes =
        static_cast<std::uint32_t>(data.values.size()) * static_cast<std::uint32_t>(bytesPerSample);
    const auto blockAlign = static_cast<std::uint32_t>(data.channels * bytesPerSample);
    std::string out;
    out.reserve(44 + dataBytes + 1);
    out += "RIFF";
    putLittle(out, 36 + dataBytes + (dataBytes & 1U), 4);
    out += "WAVEfmt ";
    putLittle(out, 16, 4);
    putLittle(out, 1, 2); // PCM
    putLittle(out, static_cast<std::uint32_t>(data.channels), 2);
    putLittle(out, static_cast<std::uint32_t>(data.sampleRate), 4);
    putLittle(out, static_cast<std::uint32_t>(data.sampleRate) * blockAlign, 4);
    putLittle(out, blockAlign, 2);
    putLittle(out, static_cast<std::uint32_t>(bits), 2);
    out += "data";
    putLittle(out, dataBytes, 4);
    for (const float value : data.values) {
        putLittle(out, static_cast<std::uint32_t>(quantize(value, bits)), bytesPerSample);
    }
    if ((dataBytes & 1U) != 0) {
        out.push_back('\0');
    }
    return out;
}

std::string aiffBytes(const SampleData& data) {
    const auto frames =
        static_cast<std::uint32_t>(data.values.size()) / static_cast<std::uint32_t>(data.channels);
    const auto soundBytes = static_cast<std::uint32_t>(data.values.size()) * 2U;
    std::string out;
    out += "FORM";
    putBig(out, 4 + 26 + 16 + soundBytes, 4);
    out += "AIFFCOMM";
    putBig(out, 18, 4);
    putBig(out, static_cast<std::uint32_t>(data.channels), 2);
    putBig(out, frames, 4);
    putBig(out, 16, 2);
    putExtended(out, static_cast<std::uint32_t>(data.sampleRate));
    out += "SSND";
    putBig(out, 8 + soundBytes, 4);
    putBig(out, 0, 4); // offset
    putBig(out, 0, 4); // block size
    for (const float value : data.values) {
        putBig(out, static_cast<std::uint32_t>(quantize(value, 16)), 2);
    }
    return out;
}

} // namespace padsmith::demo
