// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace padsmith {

class SampleCache;

// Keeps the sample cache filled with what a kit plays. The pads last played are read first
// (the next note is likely on them), the rest in pad order; the files of no pad are let go.
class CacheFill {
public:
    explicit CacheFill(SampleCache& cache) : cache_(cache) {}

    // `pads` holds each pad's sample paths. Most edits change values, not samples: the fill
    // runs again only for another set of files.
    void fill(const std::vector<std::vector<std::string>>& pads);
    // The next fill runs whatever the set (the same kit read again: its files may have changed).
    void forget() { filled_.clear(); }

private:
    SampleCache& cache_;
    std::vector<std::string> filled_; // sorted: the files the cache was last asked to hold
};

// The files of `pads` in the order a fill reads them.
std::vector<std::string> fillOrder(const SampleCache& cache,
                                   const std::vector<std::vector<std::string>>& pads);

} // namespace padsmith
