#include "transfer/macbinary_header.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(MacBinaryHeader, FieldsLieAtTheirOffsetsBigEndian) {
    MacBinaryFields fields;
    fields.name = "  Read Me";
    fields.type = {'T', 'E', 'X', 'T'};
    fields.creator = {'t', 't', 'x', 't'};
    fields.finder_flags = 0x0123;
    fields.vertical = 0x4567;
    fields.horizontal = 0x89AB;
    fields.data_length = 129;
    fields.resource_length = 0x01020304;
    fields.created = 0xA1B2C3D4;
    fields.modified = 0x11223344;
    auto h = make_macbinary_header(fields);
    EXPECT_EQ(h[0], 0);
    EXPECT_EQ(h[1], 7);
    EXPECT_EQ(std::string(h.begin() + 2, h.begin() + 9), "Read Me");
    EXPECT_EQ(h[9], 0);
    EXPECT_EQ(std::string(h.begin() + 65, h.begin() + 73), "TEXTttxt");
    EXPECT_EQ(h[73], 0x01);
    EXPECT_EQ(h[74], 0x23);
    EXPECT_EQ(h[75], 0x45);
    EXPECT_EQ(h[77], 0x89);
    for (int i = 79; i < 83; ++i) EXPECT_EQ(h[i], 0);
    EXPECT_EQ(h[83 + 3], 129);
    EXPECT_EQ(h[87], 0x01);
    EXPECT_EQ(h[90], 0x04);
    EXPECT_EQ(h[91], 0xA1);
    EXPECT_EQ(h[98], 0x44);
    for (std::size_t i = 99; i < 128; ++i) EXPECT_EQ(h[i], 0) << i;
}

TEST(MacBinaryHeader, ResourceForkStartsAtTheNextMultipleOf128) {
    EXPECT_EQ(macbinary_resource_offset(0), 128u);
    EXPECT_EQ(macbinary_resource_offset(128), 256u);
    EXPECT_EQ(macbinary_resource_offset(129), 384u);  // 128 + 129 + 127 zeros
    EXPECT_EQ(macbinary_resource_offset(0xFFFFFFFFu), 128u + 0x100000000u);
}

}  // namespace
}  // namespace korvane
