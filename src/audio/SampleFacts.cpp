// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SampleFacts.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

namespace padsmith {

namespace {

bool isPlayableFormat(const SampleFormat& format) {
    const int bits = format.bitsPerSample;
    if (format.channels == 0) {
        return false;
    }
    if (format.formatTag == kFormatPcm) {
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    }
    return format.formatTag == kFormatFloat && (bits == 32 || bits == 64);
}

// Peak, envelope, silence at the start and clipping over 16-bit interleaved little-endian data
// of `frames` frames, given in pieces of whole frames from the first frame to the last.
class LevelMeter {
public:
    LevelMeter(SampleFacts& facts, std::uint64_t frames, std::size_t channels)
        : facts_(facts), channels_(channels), frames_(frames), low_(channels), high_(channels),
          fullRun_(channels, 0) {
        facts.frames = frames;
        facts.buckets = static_cast<std::size_t>(
            std::min<std::uint64_t>(frames, SampleFacts::kEnvelopeBuckets));
        facts.envelope.assign(facts.buckets * channels, SampleFacts::Span{});
        facts.leadingSilence = frames;
        facts.clips.clear();
        facts.peak = 0.0F;
        startBucket();
        end_ = bucketEnd(0);
    }

    void add(std::string_view pcm16) {
        if (facts_.buckets == 0) {
            return;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(pcm16.data());
        const std::size_t count = pcm16.size() / 2 / channels_;
        for (std::size_t i = 0; i < count && frame_ < frames_; ++i, ++frame_) {
            if (frame_ == end_) {
                closeBucket();
                ++bucket_;
                end_ = bucketEnd(bucket_);
                startBucket();
            }
            for (std::size_t c = 0; c < channels_; ++c) {
                const std::size_t at = (i * channels_ + c) * 2;
                const auto value = static_cast<std::int16_t>(
                    static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8));
                low_[c] = std::min(low_[c], value);
                high_[c] = std::max(high_[c], value);
                if (!heard_ && std::abs(static_cast<int>(value)) >= SampleFacts::kSilenceLevel) {
                    heard_ = true;
                    facts_.leadingSilence = frame_;
                }
                if (value == std::numeric_limits<std::int16_t>::max() ||
                    value == std::numeric_limits<std::int16_t>::min()) {
                    const std::uint64_t start = frame_ + 1 - SampleFacts::kClipRun;
                    if (++fullRun_[c] == SampleFacts::kClipRun &&
                        facts_.clips.size() < SampleFacts::kMaxClips &&
                        (facts_.clips.empty() || facts_.clips.back() != start)) {
                        facts_.clips.push_back(start);
                    }
                } else {
                    fullRun_[c] = 0;
                }
            }
        }
    }

    void finish() {
        if (facts_.buckets == 0) {
            return;
        }
        closeBucket();
        facts_.peak = std::min(1.0F, static_cast<float>(largest_) / 32768.0F);
    }

private:
    // Equal buckets by integer division; the last reaches the end of the file.
    std::uint64_t bucketEnd(std::size_t b) const {
        return b + 1 == facts_.buckets ? frames_ : frames_ * (b + 1) / facts_.buckets;
    }
    void startBucket() {
        std::fill(low_.begin(), low_.end(), std::numeric_limits<std::int16_t>::max());
        std::fill(high_.begin(), high_.end(), std::numeric_limits<std::int16_t>::min());
    }
    void closeBucket() {
        for (std::size_t c = 0; c < channels_; ++c) {
            facts_.envelope[c * facts_.buckets + bucket_] = SampleFacts::Span{low_[c], high_[c]};
            largest_ = std::max(
                {largest_, std::abs(static_cast<int>(low_[c])), static_cast<int>(high_[c])});
        }
    }

    SampleFacts& facts_;
    std::size_t channels_;
    std::uint64_t frames_;
    std::vector<std::int16_t> low_;
    std::vector<std::int16_t> high_;
    std::vector<int> fullRun_;
    int largest_ = 0;
    bool heard_ = false;
    std::size_t bucket_ = 0;
    std::uint64_t end_ = 0;
    std::uint64_t frame_ = 0;
};

void measureLevels(SampleFacts& facts, std::string_view pcm16, std::size_t channels) {
    LevelMeter meter(facts, channels == 0 ? 0 : pcm16.size() / 2 / channels, channels);
    meter.add(pcm16);
    meter.finish();
}

// Files above this size are measured block by block, so a long recording is never held whole.
constexpr std::uintmax_t kStreamAbove = 4U * 1024 * 1024;
constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::size_t kBlockBytes = 1024 * 1024;

// The facts of a large file from its header and its data read in blocks; nothing when the
// header is not within the file's first bytes (then the whole file has to tell).
// What the layout tells before any sample is read: the format, and whether it can be measured
// (state Ok) or is no PCM the program plays (NotPcm).
SampleFacts factsOfLayout(const SampleLayout& layout) {
    SampleFacts facts;
    facts.format = layout.format;
    facts.formatName = std::string(layout.formatName);
    facts.state =
        isPlayableFormat(layout.format) ? SampleFacts::State::Ok : SampleFacts::State::NotPcm;
    return facts;
}

std::optional<SampleFacts> measureStreamed(const std::filesystem::path& path, std::uintmax_t size) {
    std::ifstream file(path, std::ios::binary);
    std::string head(kHeadBytes, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (file.gcount() != static_cast<std::streamsize>(head.size())) {
        return std::nullopt;
    }
    std::ostringstream quiet;
    const std::optional<SampleLayout> layout = locateSampleData(head, size, quiet);
    if (!layout) {
        return std::nullopt;
    }
    SampleFacts facts = factsOfLayout(*layout);
    if (facts.state != SampleFacts::State::Ok) {
        return facts;
    }
    const std::size_t channels = layout->format.channels;
    const std::size_t frameBytes = std::size_t{layout->format.bitsPerSample} / 8 * channels;
    std::uint64_t left = layout->length / frameBytes * frameBytes;
    LevelMeter meter(facts, left / frameBytes, channels);
    file.clear();
    file.seekg(static_cast<std::streamoff>(layout->offset));
    const std::size_t block = std::max<std::size_t>(kBlockBytes / frameBytes, 1) * frameBytes;
    SampleBuffer data;
    while (left > 0 && file) {
        data.assign(static_cast<std::size_t>(std::min<std::uint64_t>(block, left)), '\0');
        file.read(data.data(), static_cast<std::streamsize>(data.size()));
        const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
        data.resize(got / frameBytes * frameBytes);
        if (data.empty()) {
            break;
        }
        left -= data.size();
        convertToPlayable(*layout, data);
        meter.add(data);
    }
    // A file cut short while it was read keeps what was read; its new stamp has it measured
    // again.
    meter.finish();
    return facts;
}

} // namespace

double SampleFacts::peakDecibels() const {
    if (peak <= 0.0F) {
        return -std::numeric_limits<double>::infinity();
    }
    return 20.0 * std::log10(static_cast<double>(peak));
}

const SampleFacts::Span* SampleFacts::channelEnvelope(std::size_t channel) const {
    if (channel >= format.channels || envelope.size() < (channel + 1) * buckets) {
        return nullptr;
    }
    return envelope.data() + channel * buckets;
}

SampleFacts measureSampleData(std::string_view file) {
    SampleFacts facts;
    facts.state = SampleFacts::State::Unreadable;
    std::ostringstream quiet;
    const std::optional<SampleLayout> layout = locateSampleData(file, file.size(), quiet);
    if (!layout) {
        return facts;
    }
    facts = factsOfLayout(*layout);
    if (facts.state != SampleFacts::State::Ok) {
        return facts;
    }
    const std::size_t offset = std::min(layout->offset, file.size());
    const std::string_view stored = file.substr(offset, layout->length);
    const SampleFormat& format = layout->format;
    if (format.formatTag == kFormatPcm && format.bitsPerSample == 16 && !layout->bigEndian) {
        // Already what is measured: no copy of a long file.
        measureLevels(facts, stored, format.channels);
        return facts;
    }
    SampleBuffer data(stored);
    convertToPlayable(*layout, data);
    measureLevels(facts, data, format.channels);
    return facts;
}

SampleFacts measureSample(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return SampleFacts{};
    }
    if (const std::uintmax_t size = std::filesystem::file_size(path, error);
        !error && size > kStreamAbove) {
        if (std::optional<SampleFacts> facts = measureStreamed(path, size)) {
            return *facts;
        }
    }
    std::string file;
    if (!readWholeFile(path, file)) {
        SampleFacts facts;
        facts.state = SampleFacts::State::Unreadable;
        return facts;
    }
    return measureSampleData(file);
}

SampleFactsCache::SampleFactsCache(Ready ready) : ready_(std::move(ready)) {
    worker_ = std::thread([this] { workLoop(); });
}

SampleFactsCache::~SampleFactsCache() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

std::shared_ptr<const SampleFacts> SampleFactsCache::find(const std::string& path) {
    const std::optional<FileStamp> stamp = stampOf(path);
    const std::lock_guard lock(mutex_);
    const auto entry = entries_.find(path);
    if (!stamp) {
        if (entry != entries_.end()) {
            entries_.erase(entry);
        }
        static const auto missing = std::make_shared<const SampleFacts>();
        return missing;
    }
    if (entry == entries_.end()) {
        return nullptr;
    }
    if (!(entry->second.stamp == *stamp)) {
        entries_.erase(entry);
        return nullptr;
    }
    return entry->second.facts;
}

std::shared_ptr<const SampleFacts> SampleFactsCache::measure(const std::string& path) {
    if (auto known = find(path)) {
        return known;
    }
    // The stamp is taken before the reading, so a change during it is seen next time.
    const std::optional<FileStamp> stamp = stampOf(path);
    auto facts = std::make_shared<const SampleFacts>(measureSample(path));
    const std::lock_guard lock(mutex_);
    if (stamp) {
        entries_[path] = Entry{*stamp, facts};
    }
    ++measured_;
    return facts;
}

void SampleFactsCache::request(std::vector<std::string> paths) {
    {
        const std::lock_guard lock(mutex_);
        queue_.assign(paths.begin(), paths.end());
    }
    wake_.notify_all();
}

void SampleFactsCache::invalidate(const std::string& path) {
    const std::lock_guard lock(mutex_);
    entries_.erase(path);
}

void SampleFactsCache::retainOnly(const std::vector<std::string>& paths) {
    std::unordered_map<std::string, Entry> kept;
    const std::lock_guard lock(mutex_);
    for (const std::string& path : paths) {
        const auto entry = entries_.find(path);
        if (entry != entries_.end()) {
            kept.insert(*entry);
        }
    }
    entries_.swap(kept);
}

std::size_t SampleFactsCache::measuredCount() const {
    const std::lock_guard lock(mutex_);
    return measured_;
}

bool SampleFactsCache::busy() const {
    const std::lock_guard lock(mutex_);
    return working_ || !queue_.empty();
}

void SampleFactsCache::waitForIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !working_ && queue_.empty(); });
}

void SampleFactsCache::workLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
        if (ending_) {
            return;
        }
        const std::string path = queue_.front();
        queue_.pop_front();
        working_ = true;
        lock.unlock();
        if (find(path) == nullptr) {
            measure(path);
            if (ready_) {
                ready_(path);
            }
        }
        lock.lock();
        working_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

} // namespace padsmith
