// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <type_traits>

namespace padsmith {

// A bounded queue that any number of threads may push into and pop from without a lock and
// without allocating: the hand-over between the MIDI threads, the window, the thread that
// prepares voices and the audio thread, none of which may wait for another. Each cell carries
// a sequence number that tells whether it is free to write or ready to read; a push into a
// full queue, or a pop from an empty one, fails at once. Capacity is a power of two.
template <typename T, std::size_t Capacity> class BoundedQueue {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0,
                  "the capacity is a power of two");
    static_assert(std::is_trivially_copyable_v<T>, "items are copied between threads as bytes");

public:
    BoundedQueue() {
        for (std::size_t i = 0; i < Capacity; ++i) {
            cells_[i].sequence.store(i, std::memory_order_relaxed);
        }
    }
    BoundedQueue(const BoundedQueue&) = delete;
    BoundedQueue& operator=(const BoundedQueue&) = delete;

    // False when the queue is full: the item is not queued.
    bool push(const T& item) {
        std::size_t position = tail_.load(std::memory_order_relaxed);
        while (true) {
            Cell& cell = cells_[position & (Capacity - 1)];
            const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto difference =
                static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position);
            if (difference == 0) {
                if (tail_.compare_exchange_weak(position, position + 1,
                                                std::memory_order_relaxed)) {
                    cell.item = item;
                    cell.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            } else if (difference < 0) {
                return false;
            } else {
                position = tail_.load(std::memory_order_relaxed);
            }
        }
    }

    // The oldest item, or nothing when the queue is empty.
    std::optional<T> pop() {
        std::size_t position = head_.load(std::memory_order_relaxed);
        while (true) {
            Cell& cell = cells_[position & (Capacity - 1)];
            const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto difference =
                static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position + 1);
            if (difference == 0) {
                if (head_.compare_exchange_weak(position, position + 1,
                                                std::memory_order_relaxed)) {
                    T item = cell.item;
                    cell.sequence.store(position + Capacity, std::memory_order_release);
                    return item;
                }
            } else if (difference < 0) {
                return std::nullopt;
            } else {
                position = head_.load(std::memory_order_relaxed);
            }
        }
    }

    static constexpr std::size_t capacity() { return Capacity; }

private:
    struct Cell {
        std::atomic<std::size_t> sequence{0};
        T item{};
    };
    // Producers and consumers each touch their own end: kept on separate cache lines.
    alignas(64) std::atomic<std::size_t> tail_{0};
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::array<Cell, Capacity> cells_;
};

// A note-on on its way from a MIDI input to the audio thread.
struct QueuedNote {
    std::uint8_t note = 0;
    std::uint8_t velocity = 0;
};

// The MIDI inputs' notes for the audio thread: more than a drummer can play in one audio period.
using NoteQueue = BoundedQueue<QueuedNote, 256>;

} // namespace padsmith
