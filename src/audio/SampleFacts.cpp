// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SampleFacts.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// Peak, envelope, silence at the start and clipping over 16-bit interleaved little-endian data,
// in one pass from the first frame to the last.
void measureLevels(SampleFacts& facts, std::string_view pcm16, std::size_t channels) {
    const std::size_t frames = channels == 0 ? 0 : pcm16.size() / 2 / channels;
    facts.frames = frames;
    facts.buckets = std::min(frames, SampleFacts::kEnvelopeBuckets);
    facts.envelope.assign(facts.buckets * channels, SampleFacts::Span{});
    facts.leadingSilence = frames;
    facts.clips.clear();
    facts.peak = 0.0F;
    if (facts.buckets == 0) {
        return;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(pcm16.data());
    std::vector<std::int16_t> low(channels);
    std::vector<std::int16_t> high(channels);
    std::vector<int> fullRun(channels, 0);
    int largest = 0;
    bool heard = false;
    std::size_t bucket = 0;
    // Equal buckets by integer division; the last reaches the end of the file.
    auto bucketEnd = [&](std::size_t b) {
        return b + 1 == facts.buckets ? frames : frames * (b + 1) / facts.buckets;
    };
    auto startBucket = [&] {
        std::fill(low.begin(), low.end(), std::numeric_limits<std::int16_t>::max());
        std::fill(high.begin(), high.end(), std::numeric_limits<std::int16_t>::min());
    };
    auto closeBucket = [&] {
        for (std::size_t c = 0; c < channels; ++c) {
            facts.envelope[c * facts.buckets + bucket] = SampleFacts::Span{low[c], high[c]};
            largest =
                std::max({largest, std::abs(static_cast<int>(low[c])), static_cast<int>(high[c])});
        }
    };
    startBucket();
    std::size_t end = bucketEnd(0);
    for (std::size_t f = 0; f < frames; ++f) {
        if (f == end) {
            closeBucket();
            ++bucket;
            end = bucketEnd(bucket);
            startBucket();
        }
        for (std::size_t c = 0; c < channels; ++c) {
            const std::size_t at = (f * channels + c) * 2;
            const auto value = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8));
            low[c] = std::min(low[c], value);
            high[c] = std::max(high[c], value);
            if (!heard && std::abs(static_cast<int>(value)) >= SampleFacts::kSilenceLevel) {
                heard = true;
                facts.leadingSilence = f;
            }
            if (value == std::numeric_limits<std::int16_t>::max() ||
                value == std::numeric_limits<std::int16_t>::min()) {
                const std::uint64_t start = f + 1 - SampleFacts::kClipRun;
                if (++fullRun[c] == SampleFacts::kClipRun &&
                    facts.clips.size() < SampleFacts::kMaxClips &&
                    (facts.clips.empty() || facts.clips.back() != start)) {
                    facts.clips.push_back(start);
                }
            } else {
                fullRun[c] = 0;
            }
        }
    }
    closeBucket();
    facts.peak = std::min(1.0F, static_cast<float>(largest) / 32768.0F);
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
    facts.format = layout->format;
    facts.formatName = std::string(layout->formatName);
    if (!isPlayableFormat(layout->format)) {
        facts.state = SampleFacts::State::NotPcm;
        return facts;
    }
    facts.state = SampleFacts::State::Ok;
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
