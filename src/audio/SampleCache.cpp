// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SampleCache.h"

#include "audio/SampleStream.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

namespace padsmith {

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
    // Asked on every note: two looks at the file, not three. file_size fails on anything but
    // a regular file (or a link to one), so it also tells that the path is one.
    std::error_code error;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(path, error);
    if (error) {
        return std::nullopt;
    }
    stamp.modified = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    return stamp;
}

SampleCache::SampleCache(std::size_t limitBytes) : limit_(limitBytes) {}

SampleCache::~SampleCache() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (filler_.joinable()) {
        filler_.join();
    }
}

std::size_t SampleCache::bytesOf(const PlayableSample& sample) {
    return sample.data.size() + sample.infoText.size() + sizeof(PlayableSample);
}

std::shared_ptr<const PlayableSample> SampleCache::find(const std::string& path,
                                                        const FileStamp& stamp) {
    const std::lock_guard lock(mutex_);
    played_[path] = ++plays_;
    const auto found = index_.find(path);
    if (found == index_.end()) {
        return nullptr;
    }
    if (!(found->second->stamp == stamp)) {
        eraseLocked(found->second);
        return nullptr;
    }
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->sample;
}

std::shared_ptr<const PlayableSample> SampleCache::peek(const std::string& path,
                                                        const FileStamp& stamp) const {
    const std::lock_guard lock(mutex_);
    const auto found = index_.find(path);
    if (found == index_.end() || !(found->second->stamp == stamp)) {
        return nullptr;
    }
    return found->second->sample;
}

void SampleCache::insert(const std::string& path, const FileStamp& stamp,
                         std::shared_ptr<const PlayableSample> sample) {
    if (!sample || sample->data.empty()) {
        return;
    }
    const std::size_t bytes = bytesOf(*sample);
    const std::lock_guard lock(mutex_);
    if (const auto found = index_.find(path); found != index_.end()) {
        eraseLocked(found->second);
    }
    if (bytes > limit_) {
        return;
    }
    trimLocked(bytes);
    entries_.push_front(Entry{path, stamp, std::move(sample), bytes});
    index_[path] = entries_.begin();
    used_ += bytes;
}

void SampleCache::invalidate(const std::string& path) {
    const std::lock_guard lock(mutex_);
    if (const auto found = index_.find(path); found != index_.end()) {
        eraseLocked(found->second);
    }
}

void SampleCache::retainOnly(const std::vector<std::string>& paths) {
    const std::unordered_set<std::string> kept(paths.begin(), paths.end());
    const std::lock_guard lock(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        const auto next = std::next(entry);
        if (!kept.contains(entry->path)) {
            eraseLocked(entry);
        }
        entry = next;
    }
}

void SampleCache::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    used_ = 0;
}

void SampleCache::setLimit(std::size_t bytes) {
    const std::lock_guard lock(mutex_);
    limit_ = bytes;
    tooBig_.clear();
    trimLocked(0);
}

std::size_t SampleCache::limit() const {
    const std::lock_guard lock(mutex_);
    return limit_;
}

std::size_t SampleCache::freeRoom() const {
    const std::lock_guard lock(mutex_);
    return used_ < limit_ ? limit_ - used_ : 0;
}

std::size_t SampleCache::usedBytes() const {
    const std::lock_guard lock(mutex_);
    return used_;
}

std::size_t SampleCache::size() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

bool SampleCache::contains(const std::string& path) const {
    const std::lock_guard lock(mutex_);
    return index_.contains(path);
}

void SampleCache::eraseLocked(EntryList::iterator entry) {
    used_ -= entry->bytes;
    index_.erase(entry->path);
    entries_.erase(entry);
}

void SampleCache::trimLocked(std::size_t room) {
    while (!entries_.empty() && used_ + room > limit_) {
        eraseLocked(std::prev(entries_.end()));
    }
}

std::uint64_t SampleCache::lastPlayed(const std::string& path) const {
    const std::lock_guard lock(mutex_);
    const auto found = played_.find(path);
    return found == played_.end() ? 0 : found->second;
}

std::size_t SampleCache::filesRead() const {
    const std::lock_guard lock(mutex_);
    return filesRead_;
}

void SampleCache::startFillerLocked() {
    if (!filler_.joinable() && !queue_.empty()) {
        filler_ = std::thread([this] { fillLoop(); });
    }
}

void SampleCache::fill(std::vector<std::string> paths) {
    {
        const std::lock_guard lock(mutex_);
        // A played file still waiting keeps its place at the head.
        std::erase_if(queue_, [](const Job& job) { return !job.played; });
        for (std::string& path : paths) {
            queue_.push_back(Job{std::move(path), false});
        }
        startFillerLocked();
    }
    wake_.notify_all();
}

void SampleCache::fillFirst(const std::string& path) {
    {
        const std::lock_guard lock(mutex_);
        played_[path] = ++plays_;
        if (index_.contains(path)) {
            return;
        }
        std::erase_if(queue_, [&path](const Job& job) { return job.path == path; });
        queue_.push_front(Job{path, true});
        startFillerLocked();
    }
    wake_.notify_all();
}

void SampleCache::waitForFill() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

std::shared_ptr<const PlayableSample> SampleCache::load(const Job& job, FileStamp& stamp) {
    const std::optional<FileStamp> before = stampOf(job.path);
    if (!before) {
        return nullptr;
    }
    stamp = *before;
    // The header tells the decoded size; the data is read only when that size can have room:
    // free room for the kit's fill, the whole bound for a played sample.
    SampleStream stream(job.path);
    if (!stream.readable()) {
        return nullptr;
    }
    const std::size_t frameBytes = stream.format().channels * 2U;
    const std::uint64_t decoded = stream.framesLeft() * frameBytes;
    if (decoded == 0) {
        return nullptr;
    }
    {
        const std::lock_guard lock(mutex_);
        const std::size_t needed =
            static_cast<std::size_t>(decoded) + stream.infoText().size() + sizeof(PlayableSample);
        if (decoded > limit_ || needed > limit_) {
            tooBig_[job.path] = stamp;
            return nullptr;
        }
        if (!job.played && needed > (used_ < limit_ ? limit_ - used_ : 0)) {
            return nullptr;
        }
        ++filesRead_;
    }
    auto sample = std::make_shared<PlayableSample>();
    sample->readable = true;
    sample->format = stream.format();
    sample->infoText = stream.infoText();
    sample->data.reserve(static_cast<std::size_t>(decoded));
    constexpr std::size_t kBlockFrames = 256 * 1024;
    while (stream.read(kBlockFrames, sample->data)) {
        if (ending()) {
            return nullptr;
        }
    }
    // A file that changed while it was read is left for the next look.
    if (stampOf(job.path) != before) {
        return nullptr;
    }
    return sample;
}

void SampleCache::fillLoop() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
        if (ending_) {
            return;
        }
        const Job job = std::move(queue_.front());
        queue_.pop_front();
        const auto tooBig = tooBig_.find(job.path);
        const bool skip = index_.contains(job.path) ||
                          (tooBig != tooBig_.end() && stampOf(job.path) == tooBig->second);
        busy_ = !skip;
        if (!skip) {
            lock.unlock();
            FileStamp stamp;
            std::shared_ptr<const PlayableSample> sample = load(job, stamp);
            lock.lock();
            if (sample && !index_.contains(job.path)) {
                const std::size_t bytes = bytesOf(*sample);
                if (job.played && bytes <= limit_) {
                    // What the user plays pushes out what was played least recently.
                    trimLocked(bytes);
                    entries_.push_front(Entry{job.path, stamp, std::move(sample), bytes});
                    index_[job.path] = entries_.begin();
                    used_ += bytes;
                } else if (used_ + bytes <= limit_) {
                    // The kit's fill only takes free room, behind everything played.
                    entries_.push_back(Entry{job.path, stamp, std::move(sample), bytes});
                    index_[job.path] = std::prev(entries_.end());
                    used_ += bytes;
                }
            }
            busy_ = false;
        }
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

bool SampleCache::ending() const {
    const std::lock_guard lock(mutex_);
    return ending_;
}

} // namespace padsmith
