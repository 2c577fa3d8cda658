// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioFile.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <optional>

namespace padsmith {
namespace {

constexpr std::size_t kInfoTextLimit = 256;

std::uint8_t byteAt(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

std::uint16_t le16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(byteAt(bytes, at) | byteAt(bytes, at + 1) << 8);
}

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(le16(bytes, at)) |
           static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16;
}

std::uint16_t be16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(byteAt(bytes, at) << 8 | byteAt(bytes, at + 1));
}

std::uint32_t be32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(be16(bytes, at)) << 16 | be16(bytes, at + 2);
}

std::uint64_t be64(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint64_t>(be32(bytes, at)) << 32 | be32(bytes, at + 4);
}

bool hasId(std::string_view bytes, std::size_t at, std::string_view id) {
    return bytes.size() >= at + id.size() && bytes.substr(at, id.size()) == id;
}

std::uint32_t saturated32(std::uint64_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// One chunk of a RIFF or IFF file: its id, where its body starts, the size it claims, how much
// of that lies in the bytes at hand, and how much the whole file really holds.
struct Chunk {
    std::string_view id;
    std::size_t body = 0;
    std::uint64_t claimed = 0;
    std::size_t available = 0;
    std::size_t inFile = 0;
};

// Walks the chunks that follow a 12-byte form header, as far as `file` (the first bytes of a
// file of `fileSize` bytes) reaches. Chunk bodies are padded to even sizes.
template <typename Visit>
void walkChunks(std::string_view file, std::uint64_t fileSize, bool bigEndian, Visit visit) {
    std::uint64_t at = 12;
    while (at + 8 <= file.size()) {
        const auto start = static_cast<std::size_t>(at);
        Chunk chunk;
        chunk.id = file.substr(start, 4);
        chunk.claimed = bigEndian ? be32(file, start + 4) : le32(file, start + 4);
        chunk.body = start + 8;
        chunk.available = static_cast<std::size_t>(
            std::min<std::uint64_t>(chunk.claimed, file.size() - chunk.body));
        chunk.inFile =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.claimed, fileSize - chunk.body));
        if (!visit(chunk)) {
            return;
        }
        at = chunk.body + chunk.claimed + (chunk.claimed & 1U);
    }
}

// The tail shared by the KSDATAFORMAT_SUBTYPE GUIDs: {xxxxxxxx-0000-0010-8000-00aa00389b71}.
constexpr unsigned char kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::optional<SampleLayout> locateWave(std::string_view file, std::uint64_t fileSize) {
    if (!hasId(file, 0, "RIFF") || !hasId(file, 8, "WAVE")) {
        return std::nullopt;
    }
    // The RIFF size is not trusted: recorders that were cut off leave 0 or a stale value
    // there, so the chunks are walked up to the real end of the file.
    SampleLayout layout;
    layout.formatName = kWaveFormatName;
    bool haveFormat = false;
    bool haveData = false;
    walkChunks(file, fileSize, false, [&](const Chunk& chunk) {
        if (!haveFormat) {
            if (chunk.id != "fmt ") {
                return true;
            }
            if (chunk.available < 16) {
                return false;
            }
            SampleFormat& format = layout.format;
            format.formatTag = le16(file, chunk.body);
            format.channels = le16(file, chunk.body + 2);
            format.samplesPerSecond = le32(file, chunk.body + 4);
            format.averageBytesPerSecond = le32(file, chunk.body + 8);
            format.blockAlign = le16(file, chunk.body + 12);
            format.bitsPerSample = le16(file, chunk.body + 14);
            format.extraSize = 0;
            if (format.formatTag == kFormatExtensible && chunk.available >= 40 &&
                le16(file, chunk.body + 16) >= 22 &&
                std::memcmp(file.data() + chunk.body + 26, kSubtypeTail, sizeof kSubtypeTail) ==
                    0) {
                // Plays like a plain file of its sub-format (unknown sub-formats stay
                // extensible and are not played).
                format.formatTag = le16(file, chunk.body + 24);
            }
            haveFormat = true;
            return true;
        }
        if (chunk.id != "data") {
            return true;
        }
        layout.offset = chunk.body;
        layout.length = chunk.inFile;
        haveData = true;
        return false;
    });
    if (!haveFormat || !haveData) {
        return std::nullopt;
    }
    return layout;
}

// An 80-bit IEEE 754 extended number as whole Hz, fraction dropped. 0 for what cannot be a
// sample rate (negative, below 1, or beyond 32 bits).
std::uint32_t extendedToHz(std::string_view bytes, std::size_t at) {
    const std::uint16_t signAndExponent = be16(bytes, at);
    const std::uint64_t mantissa = be64(bytes, at + 2);
    if ((signAndExponent & 0x8000U) != 0) {
        return 0;
    }
    const int exponent = static_cast<int>(signAndExponent & 0x7FFFU) - 16383;
    if (exponent < 0 || exponent > 31) {
        return 0;
    }
    return static_cast<std::uint32_t>(mantissa >> (63 - exponent));
}

std::optional<SampleLayout> locateAiff(std::string_view file, std::uint64_t fileSize,
                                       std::ostream& diagnostics) {
    if (!hasId(file, 0, "FORM")) {
        return std::nullopt;
    }
    const bool compressedForm = hasId(file, 8, "AIFC");
    if (!compressedForm && !hasId(file, 8, "AIFF")) {
        return std::nullopt;
    }
    std::optional<Chunk> common;
    std::optional<Chunk> sound;
    walkChunks(file, fileSize, true, [&](const Chunk& chunk) {
        if (chunk.id == "COMM" && !common) {
            common = chunk;
        } else if (chunk.id == "SSND" && !sound) {
            sound = chunk;
        }
        return !common || !sound;
    });
    if (!common) {
        return std::nullopt;
    }

    // An AIFF COMM chunk is 18 bytes; AIFF-C adds its compression type and name.
    const bool badSize = compressedForm ? common->claimed < 22 : common->claimed != 18;
    if (badSize) {
        diagnostics << "AIFF COMM chunk has bad size\n";
    }
    // Read as if the chunk held its 18 bytes, but only what the file really has.
    if (file.size() - common->body < 18) {
        return std::nullopt;
    }
    SampleLayout layout;
    layout.formatName = kAiffFormatName;
    layout.bigEndian = true;
    layout.signed8Bit = true;
    SampleFormat& format = layout.format;
    format.formatTag = kFormatPcm;
    format.channels = be16(file, common->body);
    format.bitsPerSample = be16(file, common->body + 6);
    format.samplesPerSecond = extendedToHz(file, common->body + 8);
    format.blockAlign = static_cast<std::uint16_t>(
        static_cast<std::uint32_t>(format.bitsPerSample) * format.channels / 8);
    format.averageBytesPerSecond =
        saturated32(static_cast<std::uint64_t>(format.samplesPerSecond) * format.blockAlign);
    format.extraSize = 0;
    if (compressedForm) {
        // Uncompressed AIFF-C is big-endian ("NONE", "twos") or little-endian ("sowt");
        // anything else is compressed and is described but not played.
        const std::string_view type =
            common->available >= 22 ? file.substr(common->body + 18, 4) : std::string_view();
        if (type == "sowt") {
            layout.bigEndian = false;
        } else if (type != "NONE" && type != "twos") {
            format.formatTag = 0;
        }
    }

    const auto end = static_cast<std::size_t>(fileSize);
    if (!sound) {
        diagnostics << "AIFF header doesn't have 'SSND' chunk\n";
        layout.offset = end;
        return layout;
    }
    if (sound->available < 8) {
        layout.offset = end;
        return layout;
    }
    const std::uint32_t skip = be32(file, sound->body);
    const auto length = static_cast<std::int64_t>(sound->claimed) - 8 - skip;
    const std::uint64_t start = static_cast<std::uint64_t>(sound->body) + 8 + skip;
    if (length <= 0 || start >= fileSize) {
        layout.offset = end;
        return layout;
    }
    layout.offset = static_cast<std::size_t>(start);
    layout.length = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(length), fileSize - start));
    return layout;
}

// Brings AIFF sample data into WAVE order: little-endian, 8-bit unsigned.
void toWaveOrder(const SampleLayout& layout, char* data, std::size_t length) {
    if (layout.format.formatTag != kFormatPcm) {
        return;
    }
    const std::size_t width = layout.format.bitsPerSample / 8U;
    if (layout.format.bitsPerSample == 8 && layout.signed8Bit) {
        for (std::size_t at = 0; at < length; ++at) {
            data[at] = static_cast<char>(static_cast<std::uint8_t>(data[at]) ^ 0x80U);
        }
    } else if (layout.bigEndian && layout.format.bitsPerSample % 8 == 0 && width >= 2 &&
               width <= 4) {
        const std::size_t whole = length / width * width;
        for (std::size_t at = 0; at < whole; at += width) {
            std::reverse(data + at, data + at + width);
        }
    }
}

std::optional<SampleLayout> locateSample(std::string_view file, std::ostream& diagnostics) {
    if (auto wave = locateWave(file, file.size())) {
        return wave;
    }
    return locateAiff(file, file.size(), diagnostics);
}

bool applyLayout(std::optional<SampleLayout> layout, std::string_view file, SampleFormat& format,
                 SampleBuffer& data) {
    if (!layout) {
        return false;
    }
    format = layout->format;
    data.assign(file.substr(std::min(layout->offset, file.size()), layout->length));
    toWaveOrder(*layout, data.data(), data.size());
    return true;
}

void put16(SampleBuffer& data, std::size_t sample, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    data[sample * 2] = static_cast<char>(bits & 0xFFU);
    data[sample * 2 + 1] = static_cast<char>(bits >> 8);
}

template <typename Float> std::int16_t floatTo16(Float value) {
    if (std::isnan(value)) {
        return 0;
    }
    // Full scale is +-1.0; what lies beyond is clipped, never wrapped around.
    const Float scaled = std::trunc(value * Float(32768));
    return static_cast<std::int16_t>(std::clamp<Float>(scaled, -32768, 32767));
}

// Converts the `length` bytes of samples at `offset` of `buffer` to 16-bit PCM, which ends up
// alone at the start of `buffer`. Reading the samples where they lie spares a copy of a
// whole file's worth of data for the wider formats.
void convertSamples(SampleFormat& format, SampleBuffer& buffer, std::size_t offset,
                    std::size_t length) {
    const std::uint16_t tag = format.formatTag;
    const std::uint16_t bits = format.bitsPerSample;
    const std::size_t width = bits / 8U;
    const bool known =
        (tag == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
        (tag == kFormatFloat && (bits == 32 || bits == 64));
    // Only whole frames are played: a dangling part frame would shift the channels.
    const std::size_t frames = known && format.channels != 0 ? length / width / format.channels : 0;
    const std::size_t samples = frames * format.channels;

    SampleBuffer& data = buffer;
    if (samples != 0 && width <= 2) {
        // These keep or grow their size: bring them to the start first.
        data.erase(0, offset);
        offset = 0;
    }
    if (samples == 0) {
        data.clear();
    } else if (tag == kFormatPcm && bits == 8) {
        // Widened from the back so the bytes not yet read are never overwritten.
        data.resize(samples * 2);
        for (std::size_t i = samples; i-- > 0;) {
            const int centred = static_cast<std::uint8_t>(data[i]) - 128;
            put16(data, i, static_cast<std::int16_t>(centred * 256));
        }
    } else if (tag == kFormatPcm && bits == 16) {
        data.resize(samples * 2);
    } else if (tag == kFormatPcm) {
        // 24- and 32-bit integers keep their two most significant bytes. Each sample is
        // written in front of the one being read, so this works in place.
        char* bytes = data.data();
        for (std::size_t i = 0; i < samples; ++i) {
            const std::size_t from = offset + i * width + width - 2;
            bytes[i * 2] = bytes[from];
            bytes[i * 2 + 1] = bytes[from + 1];
        }
        data.resize(samples * 2);
    } else {
        for (std::size_t i = 0; i < samples; ++i) {
            const char* sample = data.data() + offset + i * width;
            std::int16_t value = 0;
            if (bits == 32) {
                float number;
                std::memcpy(&number, sample, sizeof number);
                value = floatTo16(number);
            } else {
                double number;
                std::memcpy(&number, sample, sizeof number);
                value = floatTo16(number);
            }
            put16(data, i, value);
        }
        data.resize(samples * 2);
    }

    format.formatTag = kFormatPcm;
    format.bitsPerSample = 16;
    format.extraSize = 0;
    format.blockAlign = static_cast<std::uint16_t>(format.channels * 2U);
    format.averageBytesPerSecond =
        saturated32(static_cast<std::uint64_t>(format.samplesPerSecond) * format.blockAlign);
}

PlayableSample finishSample(const std::optional<SampleLayout>& layout, SampleBuffer&& file) {
    PlayableSample sample;
    if (!layout) {
        sample.infoText = kUnknownFormatInfo;
        return sample;
    }
    sample.readable = true;
    sample.format = layout->format;
    sample.infoText = describeSample(sample.format, layout->formatName, layout->length);
    sample.data = std::move(file);
    toWaveOrder(*layout, sample.data.data() + layout->offset, layout->length);
    convertSamples(sample.format, sample.data, layout->offset, layout->length);
    return sample;
}

} // namespace

bool parseWave(std::string_view file, SampleFormat& format, SampleBuffer& data) {
    return applyLayout(locateWave(file, file.size()), file, format, data);
}

bool parseAiff(std::string_view file, SampleFormat& format, SampleBuffer& data,
               std::ostream& diagnostics) {
    return applyLayout(locateAiff(file, file.size(), diagnostics), file, format, data);
}

std::optional<SampleLayout> locateSampleData(std::string_view head, std::uint64_t fileSize,
                                             std::ostream& diagnostics) {
    if (fileSize < head.size()) {
        return std::nullopt;
    }
    if (auto wave = locateWave(head, fileSize)) {
        return wave;
    }
    if (hasId(head, 0, "RIFF") && hasId(head, 8, "WAVE")) {
        return std::nullopt; // a WAVE file, its data chunk further on
    }
    auto aiff = locateAiff(head, fileSize, diagnostics);
    if (aiff && aiff->length == 0 && head.size() < fileSize) {
        return std::nullopt; // the SSND chunk may lie beyond the head
    }
    return aiff;
}

SampleFormat convertToPlayable(const SampleLayout& layout, SampleBuffer& data) {
    SampleFormat format = layout.format;
    toWaveOrder(layout, data.data(), data.size());
    convertSamples(format, data, 0, data.size());
    return format;
}

bool readWave(const std::filesystem::path& path, SampleFormat& format, SampleBuffer& data) {
    std::string file;
    return readWholeFile(path, file) && parseWave(file, format, data);
}

bool readAiff(const std::filesystem::path& path, SampleFormat& format, SampleBuffer& data) {
    std::string file;
    return readWholeFile(path, file) && parseAiff(file, format, data, std::cout);
}

std::string describeSample(const SampleFormat& format, std::string_view formatName,
                           std::uint64_t dataLength) {
    const std::string name(formatName);
    const std::string duration = durationText(dataLength, format.averageBytesPerSecond);
    const std::string size = sizeText(static_cast<std::int64_t>(
        std::min<std::uint64_t>(dataLength, std::numeric_limits<std::int64_t>::max())));
    char text[kInfoTextLimit + 1];
    std::snprintf(text, sizeof text,
                  "File Format:\t%s\nAttributes:\t%s %d bit / %d kHz\nLength:\t\t%s / %s",
                  name.c_str(), format.channels == 1 ? "Mono" : "Stereo",
                  static_cast<int>(format.bitsPerSample),
                  static_cast<int>(format.samplesPerSecond / 1000), duration.c_str(), size.c_str());
    return text;
}

std::string durationText(std::uint64_t bytes, std::uint32_t bytesPerSecond) {
    const long long milliseconds =
        bytesPerSecond == 0 ? 0
                            : std::llround(static_cast<double>(bytes) / (bytesPerSecond * 0.001));
    const long long minutes = milliseconds / 60000;
    const long long seconds = milliseconds / 1000 % 60;
    const long long rest = milliseconds % 1000;
    char text[64];
    if (minutes != 0) {
        std::snprintf(text, sizeof text, "%lldmn%lldse%lldms", minutes, seconds, rest);
    } else if (seconds != 0) {
        std::snprintf(text, sizeof text, "%llds%lldms", seconds, rest);
    } else {
        std::snprintf(text, sizeof text, "%lldms", rest);
    }
    return text;
}

void convertTo16Bit(SampleFormat& format, SampleBuffer& data) {
    convertSamples(format, data, 0, data.size());
}

PlayableSample decodeSample(std::string_view file, std::ostream& diagnostics) {
    return finishSample(locateSample(file, diagnostics), SampleBuffer(file));
}

PlayableSample readSample(const std::filesystem::path& path) {
    SampleBuffer file;
    if (!readWholeFile(path, file)) {
        PlayableSample unreadable;
        unreadable.infoText = kUnknownFormatInfo;
        return unreadable;
    }
    const auto layout = locateSample(file, std::cout);
    return finishSample(layout, std::move(file));
}

} // namespace padsmith
