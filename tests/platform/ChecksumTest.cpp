// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Checksum.h"

#include <gtest/gtest.h>
#include <string_view>

namespace padsmith {
namespace {

TEST(Checksum, MatchesTheStandardCrc32) {
    constexpr std::string_view abc = "abc";
    EXPECT_EQ(checksumBlock(0xFFFFFFFFU, abc.data(), abc.size()), 0x352441C2U);
    constexpr std::string_view check = "123456789";
    EXPECT_EQ(checksumBlock(0xFFFFFFFFU, check.data(), check.size()), 0xCBF43926U);
}

TEST(Checksum, EmptyBlockOnlyComplementsTheSeed) {
    EXPECT_EQ(checksumBlock(0xFFFFFFFFU, nullptr, 0), 0U);
    EXPECT_EQ(checksumBlock(0x12345678U, "", 0), ~0x12345678U);
}

TEST(Checksum, ChainsBlocksByPassingTheResultOn) {
    // The chain passes each result on as it is, so it differs from one CRC over all bytes,
    // but it is deterministic and sensitive to the order of the blocks.
    const std::uint32_t ab = checksumBlock(checksumBlock(0xFFFFFFFFU, "a", 1), "b", 1);
    const std::uint32_t ba = checksumBlock(checksumBlock(0xFFFFFFFFU, "b", 1), "a", 1);
    EXPECT_EQ(ab, checksumBlock(checksumBlock(0xFFFFFFFFU, "a", 1), "b", 1));
    EXPECT_NE(ab, ba);
}

} // namespace
} // namespace padsmith
