#include "audio/SampleFacts.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <system_error>

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

std::int16_t sampleAt(const SampleBuffer& data, std::size_t index) {
    const auto low = static_cast<std::uint8_t>(data[index * 2]);
    const auto high = static_cast<std::uint8_t>(data[index * 2 + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
}

// Peak and envelope over 16-bit interleaved data.
void measureLevels(SampleFacts& facts, const SampleBuffer& pcm16, std::size_t channels) {
    const std::size_t frames = channels == 0 ? 0 : pcm16.size() / 2 / channels;
    facts.frames = frames;
    facts.buckets = std::min(frames, SampleFacts::kEnvelopeBuckets);
    facts.envelope.assign(facts.buckets * channels, SampleFacts::Span{});
    int largest = 0;
    for (std::size_t b = 0; b < facts.buckets; ++b) {
        // Equal buckets by integer division; the last reaches the end of the file.
        const std::size_t first = frames * b / facts.buckets;
        const std::size_t last = b + 1 == facts.buckets ? frames : frames * (b + 1) / facts.buckets;
        for (std::size_t c = 0; c < channels; ++c) {
            std::int16_t low = std::numeric_limits<std::int16_t>::max();
            std::int16_t high = std::numeric_limits<std::int16_t>::min();
            for (std::size_t f = first; f < last; ++f) {
                const std::int16_t value = sampleAt(pcm16, f * channels + c);
                low = std::min(low, value);
                high = std::max(high, value);
            }
            if (first == last) {
                low = high = 0;
            }
            facts.envelope[c * facts.buckets + b] = SampleFacts::Span{low, high};
            largest = std::max({largest, std::abs(static_cast<int>(low)), static_cast<int>(high)});
        }
    }
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
    SampleBuffer data(file.substr(offset, layout->length));
    convertToPlayable(*layout, data);
    measureLevels(facts, data, layout->format.channels);
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
