// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/SampleZone.h"

#include <cstdint>
#include <string>
#include <vector>

namespace padsmith {

// One pad of a kit: its name as shown under the pad button, and its zones in play order.
class Pad {
public:
    std::size_t size() const { return zones_.size(); }
    bool empty() const { return zones_.empty(); }
    SampleZone& at(std::size_t i) { return zones_.at(i); }
    const SampleZone& at(std::size_t i) const { return zones_.at(i); }
    void append(const SampleZone& zone) { zones_.push_back(zone); }
    void insert(std::size_t position, const SampleZone& zone);
    void erase(std::size_t position);
    void clear() { zones_.clear(); }

    auto begin() { return zones_.begin(); }
    auto end() { return zones_.end(); }
    auto begin() const { return zones_.begin(); }
    auto end() const { return zones_.end(); }
    std::vector<SampleZone>& zones() { return zones_; }
    const std::vector<SampleZone>& zones() const { return zones_; }

    // CRC-32 over every field of every zone, in order; 0xFFFFFFFF for an empty pad.
    std::uint32_t fingerprint() const;

    // Same name and the same zones in the same order.
    bool operator==(const Pad&) const = default;

    std::string label = kUnnamedPad; // the pad's name; "XXX" when it has none

private:
    std::vector<SampleZone> zones_;
};

// The zone a click on the pad auditions: the first, in list order, whose velocity window
// reaches 90, else the last. -1 for a pad without zones.
int auditionZone(const Pad& pad);

} // namespace padsmith
