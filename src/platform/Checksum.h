// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace padsmith {

// Chained CRC-32 (polynomial 0xEDB88320). Start a chain with 0xFFFFFFFF and pass each result
// on as the next seed: checksumBlock(0xFFFFFFFF, "abc", 3) == 0x352441C2.
std::uint32_t checksumBlock(std::uint32_t seed, const void* bytes, std::size_t length);

} // namespace padsmith
