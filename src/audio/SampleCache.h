// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace padsmith {

// What one look at a file tells about its content: a file with the same size and time of last
// change is taken to hold the same sample.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;

    bool operator==(const FileStamp&) const = default;
};
// One stat; nothing when the file cannot be looked at.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// The samples of the open kit, decoded to 16-bit PCM and kept in memory so that a preview can
// start without reading the file. Bounded in decoded bytes; the sample played least recently
// goes first. An entry counts only while its file still has the size and time it had when it
// was read. A background thread fills the cache: the kit's samples only into free room (so a
// kit larger than the bound keeps what the user played), a played sample by pushing out the
// least recently played ones. The decoded size is known from a file's header before its data
// is read: a file that cannot fit is never read for the cache, it streams when played.
class SampleCache {
public:
    static constexpr std::size_t kDefaultLimitMiB = 256;
    // The setting that changes the bound, in MiB (0 turns the cache off).
    static constexpr const char* kLimitSetting = "SampleCacheMiB";

    explicit SampleCache(std::size_t limitBytes = kDefaultLimitMiB * 1024 * 1024);
    ~SampleCache();
    SampleCache(const SampleCache&) = delete;
    SampleCache& operator=(const SampleCache&) = delete;

    // The decoded sample of `path` if it was read when the file had `stamp`; it becomes the
    // most recently used. An entry whose file has changed since is dropped.
    std::shared_ptr<const PlayableSample> find(const std::string& path, const FileStamp& stamp);
    // The same without counting as a play: for voices made ready before anyone plays them.
    std::shared_ptr<const PlayableSample> peek(const std::string& path,
                                               const FileStamp& stamp) const;
    // Keeps a decoded sample, pushing out the least recently used ones to make room. A sample
    // larger than the whole bound, or one that cannot be played, is not kept.
    void insert(const std::string& path, const FileStamp& stamp,
                std::shared_ptr<const PlayableSample> sample);
    // Forgets a file that was renamed, replaced, deleted or handed to an editor.
    void invalidate(const std::string& path);
    // Forgets every file but these (the samples of the kit as it is now).
    void retainOnly(const std::vector<std::string>& paths);
    void clear();

    void setLimit(std::size_t bytes);
    std::size_t limit() const;
    std::size_t usedBytes() const;
    std::size_t freeRoom() const;
    std::size_t size() const;
    bool contains(const std::string& path) const;

    // Reads and decodes these files in the background, in this order, into free room,
    // skipping those already kept and those that cannot fit; what was still waiting from an
    // earlier call is dropped.
    void fill(std::vector<std::string> paths);
    // A file the user played and that was not in the cache: it goes to the head of the
    // background work, keeping what waits behind it, and is kept even if the least recently
    // played samples must make room for it.
    void fillFirst(const std::string& path);
    // Blocks until the background thread has nothing left to do (tests and benchmarks).
    void waitForFill();

    // When `path` was last played (looked up or offered by fillFirst), as a count that grows
    // with every play; 0 when never.
    std::uint64_t lastPlayed(const std::string& path) const;
    // How many files the background thread has read for the cache so far (tests).
    std::size_t filesRead() const;

private:
    struct Entry {
        std::string path;
        FileStamp stamp;
        std::shared_ptr<const PlayableSample> sample;
        std::size_t bytes = 0;
    };
    using EntryList = std::list<Entry>;

    struct Job {
        std::string path;
        bool played = false;
    };

    static std::size_t bytesOf(const PlayableSample& sample);
    void eraseLocked(EntryList::iterator entry);
    void trimLocked(std::size_t room);
    void startFillerLocked();
    void fillLoop();
    bool ending() const;
    // Reads and decodes `job`'s file if its decoded size can be given room; unlocked.
    std::shared_ptr<const PlayableSample> load(const Job& job, FileStamp& stamp);

    mutable std::mutex mutex_;
    EntryList entries_; // most recently used first
    std::unordered_map<std::string, EntryList::iterator> index_;
    std::size_t limit_;
    std::size_t used_ = 0;

    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> queue_;
    // Files found too big for the bound, as they were then: not looked at again.
    std::unordered_map<std::string, FileStamp> tooBig_;
    std::unordered_map<std::string, std::uint64_t> played_;
    std::uint64_t plays_ = 0;
    std::size_t filesRead_ = 0;
    bool busy_ = false;
    bool ending_ = false;
    std::thread filler_;
};

} // namespace padsmith
