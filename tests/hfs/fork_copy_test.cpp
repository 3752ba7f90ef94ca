// Copying forks through their extent records and the extents-overflow tree.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/fork_copy.h"
#include "tests/hfs/fork_bytes.h"
#include "tests/hfs/hfs_fixture.h"

namespace korvane::testing {
namespace {

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
