// Macintosh dates, the listing's columns, a damaged volume name; catalog
// lookup and listing on volumes made by hfsutils, opened through the image
// bus. (Keys and records that do not fit their node are skipped in the
// damage tests.) Copying forks through their extent records and
// the extents-overflow tree.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "hfs/catalog_records.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/fork_copy.h"
#include "hfs/listing_format.h"
#include "hfs/mac_date.h"
#include "hfs/mdb_image.h"
#include "hfs/name_order.h"
#include "tests/hfs/check_fixture.h"
#include "tests/support/fork_bytes.h"

namespace korvane::testing {
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

std::vector<std::string> listed_names(const HfsContext& ctx) {
    std::vector<std::string> names;
    for (const ListingEntry& entry : ctx.state.entries) names.emplace_back(entry.name());
    return names;
}

// Case folded, accents kept; Mac OS's own order for "[", "\\", "]" (after
// Z), "ß" (after every S) and the capitals 0xE5-0xF4 (unfolded, in code
// order); the no-break space sorts as a blank.
TEST(NameOrder, CaseFoldedAccentsKeptAndWildcards) {
    const std::tuple<const char*, const char*, int> order[] = {
            {"readme", "ReadMe", 0}, {"\x80", "A", 1},  {"\x80", "B", -1}, {"r\x8Esum\x8E", "RESUME", 1},
            {"ab", "abc", -1},       {"", "", 0},       {"[", "z", 1},     {"[", "\\", -1},
            {"\\", "]", -1},         {"\xA7", "sz", 1}, {"\xA7", "t", -1}, {"a\312b", "a b", 0},
            {"\xE5", "\xE4", 1},
    };
    for (const auto& [a, b, sign] : order) {
        const int compared = compare_names(a, b);
        EXPECT_EQ((compared > 0) - (compared < 0), sign) << a << " / " << b;
    }
    // Trailing blanks do not count, and after the "*" nothing does.
    for (const auto& [pattern, name] :
         {std::pair{"ab*", "abc"}, {"*", "anything"}, {"name  ", "name"}, {"name", "name "}, {"AB*xyz", "abc"}})
        EXPECT_EQ(match_name(pattern, name), 0) << pattern;
    EXPECT_NE(match_name("ab*", "a"), 0);
}

// Names built from the characters whose order Mac OS keeps differently from
// a plain case-folded table.
std::vector<std::string> ordering_names() {
    const std::string special = "[\\]\xA7\xCA\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF1\xF2\xF3\xF4";
    std::vector<std::string> names;
    for (char c : special) {
        names.push_back(std::string("a") + c);
        names.push_back(std::string(1, c) + "x");
    }
    for (const char* plain : {"az", "a z",  "ass", "ast", "S", "st", "Z",     "z1", "\x80", "\212b",
                              "e",  "\x83", "i",   "o",   "u", "A",  "a\x81", "a^", "a_",   "b"}) {
        names.emplace_back(plain);
    }
    return names;
}

// The names above in the root and in a folder, hundreds of files in another
// folder (enough for index nodes) and an empty one.
TEST(Catalog, OrderOfNamesAndIndexNodesAsHfsutilsWritesThem) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "order.img", 1440);
    const std::vector<std::string> names = ordering_names();
    volume.add_folder(":Folder \xE5");
    for (const std::string& name : names) volume.addFile(":" + name, name);
    for (const std::string& name : names) volume.addFile(":Folder \xE5:" + name, "");
    volume.add_folder(":Many");
    std::vector<std::string> many;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 400; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "file %03d", (i * 37) % 400);
        many.emplace_back(name);
        files.emplace_back(name, name);
    }
    volume.add_files(":Many:", files);
    volume.add_folder(":Few");

    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    HfsContext& ctx = opened.ctx;
    ASSERT_GE(tree_depth(ctx.catalogTree.header), 2);
    // CHECK compares every pair of neighbouring keys that hfsutils wrote.
    EXPECT_EQ(check_problems(volume.image()), "");

    const auto folder = find_entry(ctx, "folder \xE5", kDirectoryEntry, kRootDirectoryID);
    ASSERT_TRUE(folder);
    const std::uint32_t folder_id = load_be32(folder->data.data() + dirrec::dir_id);
    for (const std::string& name : names) {
        const auto inRoot = find_entry(ctx, name, kFileEntry, kRootDirectoryID);
        ASSERT_TRUE(inRoot) << name;
        EXPECT_EQ(inRoot->key.name, name);
        EXPECT_EQ(load_be32(inRoot->data.data() + filrec::dataLogicalLength), name.size());
        EXPECT_TRUE(find_entry(ctx, name, kAnyEntry, folder_id)) << name;
        EXPECT_FALSE(find_entry(ctx, name, kDirectoryEntry, kRootDirectoryID)) << name;
    }

    // The listing keeps the catalog's order.
    ASSERT_TRUE(enter_directory(ctx, kRootDirectoryID, "FOLDER \xE5"));
    EXPECT_EQ(ctx.state.current_path.substr(0, 9), "Folder \xE5 ");
    load_listing(ctx);
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return compare_names(a, b) < 0; });
    EXPECT_EQ(listed_names(ctx), expected);

    const auto manyFolder = find_entry(ctx, "many", kDirectoryEntry, kRootDirectoryID);
    ASSERT_TRUE(manyFolder);
    const std::uint32_t manyID = load_be32(manyFolder->data.data() + dirrec::dir_id);
    for (const std::string& name : many) EXPECT_TRUE(find_entry(ctx, name, kFileEntry, manyID)) << name;
    EXPECT_FALSE(find_entry(ctx, "file 400", kFileEntry, manyID));
    const auto prefix = find_entry(ctx, "FILE 2*", kFileEntry, manyID);
    ASSERT_TRUE(prefix);
    EXPECT_EQ(prefix->key.name, "file 200");  // the first match, not one of a later leaf

    ASSERT_TRUE(enter_directory(ctx, kRootDirectoryID, "Many"));
    EXPECT_EQ(ctx.state.entry_capacity, 400);
    load_listing(ctx);
    std::sort(many.begin(), many.end());
    EXPECT_EQ(listed_names(ctx), many);
    load_listing(ctx, "FILE 39*");
    EXPECT_EQ(listed_names(ctx), std::vector<std::string>(many.end() - 10, many.end()));

    // A folder of few entries: the listing's room goes back to a screen.
    ASSERT_TRUE(enter_directory(ctx, kRootDirectoryID, "Few"));
    EXPECT_EQ(ctx.state.entry_capacity, 36);
    ASSERT_TRUE(enter_root_directory(ctx));
    const auto root = listed_names(ctx);
    const auto at = std::find(root.begin(), root.end(), "Many");
    ASSERT_NE(at, root.end());
    EXPECT_EQ(ctx.state.entries[at - root.begin()].signature_column(), "   [400]");
    EXPECT_EQ(ctx.damagedNodes, 0u);
    EXPECT_TRUE(opened.host.notices.empty());
}

// A file of two forks, each in many extents on a volume of scattered free space.
class FragmentedVolume : public ::testing::Test {
protected:
    ScratchDir dir;
    HfsutilsVolume volume{dir, "frag.img", 800};
    std::string dataFork = patterned(40 * 512 + 100, 1);
    std::string resource_fork = patterned(30 * 512 + 7, 2);

    void SetUp() override {
        volume.fragment_free_space(160);
        volume.add_forked_file(":both", "both", "TEXT", "ttxt", dataFork, resource_fork);
        volume.unmount();
    }

    // Copies one fork of "both" into a PC file; returns what was written.
    std::string copy_fork(OpenedVolume& opened, std::uint8_t forkType, ForkCopyResult& result) {
        HfsContext& ctx = opened.ctx;
        const auto found = find_entry(ctx, "both", kFileEntry, kRootDirectoryID);
        EXPECT_TRUE(found);
        if (!found) return {};
        std::array<std::uint8_t, kFileRecordSize> record{};
        std::copy_n(found->data.begin(), kFileRecordSize, record.begin());
        const bool data = forkType == kDataFork;
        const std::uint32_t length =
                load_be32(record.data() + (data ? filrec::dataLogicalLength : filrec::resourceLogicalLength));
        const std::string out = dir / (data ? "data.out" : "rsrc.out");
        const int fd = open(out.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
        result = copy_fork_to_file(
                ctx, ExtentRecordBytes(record.data() + (data ? filrec::data_extents : filrec::resource_extents), 12),
                fd, load_be32(record.data() + filrec::fileNumber), length, forkType);
        close(fd);
        return read_all(out);
    }
};

// Blocks the three descriptors of an extent record hold.
std::uint32_t blocks_in(const std::uint8_t* record) {
    std::uint32_t blocks = 0;
    for (int i = 0; i < 3; ++i) blocks += extent_descriptor(ExtentRecordBytes(record, 12), i).block_count;
    return blocks;
}

// The catalog too lies beyond its three extents and is read whole.
TEST_F(FragmentedVolume, BothForksComeThroughTheOverflowTreeAndItsIndex) {
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    ASSERT_LT(blocks_in(ctx.mdb.catalog_extents().data()) * ctx.geometry.allocBlockSize, ctx.mdb.catalog_file_size());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    ASSERT_TRUE(enter_root_directory(ctx));
    EXPECT_EQ(ctx.state.entries.size(), 82u);  // 80 small files, the filler and "both"
    EXPECT_EQ(ctx.damagedNodes, 0u);
    ASSERT_TRUE(ctx.extentsTree.is_open());
    EXPECT_EQ(std::filesystem::path(ctx.extentsTree.path).filename().string().substr(0, 3), "EXT");

    ForkCopyResult result;
    EXPECT_EQ(copy_fork(opened, kDataFork, result), dataFork);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.copied, dataFork.size());
    EXPECT_EQ(copy_fork(opened, kResourceFork, result), resource_fork);
    EXPECT_TRUE(result.complete);

    const auto found = find_entry(ctx, "both", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    const std::uint32_t fileID = load_be32(found->data.data() + filrec::fileNumber);
    const std::uint32_t firstBlocks = blocks_in(found->data.data() + filrec::resource_extents);
    const std::uint32_t dataBlocks = blocks_in(found->data.data() + filrec::data_extents);
    const std::uint8_t* overflow =
            find_extent_record(ctx, fileID, static_cast<std::uint16_t>(firstBlocks), kResourceFork);
    ASSERT_NE(overflow, nullptr);
    EXPECT_NE(load_be16(overflow + 2), 0);  // a first descriptor with blocks
    EXPECT_EQ(find_extent_record(ctx, fileID, static_cast<std::uint16_t>(firstBlocks + 1), kResourceFork), nullptr);

    // With the first leaf's link cut, only the index leads to the others.
    TreeFile& tree = ctx.extentsTree;
    ASSERT_GE(tree_depth(tree.header), 2);
    const std::uint32_t first = tree_first_leaf(tree.header);
    ASSERT_TRUE(read_node(tree, first));
    const NodeBuffer linked = tree.node;
    NodeBuffer cut = linked;
    ASSERT_NE(node_f_link(cut), 0u);
    store_be32(cut.data(), 0);
    ASSERT_TRUE(write_node(tree, first, cut));
    EXPECT_EQ(copy_fork(opened, kDataFork, result), dataFork);
    EXPECT_EQ(copy_fork(opened, kResourceFork, result), resource_fork);
    EXPECT_TRUE(result.complete);

    // With every overflow record's file ID spoiled, the copy stops at what
    // the catalog record's own three extents describe.
    ASSERT_TRUE(write_node(tree, first, linked));
    for (std::uint32_t node = tree_first_leaf(tree.header); node != 0; node = node_f_link(tree.node)) {
        ASSERT_TRUE(read_node(tree, node));
        NodeBuffer changed = tree.node;
        for (std::uint16_t i = 0; i < node_record_count(changed); ++i)
            store_be32(changed.data() + record_offset(changed, i) + 2, 0x7FFFFFFF);
        ASSERT_TRUE(write_node(tree, node, changed));
    }
    const std::string copied = copy_fork(opened, kDataFork, result);
    EXPECT_FALSE(result.complete);
    EXPECT_TRUE(result.extentsMissing);
    EXPECT_EQ(result.copied, dataBlocks * ctx.geometry.allocBlockSize);
    EXPECT_EQ(copied, dataFork.substr(0, result.copied));

    // A new volume gets a fresh extents copy on first need.
    const std::string oldExtents = tree.path;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    EXPECT_FALSE(std::filesystem::exists(oldExtents));
    EXPECT_EQ(ctx.working_files.size(), 2u);
}

}  // namespace
}  // namespace korvane::testing
