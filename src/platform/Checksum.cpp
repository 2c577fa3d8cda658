// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Checksum.h"

#include <array>

namespace padsmith {

namespace {

std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1U) != 0 ? (value >> 1) ^ 0xEDB88320U : value >> 1;
        }
        table[i] = value;
    }
    return table;
}

} // namespace

std::uint32_t checksumBlock(std::uint32_t seed, const void* bytes, std::size_t length) {
    static const std::array<std::uint32_t, 256> table = makeTable();
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::uint32_t value = seed;
    for (std::size_t i = 0; i < length; ++i) {
        value = (value >> 8) ^ table[(value ^ data[i]) & 0xFFU];
    }
    return ~value;
}

} // namespace padsmith
