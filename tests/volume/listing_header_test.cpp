// The figures and texts above the listing, and the window title.

#include "volume/listing_header.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_host.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

MdbImage header(std::uint16_t blocks, std::uint16_t free_blocks, std::uint32_t block_size, std::uint32_t catalogBytes,
                std::uint32_t extentsBytes) {
    MdbImage mdb;
    store_be16(mdb.field(mdb::drNmAlBlks), blocks);
    store_be16(mdb.field(mdb::drFreeBks), free_blocks);
    store_be32(mdb.field(mdb::drAlBlkSiz), block_size);
    store_be32(mdb.field(mdb::drCTFlSize), catalogBytes);
    store_be32(mdb.field(mdb::drXTFlSize), extentsBytes);
    return mdb;
}

TEST(ListingHeader, FiguresNeverWrapAround) {
    // 65535 free blocks of 64 KB: more than 32 bits of bytes.
    EXPECT_EQ(kilobytes_free(header(65535, 65535, 65536, 0, 0)), 65535u * 64 + 1);
    // Damaged counts show nothing used rather than a huge figure.
    EXPECT_EQ(kilobytes_used(header(100, 200, 512, 0, 0)), 0u);     // more free than there are blocks
    EXPECT_EQ(kilobytes_used(header(100, 90, 512, 65536, 0)), 0u);  // trees larger than what is used
}

TEST(ListingHeader, TextsAndTitleInTheWindowsCharacterSet) {
    testing::ScriptedHost host;
    HfsContext ctx{host};
    ctx.mdb = header(1600, 1000, 512, 6144, 6144);  // 1000 free of 1600; the trees 6 KB each
    const std::string name = "Caf\x8e";             // Mac Roman e-acute
    ctx.mdb.bytes[mdb::drVN] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), ctx.mdb.bytes.begin() + mdb::drVN + 1);
    ctx.state.current_path = "Root  ";
    ctx.state.current_path.resize(39, ' ');
    const ListingHeader texts = listing_header(ctx);
    EXPECT_EQ(texts.free, "KB free :      501k");
    EXPECT_EQ(texts.used, "KB used :      288k");
    EXPECT_EQ(texts.volume, " Vol: Caf\xe9");
    EXPECT_EQ(texts.directory.substr(0, 12), " Dir: Root  ");
    EXPECT_EQ(window_title(ctx), "Korvane : Caf\xe9");
    EXPECT_EQ(kilobyte_field(12345678), "12345678k");
}

}  // namespace
}  // namespace korvane
