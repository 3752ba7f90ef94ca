// The big-endian fields of the medium: swaps, counters changed in place,
// and loads and stores that stay inside their buffer.
#include "util/byte_order.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ByteOrder, SwapsAndCountsInPlace) {
    EXPECT_EQ(swap32(0x00000200u), 0x00020000u);
    EXPECT_EQ(swap16(0x1234), 0x3412);
    std::uint8_t field16[2] = {0xFF, 0xFF};
    incrementBE16(field16);
    EXPECT_EQ(field16[0], 0);
    EXPECT_EQ(field16[1], 0);
    decrementBE16(field16);
    EXPECT_EQ(loadBE16(field16), 0xFFFF);
    std::uint8_t field32[4] = {0x00, 0x00, 0x00, 0xFF};
    incrementBE32(field32);
    EXPECT_EQ(loadBE32(field32), 0x100u);
    decrementBE32(field32);
    EXPECT_EQ(loadBE32(field32), 0xFFu);
}

TEST(ByteOrder, BoundedLoadsStayInsideTheBuffer) {
    const std::uint8_t bytes[5] = {1, 2, 3, 4, 5};
    const std::span<const std::uint8_t> view(bytes);
    EXPECT_EQ(loadBE32(view, 1), 0x02030405u);
    EXPECT_EQ(loadBE32(view, 2), 0u);
    EXPECT_EQ(loadBE16(view, 4), 0u);
    EXPECT_EQ(loadBE16(view, static_cast<std::size_t>(-1)), 0u);
    std::uint8_t target[3] = {};
    EXPECT_FALSE(storeBE32(std::span<std::uint8_t>(target), 0, 7));
    EXPECT_TRUE(storeBE16(std::span<std::uint8_t>(target), 1, 0xABCD));
    EXPECT_EQ(target[1], 0xAB);
}

}  // namespace
}  // namespace korvane
