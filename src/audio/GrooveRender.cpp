// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/GrooveRender.h"

#include "audio/AudioFile.h"
#include "audio/VoiceMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <sndfile.h>
#include <unordered_map>

namespace padsmith {

namespace {

// Frames mixed at a time at most, between two hits or in the tail.
constexpr std::size_t kBlockFrames = 8192;

// The samples of a rendering, each file read and converted to the output's rate once.
class SampleShelf {
public:
    explicit SampleShelf(int rate) : rate_(rate) {}

    std::shared_ptr<const ConvertedSample> get(const std::string& path) {
        const auto found = samples_.find(path);
        if (found != samples_.end()) {
            return found->second;
        }
        const PlayableSample sample = readSample(path);
        std::shared_ptr<const ConvertedSample> converted;
        if (sample.readable) {
            converted = convertSample(sample, rate_);
        }
        if (!converted) {
            unreadable_.push_back(path);
        }
        samples_.emplace(path, converted);
        return converted;
    }
    std::vector<std::string> unreadable() const { return unreadable_; }

private:
    int rate_;
    std::unordered_map<std::string, std::shared_ptr<const ConvertedSample>> samples_;
    std::vector<std::string> unreadable_;
};

// Mixes `frames` frames onto `out` in blocks of bounded size.
void mixFor(VoiceMixer& mixer, std::uint64_t frames, std::vector<float>& out) {
    while (frames > 0) {
        const auto block = static_cast<std::size_t>(std::min<std::uint64_t>(frames, kBlockFrames));
        mixer.mix(block, out);
        frames -= block;
    }
}

// libsndfile writing into a string.
struct MemoryFile {
    std::string bytes;
    sf_count_t at = 0;
};

sf_count_t memoryLength(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? file->at
                            : whence == SEEK_END ? static_cast<sf_count_t>(file->bytes.size())
                                                 : 0;
    file->at = std::max<sf_count_t>(base + offset, 0);
    return file->at;
}

sf_count_t memoryRead(void* to, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t taken = std::clamp<sf_count_t>(size - file->at, 0, count);
    if (taken > 0) {
        std::memcpy(to, file->bytes.data() + file->at, static_cast<std::size_t>(taken));
    }
    file->at += taken;
    return taken;
}

sf_count_t memoryWrite(const void* from, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto at = static_cast<std::size_t>(file->at);
    const auto length = static_cast<std::size_t>(count);
    if (file->bytes.size() < at + length) {
        file->bytes.resize(at + length);
    }
    std::memcpy(file->bytes.data() + at, from, length);
    file->at += count;
    return count;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->at;
}

} // namespace

Rendering renderGroove(const KitDocument& kit, const Groove& groove, int loops,
                       std::optional<int> pad) {
    Rendering rendering;
    VoiceMixer mixer(groove.rate);
    SampleShelf shelf(groove.rate);
    std::uint64_t position = 0;
    GrooveCursor cursor(groove, std::max(loops, 1));
    rendering.frames.reserve(static_cast<std::size_t>(cursor.endFrame() + groove.rate) * 2);
    for (std::optional<GrooveHit> hit = cursor.peek(); hit; cursor.take(), hit = cursor.peek()) {
        const std::optional<ZonePlay> play = zonePlayed(kit, hit->note, hit->velocity, pad);
        if (!play) {
            continue;
        }
        std::shared_ptr<const ConvertedSample> sample = shelf.get(play->path);
        if (!sample) {
            continue;
        }
        mixFor(mixer, hit->frame - position, rendering.frames);
        position = hit->frame;
        if (mixer.start(play->path, std::move(sample),
                        VoiceGain{play->gainLeft, play->gainRight}) != 0) {
            ++rendering.notesPlayed;
        }
    }
    rendering.grooveFrames = cursor.endFrame();
    mixFor(mixer, rendering.grooveFrames - position, rendering.frames);
    // The tail: until the last voice has ended, then without the silence of its last block.
    while (mixer.sounding()) {
        mixer.mix(kBlockFrames, rendering.frames);
    }
    const std::size_t kept = static_cast<std::size_t>(rendering.grooveFrames) * 2;
    std::size_t end = rendering.frames.size();
    while (end > kept && rendering.frames[end - 1] == 0.0F && rendering.frames[end - 2] == 0.0F) {
        end -= 2;
    }
    rendering.frames.resize(end);
    rendering.unreadable = shelf.unreadable();
    return rendering;
}

std::string encodeWave24(const std::vector<float>& frames, int rate, std::string& error) {
    MemoryFile file;
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* out = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (out == nullptr) {
        error = sf_strerror(nullptr);
        return {};
    }
    // Rounded here rather than by libsndfile, so the bytes depend on nothing but the frames:
    // full scale is 2^23 - 1, in the top 24 bits of the integers it takes.
    std::vector<int> block;
    bool written = true;
    for (std::size_t at = 0; at < frames.size() && written; at += kBlockFrames * 2) {
        const std::size_t count = std::min(frames.size() - at, kBlockFrames * 2);
        block.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const float value = std::clamp(frames[at + i], -1.0F, 1.0F);
            block[i] = static_cast<int>(std::lrint(value * 8388607.0F)) * 256;
        }
        const auto wanted = static_cast<sf_count_t>(count / 2);
        written = sf_writef_int(out, block.data(), wanted) == wanted;
    }
    if (!written) {
        error = sf_strerror(out);
    }
    if (sf_close(out) != 0 && written) {
        written = false;
        error = "the WAVE data could not be completed";
    }
    return written ? std::move(file.bytes) : std::string();
}

} // namespace padsmith
