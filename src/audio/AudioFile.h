// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace padsmith {

// Format tags of the WAVE format record.
inline constexpr std::uint16_t kFormatPcm = 1;
inline constexpr std::uint16_t kFormatFloat = 3;
inline constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// The format of a sample file, laid out like the WAVE format record. A tag other than PCM or
// float means data this program cannot play (compressed WAVE or AIFF-C data).
struct SampleFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;

    bool operator==(const SampleFormat&) const = default;
};

// Raw sample data, little-endian as in a WAVE file (8-bit samples unsigned).
using SampleBuffer = std::string;

inline constexpr std::string_view kWaveFormatName = "Microsoft Wave";
inline constexpr std::string_view kAiffFormatName = "Apple AIFF";
inline constexpr std::string_view kUnknownFormatInfo = "File Format: ?";

// Parse a whole file held in memory. True when it is a WAVE (or AIFF) file this reader
// understands; `format` and `data` are only changed then. Every size the file states is
// checked against the bytes really there. Extensible WAVE files come back with their
// sub-format (PCM or float) as the tag; AIFF data comes back in WAVE byte order.
bool parseWave(std::string_view file, SampleFormat& format, SampleBuffer& data);
// A malformed COMM chunk or a missing SSND chunk is reported on `diagnostics`.
bool parseAiff(std::string_view file, SampleFormat& format, SampleBuffer& data,
               std::ostream& diagnostics);

// The same over a file on disk; the file is read whole and closed before they return.
// readAiff reports on the standard output.
bool readWave(const std::filesystem::path& path, SampleFormat& format, SampleBuffer& data);
bool readAiff(const std::filesystem::path& path, SampleFormat& format, SampleBuffer& data);

// The three-line description shown beside a sample:
// "File Format:\t...\nAttributes:\t... bit / .. kHz\nLength:\t\t... / ...", at most 256 chars.
std::string describeSample(const SampleFormat& format, std::string_view formatName,
                           std::uint64_t dataLength);

// "1mn1se234ms", "1s500ms", "999ms": the play time of `bytes` at `bytesPerSecond`.
std::string durationText(std::uint64_t bytes, std::uint32_t bytesPerSecond);

// Turns the data into 16-bit PCM in place and rewrites the format to match. Data that cannot
// be played (unknown format, unusual sample size) comes out empty, and the format still says
// 16-bit PCM so nothing downstream has to special-case it.
void convertTo16Bit(SampleFormat& format, SampleBuffer& data);

// Where the sample data of a file lies and how it is stored: what it takes to read and convert
// the data piece by piece.
struct SampleLayout {
    SampleFormat format; // as stored
    std::size_t offset = 0;
    std::size_t length = 0;  // data bytes the file really holds
    bool bigEndian = false;  // AIFF data that still needs its bytes turned
    bool signed8Bit = false; // AIFF's 8-bit samples are signed, WAVE's unsigned
    std::string_view formatName;
};
// The layout from `head`, the first bytes of a file of `fileSize` bytes, as decodeSample would
// find it in the whole file. Nothing when the file is no sample file or when the header (the
// data chunk among it) reaches beyond `head`: then only the whole file can tell.
std::optional<SampleLayout> locateSampleData(std::string_view head, std::uint64_t fileSize,
                                             std::ostream& diagnostics);
// Converts whole stored frames of `layout`'s data to 16-bit PCM in place, as decodeSample
// does; returns the format of the result.
SampleFormat convertToPlayable(const SampleLayout& layout, SampleBuffer& data);

// A sample ready to play: 16-bit PCM data and its format, and the info text of the file as
// it was stored. `readable` is false for a file neither reader accepts (info "File Format: ?").
struct PlayableSample {
    bool readable = false;
    SampleFormat format;
    SampleBuffer data;
    std::string infoText;
};
PlayableSample decodeSample(std::string_view file, std::ostream& diagnostics);
// Reads the file whole, closes it, then decodes it: as WAVE, else as AIFF.
PlayableSample readSample(const std::filesystem::path& path);

} // namespace padsmith
