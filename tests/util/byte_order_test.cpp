// The big-endian fields of the medium: loads and stores that stay inside
// their buffer (the fields themselves are read back by hfsutils everywhere).
#include "util/byte_order.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ByteOrder, BoundedLoadsStayInsideTheBuffer) {
    const std::uint8_t bytes[5] = {1, 2, 3, 4, 5};
    const std::span<const std::uint8_t> view(bytes);
    EXPECT_EQ(load_be32(view, 1), 0x02030405u);
    EXPECT_EQ(load_be32(view, 2), 0u);
    EXPECT_EQ(load_be16(view, 4), 0u);
    EXPECT_EQ(load_be16(view, static_cast<std::size_t>(-1)), 0u);
    std::uint8_t target[3] = {};
    EXPECT_FALSE(store_be32(std::span<std::uint8_t>(target), 0, 7));
    EXPECT_TRUE(store_be16(std::span<std::uint8_t>(target), 1, 0xABCD));
    EXPECT_EQ(target[1], 0xAB);
}

}  // namespace
}  // namespace korvane
