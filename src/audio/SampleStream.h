// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace padsmith {

// A sample file read piece by piece, so that playback can start before the whole file is in:
// the header first, then the data in blocks, each turned into 16-bit PCM as it arrives. The
// blocks put together are exactly what decodeSample makes of the whole file. A file whose
// header does not lie within its first bytes is read whole at open instead.
class SampleStream {
public:
    // Bytes read for the header: a WAVE or AIFF header sits in its first few hundred bytes,
    // unless the file carries large chunks of its own (pictures, markers) before the data.
    static constexpr std::size_t kHeadBytes = 64 * 1024;

    // Opens the file and reads its header; the AIFF reader's diagnostics go to the standard
    // output as with readSample.
    explicit SampleStream(const std::filesystem::path& path);

    // False for a file neither reader accepts; its info text is then "File Format: ?".
    bool readable() const { return readable_; }
    const std::string& infoText() const { return infoText_; }
    // The format of what read() gives: 16-bit PCM.
    const SampleFormat& format() const { return format_; }
    // Frames still to come.
    std::uint64_t framesLeft() const;

    // Appends up to `frames` frames of 16-bit PCM to `out`; false when nothing was left.
    bool read(std::size_t frames, SampleBuffer& out);

private:
    bool readable_ = false;
    std::string infoText_;
    SampleFormat format_;
    // Streaming: the open file and the part of the data not yet read.
    std::ifstream file_;
    SampleLayout layout_;
    std::size_t frameBytes_ = 0; // stored bytes per frame; 0 when nothing can be played
    std::uint64_t bytesLeft_ = 0;
    // Read whole: the decoded sample and how far it has been handed out.
    std::unique_ptr<PlayableSample> whole_;
    std::size_t wholeOffset_ = 0;
};

// A file this program can play: a WAVE or AIFF file with sound in a sample format the reader
// converts (not compressed, not empty). Reads no more than the header when it can.
bool isPlayableSample(const std::filesystem::path& path);

} // namespace padsmith
