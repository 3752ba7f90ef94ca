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

// The catalog too lies beyond its three extents and is read whole.
TEST_F(FragmentedVolume, BothForksComeThroughTheOverflowTreeAndItsIndex) {
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    std::uint32_t describedBlocks = 0;
    for (int i = 0; i < 3; ++i) describedBlocks += extent_descriptor(ctx.mdb.catalog_extents(), i).block_count;
    ASSERT_LT(describedBlocks * ctx.geometry.allocBlockSize, ctx.mdb.catalog_file_size());
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
    std::uint32_t firstBlocks = 0;
    ExtentRecordBytes resource_extents(found->data.data() + filrec::resource_extents, 12);
    for (int i = 0; i < 3; ++i) firstBlocks += extent_descriptor(resource_extents, i).block_count;
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
    NodeBuffer cut = tree.node;
    ASSERT_NE(node_f_link(cut), 0u);
    store_be32(cut.data(), 0);
    ASSERT_TRUE(write_node(tree, first, cut));
    EXPECT_EQ(copy_fork(opened, kDataFork, result), dataFork);
    EXPECT_EQ(copy_fork(opened, kResourceFork, result), resource_fork);
    EXPECT_TRUE(result.complete);

    // A new volume gets a fresh extents copy on first need.
    const std::string oldExtents = tree.path;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    EXPECT_FALSE(std::filesystem::exists(oldExtents));
    EXPECT_EQ(ctx.working_files.size(), 2u);
}

TEST_F(FragmentedVolume, AMissingOverflowRecordStopsTheCopyAtWhatTheExtentsDescribe) {
    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    HfsContext& ctx = opened.ctx;
    ASSERT_TRUE(open_extents_tree(ctx));
    // Damage every overflow record's file ID in the working copy.
    TreeFile& tree = ctx.extentsTree;
    for (std::uint32_t node = tree_first_leaf(tree.header); node != 0;) {
        ASSERT_TRUE(read_node(tree, node));
        NodeBuffer changed = tree.node;
        for (std::uint16_t i = 0; i < node_record_count(changed); ++i) {
            const std::size_t offset = record_offset(changed, i);
            store_be32(changed.data() + offset + 2, 0x7FFFFFFF);
        }
        ASSERT_TRUE(write_node(tree, node, changed));
        node = node_f_link(changed);
    }
    const auto found = find_entry(ctx, "both", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    std::uint32_t describedBlocks = 0;
    ExtentRecordBytes data_extents(found->data.data() + filrec::data_extents, 12);
    for (int i = 0; i < 3; ++i) describedBlocks += extent_descriptor(data_extents, i).block_count;

    ForkCopyResult result;
    const std::string copied = copy_fork(opened, kDataFork, result);
    EXPECT_FALSE(result.complete);
    EXPECT_TRUE(result.extentsMissing);
    EXPECT_EQ(result.copied, describedBlocks * ctx.geometry.allocBlockSize);
    EXPECT_EQ(copied, dataFork.substr(0, result.copied));
}

}  // namespace
}  // namespace korvane::testing
