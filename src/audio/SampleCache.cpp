#include "audio/SampleCache.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

namespace padsmith {

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) {
        return std::nullopt;
    }
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

void SampleCache::fill(std::vector<std::string> paths) {
    {
        const std::lock_guard lock(mutex_);
        queue_.assign(std::make_move_iterator(paths.begin()), std::make_move_iterator(paths.end()));
        if (!filler_.joinable() && !queue_.empty()) {
            filler_ = std::thread([this] { fillLoop(); });
        }
    }
    wake_.notify_all();
}

void SampleCache::fillFirst(const std::string& path) {
    {
        const std::lock_guard lock(mutex_);
        if (index_.contains(path)) {
            return;
        }
        std::erase(queue_, path);
        queue_.push_front(path);
        if (!filler_.joinable()) {
            filler_ = std::thread([this] { fillLoop(); });
        }
    }
    wake_.notify_all();
}

void SampleCache::waitForFill() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void SampleCache::fillLoop() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
        if (ending_) {
            return;
        }
        const std::string path = std::move(queue_.front());
        queue_.pop_front();
        const bool kept = index_.contains(path);
        busy_ = !kept;
        if (!kept) {
            lock.unlock();
            std::shared_ptr<const PlayableSample> sample;
            std::optional<FileStamp> stamp = stampOf(path);
            // Decoded, a file takes at least half its size (32-bit samples, 16 kept): one that
            // cannot fit the free room is not read at all.
            if (stamp && stamp->size / 2 <= freeRoom()) {
                sample = std::make_shared<const PlayableSample>(readSample(path));
                // A file that changed while it was read is left for the next look.
                if (stampOf(path) != stamp) {
                    sample.reset();
                }
            }
            lock.lock();
            if (sample && !sample->data.empty() && !index_.contains(path)) {
                const std::size_t bytes = bytesOf(*sample);
                // The fill only takes free room: what the user played stays.
                if (used_ + bytes <= limit_) {
                    entries_.push_back(Entry{path, *stamp, std::move(sample), bytes});
                    index_[path] = std::prev(entries_.end());
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

} // namespace padsmith
