// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/CacheFill.h"

#include "audio/SampleCache.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace padsmith {

std::vector<std::string> fillOrder(const SampleCache& cache,
                                   const std::vector<std::vector<std::string>>& pads) {
    std::vector<std::pair<std::uint64_t, std::size_t>> order;
    for (std::size_t pad = 0; pad < pads.size(); ++pad) {
        std::uint64_t played = 0;
        for (const std::string& path : pads[pad]) {
            played = std::max(played, cache.lastPlayed(path));
        }
        order.emplace_back(played, pad);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> paths;
    for (const auto& [played, pad] : order) {
        paths.insert(paths.end(), pads[pad].begin(), pads[pad].end());
    }
    return paths;
}

void CacheFill::fill(const std::vector<std::vector<std::string>>& pads) {
    std::vector<std::string> paths = fillOrder(cache_, pads);
    std::vector<std::string> set = paths;
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    if (set == filled_) {
        return;
    }
    filled_ = std::move(set);
    cache_.retainOnly(paths);
    cache_.fill(std::move(paths));
}

} // namespace padsmith
