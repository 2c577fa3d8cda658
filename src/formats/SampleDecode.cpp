// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/SampleDecode.h"

#include "audio/AudioFile.h"
#include "platform/Checksum.h"
#include "platform/Files.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sndfile.h>
#include <sstream>
#include <vector>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

// Enough for the chunks before the sample data of any ordinary file.
constexpr std::size_t kHeadBytes = 8 * 1024;

bool playableLayout(const SampleFormat& format) {
    if (format.channels == 0 || format.channels > 2 || format.samplesPerSecond == 0) {
        return false;
    }
    if (format.formatTag == kFormatFloat) {
        return format.bitsPerSample == 32;
    }
    return format.formatTag == kFormatPcm &&
           (format.bitsPerSample == 16 || format.bitsPerSample == 24 || format.bitsPerSample == 32);
}

// The WAV sub-format that keeps the depth of what libsndfile read.
int waveSubtype(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
        return SF_FORMAT_PCM_24;
    case SF_FORMAT_PCM_32:
        return SF_FORMAT_PCM_32;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return SF_FORMAT_FLOAT;
    default:
        return SF_FORMAT_PCM_16; // 8 and 16 bits, and every lossy format
    }
}

std::string hex(std::uint32_t value) {
    std::array<char, 9> text{};
    std::snprintf(text.data(), text.size(), "%08x", value);
    return text.data();
}

} // namespace

bool pluginReads(const fs::path& file) {
    // Unbuffered, the stream reads the head in one call and never asks the system about the
    // file: a library of thousands of samples is read at the speed of opening them.
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    in.clear();
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    std::ostringstream quiet;
    const auto size = static_cast<std::uint64_t>(end > 0 ? end : 0);
    if (const auto layout = locateSampleData(head, size, quiet)) {
        return playableLayout(layout->format) && layout->length > 0;
    }
    if (head.size() < kHeadBytes) {
        return false; // the whole file was there, and it is no sample file
    }
    const PlayableSample sample = readSample(file);
    return sample.readable && !sample.data.empty();
}

bool decodeToWave(const fs::path& file, const fs::path& target, std::string& problem) {
    SF_INFO info{};
    SNDFILE* in = sf_open(file.string().c_str(), SFM_READ, &info);
    if (in == nullptr) {
        problem = sf_strerror(nullptr);
        return false;
    }
    SF_INFO outInfo{};
    outInfo.samplerate = info.samplerate;
    outInfo.channels = info.channels;
    outInfo.format = SF_FORMAT_WAV | waveSubtype(info.format);
    if (info.channels < 1 || info.channels > 2) {
        sf_close(in);
        problem = std::to_string(info.channels) + " channels (a sample has one or two)";
        return false;
    }
    createFolderChain(target.parent_path());
    const fs::path part = target.string() + ".part";
    SNDFILE* out = sf_open(part.string().c_str(), SFM_WRITE, &outInfo);
    if (out == nullptr) {
        problem = sf_strerror(nullptr);
        sf_close(in);
        return false;
    }
    // Float conversion would round 24- and 32-bit data: integers go through as integers.
    const bool integer = (outInfo.format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT;
    std::vector<int> integers(integer ? 4096 * static_cast<std::size_t>(info.channels) : 0);
    std::vector<float> floats(integer ? 0 : 4096 * static_cast<std::size_t>(info.channels));
    bool written = true;
    for (;;) {
        const sf_count_t frames = integer ? sf_readf_int(in, integers.data(), 4096)
                                          : sf_readf_float(in, floats.data(), 4096);
        if (frames <= 0) {
            break;
        }
        const sf_count_t put = integer ? sf_writef_int(out, integers.data(), frames)
                                       : sf_writef_float(out, floats.data(), frames);
        if (put != frames) {
            written = false;
            problem = sf_strerror(out);
            break;
        }
    }
    sf_close(in);
    if (sf_close(out) != 0 && written) {
        written = false;
        problem = "the decoded file could not be written";
    }
    std::error_code ec;
    if (written) {
        fs::rename(part, target, ec);
        if (ec) {
            written = false;
            problem = ec.message();
        }
    }
    if (!written) {
        fs::remove(part, ec);
    }
    return written;
}

PlayableSource decodedCopy(const fs::path& file, const fs::path& cacheFolder, bool decode) {
    PlayableSource source;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        source.problem = "missing";
        return source;
    }
    // One copy per version of the file: a changed sample is decoded again.
    const std::string absolute = fs::absolute(file, ec).string();
    const auto time = fs::last_write_time(file, ec).time_since_epoch().count();
    const std::string identity =
        absolute + "|" + std::to_string(fileSize(file)) + "|" + std::to_string(time);
    const std::uint32_t sum = checksumBlock(0xFFFFFFFF, identity.data(), identity.size());
    source.path = cacheFolder / "decoded" / hex(sum) / (file.stem().string() + ".wav");
    source.decoded = true;
    if (!decode || fs::is_regular_file(source.path, ec)) {
        return source;
    }
    std::string problem;
    if (!decodeToWave(file, source.path, problem)) {
        source.problem = "cannot be decoded (" + problem + ")";
    }
    return source;
}

PlayableSource decodeAddedSample(const fs::path& file, const fs::path& cacheFolder) {
    PlayableSource source = decodedCopy(file, cacheFolder);
    if (source.ok() && !pluginReads(source.path)) {
        source.problem = "holds no sound";
    }
    return source;
}

PlayableSource playableSource(const fs::path& file, const fs::path& cacheFolder, bool decode) {
    if (pluginReads(file)) {
        PlayableSource source;
        source.path = file;
        return source;
    }
    return decodedCopy(file, cacheFolder, decode);
}

} // namespace padsmith::formats
