#include "transfer/macbinary_header.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Name, type, creator, flags, lengths, dates and the version bytes are
// compared with what hcopy -m writes in the end-to-end copies; here what
// hcopy leaves out: the window position, the reserved zeros, the checksum.
TEST(MacBinaryHeader, FieldsLieAtTheirOffsetsBigEndian) {
    MacBinaryFields fields;
    fields.name = "  Read Me";
    fields.finder_flags = 0x0123;
    fields.vertical = 0x4567;
    fields.horizontal = 0x89AB;
    auto h = make_macbinary_header(fields);
    EXPECT_EQ(h[1], 7);
    EXPECT_EQ(std::string(h.begin() + 2, h.begin() + 9), "Read Me");
    EXPECT_EQ(h[74], 0);  // every reader requires it
    EXPECT_EQ(h[75], 0x45);
    EXPECT_EQ(h[77], 0x89);
    for (std::size_t i : {79u, 80u, 81u, 82u, 99u, 100u, 102u, 120u, 121u, 126u, 127u}) EXPECT_EQ(h[i], 0) << i;
    EXPECT_EQ(h[124] << 8 | h[125], macbinary_crc(std::span(h).first(124)));
    const std::string check = "123456789";  // XMODEM's check value
    EXPECT_EQ(macbinary_crc(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())), 0x31C3);
}

// A header written by Korvane, then changed one way or another.
struct HeaderCase {
    const char* what;
    std::size_t offset;
    std::uint8_t value;
    std::uint64_t file_size;
    bool fix_crc;
    bool accepted;
};

TEST(MacBinaryHeader, ReaderChecksWhatReadersCheck) {
    const HeaderCase cases[] = {
            {"as written", 0, 0, 512, false, true},
            {"byte 0 set", 0, 1, 512, true, false},
            {"byte 74 set", 74, 1, 512, true, false},
            {"no name", 1, 0, 512, true, false},
            {"name of 64", 1, 64, 512, true, false},
            {"wrong checksum", 125, 0x55, 512, false, false},
            {"resource fork past the end", 0, 0, 393, false, false},
            {"data fork past the end", 90, 0, 256, true, false},
            {"MacBinary I: no checksum", 122, 0, 512, false, true},
    };
    for (const HeaderCase& c : cases) {
        MacBinaryFields fields;
        fields.name = "Both";
        fields.finder_flags = 0x4123;
        fields.data_length = 129;
        fields.resource_length = 10;
        fields.created = 7;
        auto h = make_macbinary_header(fields);
        h[c.offset] = c.value;
        if (std::string_view(c.what).starts_with("MacBinary I")) h[123] = h[124] = h[125] = 0;
        if (c.offset == 90) h[87] = h[88] = h[89] = h[90] = 0;  // no resource fork: data must fit
        if (c.fix_crc) {
            const std::uint16_t crc = macbinary_crc(std::span(h).first(124));
            h[124] = static_cast<std::uint8_t>(crc >> 8);
            h[125] = static_cast<std::uint8_t>(crc);
        }
        const auto read = read_macbinary_header(h, c.file_size);
        EXPECT_EQ(read.has_value(), c.accepted) << c.what;
        if (!read || !c.accepted) continue;
        EXPECT_EQ(read->name, "Both") << c.what;
        EXPECT_EQ(read->finder_flags, 0x4123) << c.what;
        EXPECT_EQ(read->resource_offset, 384u) << c.what;
        EXPECT_EQ(read->created, 7u) << c.what;
    }
}

// Where the resource fork starts is compared with hcopy -m's files in the
// end-to-end copies; here the longest data fork, past 32 bits.
TEST(MacBinaryHeader, ResourceForkOffsetOfTheLongestDataFork) {
    EXPECT_EQ(macbinary_resource_offset(0xFFFFFFFFu), 128u + 0x100000000u);
}

}  // namespace
}  // namespace korvane
