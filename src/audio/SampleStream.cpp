// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SampleStream.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <system_error>

namespace padsmith {

namespace {

// Stored bytes per frame of the sample sizes convertToPlayable turns into sound; 0 otherwise.
std::size_t storedFrameBytes(const SampleFormat& format) {
    const std::uint16_t bits = format.bitsPerSample;
    const bool known =
        (format.formatTag == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
        (format.formatTag == kFormatFloat && (bits == 32 || bits == 64));
    return known ? static_cast<std::size_t>(bits / 8U) * format.channels : 0;
}

// The format convertToPlayable gives for `stored`, without converting anything.
SampleFormat playableFormat(const SampleLayout& layout) {
    SampleLayout empty = layout;
    SampleBuffer nothing;
    return convertToPlayable(empty, nothing);
}

} // namespace

SampleStream::SampleStream(const std::filesystem::path& path) {
    std::error_code error;
    // Only regular files are samples: opening a pipe would wait for a writer, and a device
    // would never end.
    if (!std::filesystem::is_regular_file(path, error)) {
        infoText_ = std::string(kUnknownFormatInfo);
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    file_.open(path, std::ios::binary);
    if (!error && file_) {
        std::string head(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kHeadBytes)),
                         '\0');
        file_.read(head.data(), static_cast<std::streamsize>(head.size()));
        if (file_.gcount() == static_cast<std::streamsize>(head.size()) && head.size() < size) {
            std::ostringstream diagnostics;
            if (auto layout = locateSampleData(head, size, diagnostics)) {
                std::cout << diagnostics.str();
                readable_ = true;
                layout_ = *layout;
                format_ = playableFormat(layout_);
                infoText_ = describeSample(layout_.format, layout_.formatName, layout_.length);
                frameBytes_ = storedFrameBytes(layout_.format);
                bytesLeft_ = frameBytes_ == 0 ? 0 : layout_.length / frameBytes_ * frameBytes_;
                file_.seekg(static_cast<std::streamoff>(layout_.offset));
                return;
            }
        }
    }
    // A small file, or one whose header needs more than its head: read it whole.
    file_.close();
    whole_ = std::make_unique<PlayableSample>(readSample(path));
    readable_ = whole_->readable;
    infoText_ = whole_->infoText;
    format_ = whole_->format;
}

std::uint64_t SampleStream::framesLeft() const {
    if (whole_) {
        const std::size_t frame = format_.channels * 2U;
        return frame == 0 ? 0 : (whole_->data.size() - wholeOffset_) / frame;
    }
    return frameBytes_ == 0 ? 0 : bytesLeft_ / frameBytes_;
}

bool SampleStream::read(std::size_t frames, SampleBuffer& out) {
    if (whole_) {
        const std::size_t bytes =
            std::min(frames * format_.channels * 2U, whole_->data.size() - wholeOffset_);
        out.append(whole_->data, wholeOffset_, bytes);
        wholeOffset_ += bytes;
        return bytes != 0;
    }
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(frames * frameBytes_, bytesLeft_));
    if (wanted == 0) {
        return false;
    }
    SampleBuffer block(wanted, '\0');
    file_.read(block.data(), static_cast<std::streamsize>(wanted));
    // A file cut short while it plays ends the sample where it ends.
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file_.gcount(), 0));
    block.resize(got / frameBytes_ * frameBytes_);
    bytesLeft_ = got < wanted ? 0 : bytesLeft_ - wanted;
    if (block.empty()) {
        return false;
    }
    convertToPlayable(layout_, block);
    out.append(block);
    return true;
}

bool isPlayableSample(const std::filesystem::path& path) {
    const SampleStream stream(path);
    return stream.readable() && stream.format().channels != 0 && stream.framesLeft() > 0;
}

} // namespace padsmith
