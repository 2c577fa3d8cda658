// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over queue, and notes from a MIDI thread to an audio thread through the audition,
// without a sound server: a thread of the test renders periods as an output would and counts
// every allocation it makes.
#include "audio/VoiceEngine.h"

#include "audio/NoteQueue.h"
#include "audio/SampleCache.h"
#include "audio/SampleFiles.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <new>
#include <numbers>
#include <set>
#include <thread>
#include <vector>

// The sanitizers bring their own operator new: allocations are counted without them only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PADSMITH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PADSMITH_SANITIZED 1
#endif
#endif

namespace {

thread_local bool inAudioThread = false;
std::atomic<int> audioThreadAllocations{0};

} // namespace

#ifndef PADSMITH_SANITIZED
// Every allocation of the program passes here; those of the rendering thread are counted.
void* operator new(std::size_t size) {
    if (inAudioThread) {
        audioThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    if (inAudioThread && memory != nullptr) {
        audioThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    std::free(memory);
}
void operator delete(void* memory, std::size_t /*size*/) noexcept {
    if (inAudioThread && memory != nullptr) {
        audioThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    std::free(memory);
}
#endif

namespace padsmith {
namespace {

using namespace padsmith::testing;

constexpr int kRate = 48000;
constexpr std::size_t kPeriod = 256;

TEST(NoteQueue, EveryItemOfManyProducersArrivesOnceAndInEachProducersOrder) {
    BoundedQueue<std::uint32_t, 64> queue;
    // Full: refuses at once, without losing what it holds.
    for (std::uint32_t i = 0; i < 64; ++i) {
        ASSERT_TRUE(queue.push(i));
    }
    EXPECT_FALSE(queue.push(99));
    for (std::uint32_t i = 0; i < 64; ++i) {
        ASSERT_EQ(queue.pop(), i);
    }
    EXPECT_FALSE(queue.pop());

    constexpr std::uint32_t kProducers = 4;
    constexpr std::uint32_t kEach = 20000;
    std::vector<std::thread> producers;
    for (std::uint32_t p = 0; p < kProducers; ++p) {
        producers.emplace_back([&queue, p] {
            for (std::uint32_t i = 0; i < kEach; ++i) {
                while (!queue.push(p << 24 | i)) {
                    std::this_thread::yield();
                }
            }
        });
    }
    std::vector<std::uint32_t> next(kProducers, 0);
    std::uint32_t received = 0;
    bool ordered = true;
    while (received < kProducers * kEach) {
        if (const std::optional<std::uint32_t> item = queue.pop()) {
            const std::uint32_t producer = *item >> 24;
            ordered = ordered && producer < kProducers && (*item & 0xFFFFFFU) == next[producer];
            ++next[producer];
            ++received;
        } else {
            std::this_thread::yield();
        }
    }
    for (std::thread& producer : producers) {
        producer.join();
    }
    EXPECT_TRUE(ordered);
    EXPECT_FALSE(queue.pop());
}

// Renders periods on a thread of its own, as an output stream would, into one long recording
// made before it starts.
class AudioThread {
public:
    explicit AudioThread(VoiceEngine& audition, std::size_t periods)
        : audition_(audition), recording_(periods * kPeriod * 2, 0.0F) {
        thread_ = std::thread([this] {
            inAudioThread = true;
            const std::size_t capacity = recording_.size() / (kPeriod * 2);
            // Once the recording is full, periods go on being rendered (into a spare one), as
            // an output goes on asking however slowly the machine lets the test go.
            while (!stop_) {
                const bool recording = rendered_ < capacity;
                audition_.render(recording ? recording_.data() + rendered_ * kPeriod * 2
                                           : spare_.data(),
                                 kPeriod);
                if (recording) {
                    rendered_.fetch_add(1);
                }
                // At the pace of a real output: a note waits a bounded number of periods
                // for its voice, so a faster pace would give up notes a real one keeps.
                std::this_thread::sleep_for(std::chrono::microseconds(kPeriod * 1'000'000 / kRate));
            }
            inAudioThread = false;
        });
    }
    ~AudioThread() { stop(); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::size_t rendered() const { return rendered_.load(); }
    // The first frame from `from` on whose left sample is not silent; npos when none.
    std::size_t firstSound(std::size_t from) const {
        for (std::size_t frame = from; frame < rendered() * kPeriod; ++frame) {
            if (std::fabs(recording_[frame * 2]) > 1e-4F) {
                return frame;
            }
        }
        return std::string::npos;
    }
    // The strength of `frequency` in the `frames` frames from `from` on (left channel).
    double strength(std::size_t from, std::size_t frames, double frequency) const {
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 0; i < frames; ++i) {
            const double phase =
                2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kRate;
            re += recording_[(from + i) * 2] * std::cos(phase);
            im += recording_[(from + i) * 2] * std::sin(phase);
        }
        return 2.0 * std::hypot(re, im) / static_cast<double>(frames);
    }

private:
    VoiceEngine& audition_;
    std::vector<float> recording_;
    std::vector<float> spare_ = std::vector<float>(kPeriod * 2);
    std::atomic<std::size_t> rendered_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

template <typename Done> bool eventually(Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class AuditionNotes : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("padsmith-audition-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        // Note 36 split by velocity, at two rates neither of them the output's; note 38 at
        // every velocity (upper bound 0), cached; pad 4 repeats 36 low, shadowed by pad 1;
        // note 40 plays 36's soft sample 12 dB down.
        soft_ = write("soft.wav", 440.0, 44100);
        loud_ = write("loud.wav", 1000.0, 96000);
        any_ = write("any.wav", 2000.0, 48000);
        late_ = write("late.wav", 3000.0, 48000);
        zones_ = {{soft_, 36, 1, 64},
                  {loud_, 36, 65, 127},
                  {any_, 38, 0, 0},
                  {late_, 36, 1, 30},
                  {soft_, 40, 0, 0, 0.25F, 0.25F}};
        cache_.fill({any_});
        cache_.waitForFill();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string write(const std::string& name, double frequency, std::uint32_t rate) {
        const auto path = folder_ / name;
        writeFile(path, waveFile(1, 1, rate, 16, sineData(frequency, 0.5, rate, 1, 16, 0.5)));
        return path.string();
    }

    std::filesystem::path folder_;
    std::string soft_, loud_, any_, late_;
    std::vector<KitZone> zones_;
    SampleCache cache_;
};

TEST_F(AuditionNotes, ANoteSoundsAtTheNextPeriodFromTheZoneItTriggers) {
    VoiceEngine audition(kRate, &cache_);
    AudioThread output(audition, 2000);
    audition.setRunning(true);
    audition.setNotesDirect(true);
    EXPECT_FALSE(audition.noteOn(36, 100)) << "queued before the kit's voices were ready";
    audition.setKit(zones_);
    ASSERT_TRUE(eventually([&] { return audition.kitReady(); }));

    struct Case {
        int note;
        int velocity;
        double tone;  // 0: nothing sounds
        double level; // of the tone: the sample's 0.5 at the zone's volume
    };
    for (const Case& row :
         {Case{36, 100, 1000.0, 0.5}, Case{36, 20, 440.0, 0.5}, Case{38, 127, 2000.0, 0.5},
          Case{38, 1, 2000.0, 0.5}, Case{37, 100, 0.0, 0.0}, Case{40, 100, 440.0, 0.125}}) {
        SCOPED_TRACE(std::to_string(row.note) + " velocity " + std::to_string(row.velocity));
        // The previous sound has died away.
        ASSERT_TRUE(eventually([&] { return audition.voices(0).empty(); }));
        // The period that ended it may still be on its way into the recording: let two more
        // be recorded, so its tail never counts as the new note's sound on a slow machine.
        const std::size_t ended = output.rendered();
        ASSERT_TRUE(eventually([&] { return output.rendered() > ended + 2; }));
        const std::size_t before = output.rendered();
        ASSERT_TRUE(audition.noteOn(row.note, row.velocity));
        ASSERT_TRUE(eventually([&] { return output.rendered() > before + 40; }));
        const std::size_t heard = output.firstSound(before * kPeriod);
        if (row.tone == 0.0) {
            EXPECT_EQ(heard, std::string::npos);
            continue;
        }
        ASSERT_NE(heard, std::string::npos);
        // Taken by the period that was rendered next, from its start (the period being
        // rendered while the note was queued may have missed it; a sine starts at 0).
        EXPECT_LE(heard, (before + 1) * kPeriod + 4);
        const std::size_t window = 4800;
        EXPECT_NEAR(output.strength(heard, window, row.tone), row.level, row.level * 0.1);
        for (const double other : {440.0, 1000.0, 2000.0, 3000.0}) {
            if (other != row.tone) {
                EXPECT_LT(output.strength(heard, window, other), 0.01) << other << " Hz";
            }
        }
    }

    // Velocity 0 is a release; notes left to the window are not queued.
    EXPECT_FALSE(audition.noteOn(36, 0));
    audition.setNotesDirect(false);
    EXPECT_FALSE(audition.noteOn(36, 100));
    output.stop();
    EXPECT_EQ(audioThreadAllocations.load(), 0) << "the audio thread allocated or freed memory";
}

TEST_F(AuditionNotes, ARollOnOnePadSoundsEveryNoteAndANewKitTakesOver) {
    // However slowly the machine lets the voices be made again (a sanitizer, a loaded
    // machine): each note waits for its voice rather than being given up for lateness.
    VoiceEngine audition(kRate, &cache_, 1'000'000);
    AudioThread output(audition, 4000);
    audition.setRunning(true);
    audition.setNotesDirect(true);
    audition.setKit(zones_);
    ASSERT_TRUE(eventually([&] { return audition.kitReady(); }));

    // Faster than a voice can be made ready again: each note waits for its voice, none is
    // lost.
    constexpr int kRoll = 8;
    const std::size_t before = output.rendered();
    for (int i = 0; i < kRoll; ++i) {
        ASSERT_TRUE(audition.noteOn(38, 90));
    }
    // Counted as they sound: on a slow machine the first may end before the last starts.
    std::set<int> sounded;
    EXPECT_TRUE(eventually([&] {
        for (const VoicePosition& voice : audition.voices(0)) {
            sounded.insert(voice.id);
        }
        return sounded.size() == kRoll;
    })) << sounded.size()
        << " of " << kRoll << " notes sounded";
    EXPECT_EQ(audition.notesGivenUp(), 0U);
    EXPECT_LE(output.firstSound(before * kPeriod), (before + 1) * kPeriod + 4);

    // The kit changes: note 38 now plays another sample, once the new voices are ready.
    std::vector<KitZone> changed = zones_;
    changed[2].path = late_;
    audition.setKit(changed);
    ASSERT_TRUE(eventually([&] { return audition.kitReady(); }));
    ASSERT_TRUE(audition.noteOn(38, 90));
    EXPECT_TRUE(eventually([&] {
        const std::vector<VoicePosition> voices = audition.voices(0);
        return !voices.empty() && voices.back().path == late_;
    }));

    // A preview from the window ends every note.
    const StartedSound preview = audition.play(soft_, true);
    EXPECT_NE(preview.id, 0);
    EXPECT_TRUE(eventually([&] {
        const std::vector<VoicePosition> voices = audition.voices(0);
        return voices.size() == 1 && voices[0].id == preview.id;
    }));
    output.stop();
    EXPECT_EQ(audioThreadAllocations.load(), 0) << "the audio thread allocated or freed memory";
}

} // namespace
} // namespace padsmith
