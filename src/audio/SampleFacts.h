// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"
#include "audio/SampleCache.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace padsmith {

// What one reading of a sample file tells about its sound: the format as stored, the peak
// level, and a coarse peak envelope to draw a waveform from.
struct SampleFacts {
    enum class State {
        Missing,    // no regular file at the path
        Unreadable, // a file, but neither a WAVE nor an AIFF file this reader understands
        NotPcm,     // a WAVE or AIFF file whose data is compressed or of an unusual sample size
        Ok,
    };
    State state = State::Missing;
    SampleFormat format; // as stored in the file (bits, rate, channels, tag)
    std::string formatName;
    std::uint64_t frames = 0;
    // The largest sample magnitude over all channels, 0 to 1 (1 is full scale).
    float peak = 0.0F;
    // Min and max of each bucket of each channel, in 16-bit units, channel after channel:
    // envelope[c * buckets + b]. The whole file is cut into kEnvelopeBuckets buckets of equal
    // length (the last takes the remainder); a file shorter than that has one bucket a frame.
    struct Span {
        std::int16_t min = 0;
        std::int16_t max = 0;
    };
    static constexpr std::size_t kEnvelopeBuckets = 512;
    std::size_t buckets = 0;
    std::vector<Span> envelope;

    // Frames at the start in which every channel stays below -60 dBFS (all of them for a
    // silent file). More than 5 ms of them is silence before the sound.
    std::uint64_t leadingSilence = 0;
    static constexpr int kSilenceLevel = 33; // 16-bit magnitude of -60 dBFS, rounded up
    static constexpr int kSilenceMs = 5;
    bool silentStart() const {
        return leadingSilence * 1000 > std::uint64_t{kSilenceMs} * format.samplesPerSecond;
    }
    // The frames where runs of kClipRun or more samples at full scale begin (clipping), in
    // order, at most kMaxClips of them.
    static constexpr int kClipRun = 3;
    static constexpr std::size_t kMaxClips = 1000;
    std::vector<std::uint64_t> clips;

    // The peak in dB below full scale; -inf for silence.
    double peakDecibels() const;
    const Span* channelEnvelope(std::size_t channel) const;
};

// Reads and measures one file (read whole, closed before it returns).
SampleFacts measureSample(const std::filesystem::path& path);
// The same over a file held in memory.
SampleFacts measureSampleData(std::string_view file);

// The facts of many files, measured on a background thread and kept while each file keeps the
// size and time it had when it was measured (the sample cache's key). Small per file (a few
// KiB), so not bounded; retainOnly() drops what the open kit no longer plays.
class SampleFactsCache {
public:
    // Called on the background thread after each file the background measured.
    using Ready = std::function<void(const std::string& path)>;

    explicit SampleFactsCache(Ready ready = {});
    ~SampleFactsCache();
    SampleFactsCache(const SampleFactsCache&) = delete;
    SampleFactsCache& operator=(const SampleFactsCache&) = delete;

    // The facts of `path` if they were measured on the file as it is now (one stat); an entry
    // whose file changed since is dropped. A missing file answers Missing at once.
    std::shared_ptr<const SampleFacts> find(const std::string& path);
    // Measures these files in the background, in this order, skipping those known; what still
    // waited from an earlier call is dropped.
    void request(std::vector<std::string> paths);
    // Measures now, on the caller's thread, and keeps the result.
    std::shared_ptr<const SampleFacts> measure(const std::string& path);
    void invalidate(const std::string& path);
    void retainOnly(const std::vector<std::string>& paths);
    // True while files wait or one is being measured.
    bool busy() const;
    // How many files were measured so far: changes whenever new facts came in.
    std::size_t measuredCount() const;
    // Blocks until the background thread has nothing left to do (tests, benchmarks, tools).
    void waitForIdle();

private:
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<const SampleFacts> facts;
    };
    void workLoop();

    Ready ready_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::string> queue_;
    bool working_ = false;
    bool ending_ = false;
    std::size_t measured_ = 0;
    std::thread worker_;
};

} // namespace padsmith
