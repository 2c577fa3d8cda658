// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds WAVE and AIFF files in memory for the audio tests and benchmarks.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <string_view>

namespace padsmith::testing {

inline void appendLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFFU));
    }
}

inline void appendBe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFFU));
    }
}

// A RIFF or IFF chunk: id, size and body, padded to an even length.
inline std::string chunk(std::string_view id, std::string_view body, bool bigEndian = false) {
    std::string out(id);
    if (bigEndian) {
        appendBe(out, body.size(), 4);
    } else {
        appendLe(out, body.size(), 4);
    }
    out.append(body);
    if (body.size() % 2 != 0) {
        out.push_back('\0');
    }
    return out;
}

inline std::string waveFormatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                  std::uint16_t bits) {
    std::string body;
    const std::uint32_t blockAlign = channels * bits / 8U;
    appendLe(body, tag, 2);
    appendLe(body, channels, 2);
    appendLe(body, rate, 4);
    appendLe(body, rate * blockAlign, 4);
    appendLe(body, blockAlign, 2);
    appendLe(body, bits, 2);
    return body;
}

// WAVE_FORMAT_EXTENSIBLE with the sub-format `subFormat` (1 PCM, 3 float).
inline std::string extensibleFormatBody(std::uint16_t subFormat, std::uint16_t channels,
                                        std::uint32_t rate, std::uint16_t bits) {
    std::string body = waveFormatBody(0xFFFE, channels, rate, bits);
    appendLe(body, 22, 2);   // extra size
    appendLe(body, bits, 2); // valid bits
    appendLe(body, channels == 1 ? 0x4 : 0x3, 4);
    appendLe(body, subFormat, 2);
    const unsigned char tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    body.append(reinterpret_cast<const char*>(tail), sizeof tail);
    return body;
}

inline std::string riffWave(std::string_view chunks) {
    std::string out = "RIFF";
    appendLe(out, chunks.size() + 4, 4);
    out += "WAVE";
    out.append(chunks);
    return out;
}

inline std::string waveFile(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                            std::uint16_t bits, std::string_view data) {
    return riffWave(chunk("fmt ", waveFormatBody(tag, channels, rate, bits)) + chunk("data", data));
}

// The 80-bit IEEE 754 extended number of a whole sample rate.
inline std::string extended80(std::uint32_t rate) {
    std::string out;
    if (rate == 0) {
        return std::string(10, '\0');
    }
    int exponent = 31;
    while ((rate >> exponent & 1U) == 0) {
        --exponent;
    }
    appendBe(out, 16383U + static_cast<unsigned>(exponent), 2);
    appendBe(out, static_cast<std::uint64_t>(rate) << (63 - exponent), 8);
    return out;
}

inline std::string aiffCommonBody(std::uint16_t channels, std::uint32_t frames, std::uint16_t bits,
                                  std::uint32_t rate) {
    std::string body;
    appendBe(body, channels, 2);
    appendBe(body, frames, 4);
    appendBe(body, bits, 2);
    body += extended80(rate);
    return body;
}

inline std::string soundBody(std::string_view data, std::uint32_t offset = 0) {
    std::string body;
    appendBe(body, offset, 4);
    appendBe(body, 0, 4);
    body.append(offset, '\0');
    body.append(data);
    return body;
}

inline std::string iffForm(std::string_view formType, std::string_view chunks) {
    std::string out = "FORM";
    appendBe(out, chunks.size() + 4, 4);
    out += formType;
    out.append(chunks);
    return out;
}

// A plain AIFF file; `data` is big-endian as AIFF stores it.
inline std::string aiffFile(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                            std::string_view data) {
    const auto frames = static_cast<std::uint32_t>(data.size() / (channels * bits / 8U));
    return iffForm("AIFF", chunk("COMM", aiffCommonBody(channels, frames, bits, rate), true) +
                               chunk("SSND", soundBody(data), true));
}

// A sine tone as 16-bit or 24-bit integer samples, little-endian, the same on every channel.
inline std::string sineData(double frequency, double seconds, std::uint32_t rate,
                            std::uint16_t channels, std::uint16_t bits, double amplitude = 0.5) {
    std::string out;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    const double fullScale = bits == 24 ? 8388607.0 : 32767.0;
    out.reserve(frames * channels * bits / 8U);
    for (std::size_t i = 0; i < frames; ++i) {
        const double value =
            amplitude * fullScale *
            std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
        const auto sample = static_cast<std::int64_t>(std::lround(value));
        for (std::uint16_t c = 0; c < channels; ++c) {
            appendLe(out, static_cast<std::uint64_t>(sample), bits / 8);
        }
    }
    return out;
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace padsmith::testing
