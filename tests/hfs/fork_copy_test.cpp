// Copying forks through their extent records and the extents-overflow tree.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/fork_copy.h"
#include "tests/hfs/fork_bytes.h"
#include "tests/hfs/hfs_fixture.h"

namespace korvane {
namespace {

using testing::ScratchDir;
using testing::HfsutilsVolume;
using testing::OpenedVolume;
using testing::read_all;
using testing::patterned;

// A file of two forks, each in many extents on a volume of scattered free space.
class FragmentedVolume : public ::testing::Test {
protected:
    ScratchDir dir;
    HfsutilsVolume volume{dir, "frag.img", 800};
    std::string dataFork = patterned(40 * 512 + 100, 1);
    std::string resourceFork = patterned(30 * 512 + 7, 2);

    void SetUp() override {
        volume.fragmentFreeSpace(160);
        volume.addForkedFile(":both", "both", "TEXT", "ttxt", dataFork, resourceFork);
        volume.unmount();
    }

    // Copies one fork of "both" into a PC file; returns what was written.
    std::string copyFork(OpenedVolume& opened, std::uint8_t forkType, ForkCopyResult& result) {
        HfsContext& ctx = opened.ctx;
        const auto found = findEntry(ctx, "both", kFileEntry, kRootDirectoryID);
        EXPECT_TRUE(found);
        if (!found) return {};
        std::array<std::uint8_t, kFileRecordSize> record{};
        std::copy_n(found->data.begin(), kFileRecordSize, record.begin());
        const bool data = forkType == kDataFork;
        const std::uint32_t length = loadBE32(record.data() + (data ? filrec::dataLogicalLength : filrec::resourceLogicalLength));
        const std::string out = dir / (data ? "data.out" : "rsrc.out");
        const int fd = open(out.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
        result = copyForkToFile(ctx, ExtentRecordBytes(record.data() + (data ? filrec::dataExtents : filrec::resourceExtents), 12),
                                fd, loadBE32(record.data() + filrec::fileNumber), length, forkType);
        close(fd);
        return read_all(out);
    }
};

TEST_F(FragmentedVolume, ACatalogBeyondItsThreeExtentsIsReadWhole) {
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    std::uint32_t describedBlocks = 0;
    for (int i = 0; i < 3; ++i) describedBlocks += extentDescriptor(ctx.mdb.catalogExtents(), i).blockCount;
    ASSERT_LT(describedBlocks * ctx.geometry.allocBlockSize, ctx.mdb.catalogFileSize());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    EXPECT_TRUE(ctx.extentsTree.isOpen());
    ASSERT_TRUE(enterRootDirectory(ctx));
    EXPECT_EQ(ctx.state.entries.size(), 82u);  // 80 small files, the filler and "both"
    EXPECT_EQ(ctx.damagedNodes, 0u);
}

TEST_F(FragmentedVolume, BothForksComeThroughTheOverflowTree) {
    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    ForkCopyResult result;
    EXPECT_EQ(copyFork(opened, kDataFork, result), dataFork);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.copied, dataFork.size());
    ASSERT_TRUE(opened.ctx.extentsTree.isOpen());
    EXPECT_EQ(std::filesystem::path(opened.ctx.extentsTree.path).filename().string().substr(0, 3), "EXT");
    EXPECT_EQ(copyFork(opened, kResourceFork, result), resourceFork);
    EXPECT_TRUE(result.complete);

    const auto found = findEntry(opened.ctx, "both", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    const std::uint32_t fileID = loadBE32(found->data.data() + filrec::fileNumber);
    std::uint32_t firstBlocks = 0;
    ExtentRecordBytes resourceExtents(found->data.data() + filrec::resourceExtents, 12);
    for (int i = 0; i < 3; ++i) firstBlocks += extentDescriptor(resourceExtents, i).blockCount;
    const std::uint8_t* overflow = findExtentRecord(opened.ctx, fileID, static_cast<std::uint16_t>(firstBlocks), kResourceFork);
    ASSERT_NE(overflow, nullptr);
    EXPECT_NE(loadBE16(overflow + 2), 0);  // a first descriptor with blocks
    EXPECT_EQ(findExtentRecord(opened.ctx, fileID, static_cast<std::uint16_t>(firstBlocks + 1), kResourceFork), nullptr);

    // A new volume gets a fresh extents copy on first need.
    const std::string oldExtents = opened.ctx.extentsTree.path;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    EXPECT_FALSE(std::filesystem::exists(oldExtents));
    EXPECT_EQ(opened.ctx.working_files.size(), 2u);
}

TEST_F(FragmentedVolume, TheOverflowSearchDescendsThroughTheIndex) {
    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    ASSERT_TRUE(openExtentsTree(opened.ctx));
    TreeFile& tree = opened.ctx.extentsTree;
    ASSERT_GE(treeDepth(tree.header), 2);
    // With the first leaf's link cut, only the index leads to the others.
    const std::uint32_t first = treeFirstLeaf(tree.header);
    ASSERT_TRUE(readNode(tree, first));
    NodeBuffer cut = tree.node;
    ASSERT_NE(nodeFLink(cut), 0u);
    storeBE32(cut.data(), 0);
    ASSERT_TRUE(writeNode(tree, first, cut));
    ForkCopyResult result;
    EXPECT_EQ(copyFork(opened, kDataFork, result), dataFork);
    EXPECT_EQ(copyFork(opened, kResourceFork, result), resourceFork);
    EXPECT_TRUE(result.complete);
}

TEST_F(FragmentedVolume, AMissingOverflowRecordStopsTheCopyAtWhatTheExtentsDescribe) {
    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    HfsContext& ctx = opened.ctx;
    ASSERT_TRUE(openExtentsTree(ctx));
    // Damage every overflow record's file ID in the working copy.
    TreeFile& tree = ctx.extentsTree;
    for (std::uint32_t node = treeFirstLeaf(tree.header); node != 0;) {
        ASSERT_TRUE(readNode(tree, node));
        NodeBuffer changed = tree.node;
        for (std::uint16_t i = 0; i < nodeRecordCount(changed); ++i) {
            const std::size_t offset = recordOffset(changed, i);
            storeBE32(changed.data() + offset + 2, 0x7FFFFFFF);
        }
        ASSERT_TRUE(writeNode(tree, node, changed));
        node = nodeFLink(changed);
    }
    const auto found = findEntry(ctx, "both", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    std::uint32_t describedBlocks = 0;
    ExtentRecordBytes dataExtents(found->data.data() + filrec::dataExtents, 12);
    for (int i = 0; i < 3; ++i) describedBlocks += extentDescriptor(dataExtents, i).blockCount;

    ForkCopyResult result;
    const std::string copied = copyFork(opened, kDataFork, result);
    EXPECT_FALSE(result.complete);
    EXPECT_TRUE(result.extentsMissing);
    EXPECT_EQ(result.copied, describedBlocks * ctx.geometry.allocBlockSize);
    EXPECT_EQ(copied, dataFork.substr(0, result.copied));
}

}  // namespace
}  // namespace korvane
