// Macintosh dates, the listing's columns, a damaged volume name. (Keys and
// records that do not fit their node are skipped in the damaged-catalog tests.)
#include <gtest/gtest.h>

#include "hfs/catalog_records.h"
#include "hfs/listing_format.h"
#include "hfs/mac_date.h"
#include "hfs/mdb_image.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

TEST(MacDate, SplitsWithoutTimeZoneShiftAndClampsToTheEpochs) {
    const MacDateFields f = mac_date_to_fields(fields_to_mac_date(2004, 2, 29, 23, 59));
    EXPECT_EQ(std::vector<int>({f.year, f.month, f.day, f.hour, f.minute}), std::vector<int>({2004, 2, 29, 23, 59}));
    EXPECT_EQ(fields_to_mac_date(1970, 1, 2, 0, 0), kMacEpochOffset + 86400);
    // Dates before 1970 show as the 1970 epoch; the largest date is in 2040.
    EXPECT_EQ(mac_date_to_fields(1000).year, 1970);
    EXPECT_EQ(mac_date_to_fields(0xFFFFFFFFu).year, 2040);
}

TEST(ListingFormat, FileColumnsUpToTheLargestFigures) {
    std::uint8_t file[kFileRecordSize] = {kFileRecord};
    std::memcpy(file + filrec::fileType, "TEXTttxt", 8);
    store_be32(file + filrec::dataLogicalLength, 12345678);
    store_be32(file + filrec::resourceLogicalLength, 286);
    store_be32(file + filrec::created, fields_to_mac_date(1996, 12, 31, 23, 5));
    store_be32(file + filrec::modified, fields_to_mac_date(2005, 1, 2, 3, 4));
    const ListingEntry entry = make_listing_entry("Budget 1996", file);
    EXPECT_FALSE(entry.selected());
    EXPECT_EQ(entry.record_type(), 2);
    EXPECT_EQ(entry.name(), "Budget 1996");
    EXPECT_EQ(entry.size_column(), " 12056k ");
    EXPECT_EQ(entry.resource_column(), "    286 ");
    EXPECT_EQ(entry.signature_column(), "TEXTttxt");
    EXPECT_EQ(entry.created_column(), "12/31/96 23:05");
    EXPECT_EQ(entry.modified_column(), "01/02/05 03:04");
    for (std::size_t nul : {43, 52, 61, 76, 91}) EXPECT_EQ(entry.bytes[nul], 0) << nul;

    // The largest kilobyte figures fill their columns; the name and the
    // separators keep their places.
    store_be32(file + filrec::dataLogicalLength, 1024000000);
    store_be32(file + filrec::resourceLogicalLength, 2147482624);
    const ListingEntry large = make_listing_entry("Budget 1996", file);
    EXPECT_EQ(large.name(), "Budget 1996");
    EXPECT_EQ(large.size_column(), "1000000k");
    EXPECT_EQ(large.resource_column(), "2097151k");
    for (std::size_t nul : {34, 43, 52, 61}) EXPECT_EQ(large.bytes[nul], 0) << nul;
    EXPECT_EQ(format_length(9999999), "9999999");
    EXPECT_EQ(format_length(0xFFFFFFFFu), "4194303k");
    EXPECT_EQ(format_mac_date(0), "01/01/70 00:00");
}

// Geometry is checked through discovery on real media; here a damaged name length.
TEST(VolumeHeader, ADamagedNameLengthStopsAt27) {
    MdbImage header;
    header.bytes[mdb::drVN] = 40;
    EXPECT_EQ(header.volume_name().size(), 27u);
}

}  // namespace
}  // namespace korvane
