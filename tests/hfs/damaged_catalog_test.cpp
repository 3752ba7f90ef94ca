// A damaged catalog shows what can be read and never loops: cycles in the
// leaf chain and in the index, records outside their node, impossible key
// lengths, node numbers beyond the tree.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/index_rebuild.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/transfer/copy_fixture.h"
#include "transfer/copy_to_pc.h"

namespace korvane::testing {
namespace {

// Files f1000, f1001, ... holding their index, as hcopy names them in the root.
std::vector<std::pair<std::string, std::string>> numbered_files(int count) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < count; ++i) files.emplace_back("f" + std::to_string(1000 + i), std::to_string(i));
    return files;
}

class DamagedCatalog : public ::testing::Test {
public:
    ScratchDir dir;
    std::unique_ptr<HfsutilsVolume> volume;
    std::unique_ptr<OpenedVolume> opened;

    // files: how many files the root holds (enough for index nodes at 200).
    void make(int files) {
        volume = std::make_unique<HfsutilsVolume>(dir, "damaged" + std::to_string(++made_) + ".img", 1440);
        volume->add_files(":", numbered_files(files));
        opened = std::make_unique<OpenedVolume>(volume->image());
        ASSERT_EQ(opened->open(), CatalogOpen::Complete);
    }

    int made_ = 0;
    HfsContext& ctx() { return opened->ctx; }
    TreeFile& tree() { return ctx().catalogTree; }

    // Changes node n of the catalog working copy.
    template <typename Change>
    void damage(std::uint32_t n, Change change) {
        ASSERT_TRUE(read_node(tree(), n));
        NodeBuffer node = tree().node;
        change(node);
        ASSERT_TRUE(write_node(tree(), n, node));
    }

    std::size_t list_root() {
        enter_root_directory(ctx());
        return ctx().state.entries.size();
    }
};

// Links that loop or lead out of the tree: a search ends, the listing shows
// what it could read, and the damage is counted and said.
TEST_F(DamagedCatalog, LinksThatLoopOrLeadOutOfTheTreeEndTheScan) {
    struct Case {
        const char* what;
        int files;
        std::function<void(DamagedCatalog&)> damage;
        std::size_t leastListed, mostListed;
        bool counted = true;  // the damage is counted or said
    } cases[] = {
            {"a leaf linked to itself", 3,
             [](DamagedCatalog& t) {
                 const std::uint32_t leaf = tree_root_node(t.tree().header);
                 t.damage(leaf, [&](NodeBuffer& node) { store_be32(node.data(), leaf); });
             },
             3, 3},
            {"the last leaf linked to the first", 200,
             [](DamagedCatalog& t) {
                 const std::uint32_t first = tree_first_leaf(t.tree().header);
                 t.damage(tree_last_leaf(t.tree().header), [&](NodeBuffer& node) { store_be32(node.data(), first); });
             },
             200, 200, false},
            {"a link beyond the tree", 200,
             [](DamagedCatalog& t) {
                 t.damage(tree_first_leaf(t.tree().header),
                          [](NodeBuffer& node) { store_be32(node.data(), 0x00FFFFFF); });
             },
             1, 199},
            {"an index pointing at itself", 200,
             [](DamagedCatalog& t) {
                 const std::uint32_t root = tree_root_node(t.tree().header);
                 t.damage(root, [&](NodeBuffer& node) {
                     for (std::uint16_t i = 0; i < node_record_count(node); ++i)
                         store_be32(node.data() + record_offset(node, i) + 38, root);
                 });
             },
             0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        make(c.files);
        c.damage(*this);
        EXPECT_FALSE(find_entry(ctx(), "zzz", kFileEntry, kRootDirectoryID));
        const std::size_t listed = list_root();
        EXPECT_GE(listed, c.leastListed);
        EXPECT_LE(listed, c.mostListed);
        if (c.counted) {
            EXPECT_TRUE(ctx().damagedNodes > 0 || opened->host.showed("The catalog is damaged"));
        }
    }
    // A root node beyond the tree: nothing is found until the header is right again.
    make(3);
    NodeBuffer header = tree().header;
    store_be32(tree().header.data() + header::rootNode, 5000);
    EXPECT_FALSE(find_entry(ctx(), "f1000", kFileEntry, kRootDirectoryID));
    tree().header = header;
    EXPECT_TRUE(find_entry(ctx(), "f1000", kFileEntry, kRootDirectoryID));
}

// A failed read never leaves the previous node behind.
TEST_F(DamagedCatalog, RecordsOutsideTheNodeOrWithImpossibleKeysAreSkipped) {
    make(6);
    ASSERT_TRUE(read_node(tree(), tree_root_node(tree().header)));
    EXPECT_FALSE(read_node(tree(), tree_total_nodes(tree().header)));
    EXPECT_FALSE(tree().nodeValid);
    EXPECT_EQ(tree().node, NodeBuffer{});
    EXPECT_FALSE(read_node(tree(), 0xFFFFFFFF));
    EXPECT_FALSE(current_record(tree()));

    // Damages the record of one file where it lies.
    auto damage_record = [&](const char* name, auto change) {
        const auto found = find_entry(ctx(), name, kFileEntry, kRootDirectoryID);
        ASSERT_TRUE(found) << name;
        const std::size_t i = found->index;
        damage(found->node, [&](NodeBuffer& node) { change(node, i); });
    };
    damage_record("f1001", [](NodeBuffer& node, std::size_t i) { store_be16(node.data() + 510 - 2 * i, 611); });
    damage_record("f1002", [](NodeBuffer& node, std::size_t i) { node[record_offset(node, i)] = 200; });
    damage_record("f1003", [](NodeBuffer& node, std::size_t i) { node[record_offset(node, i) + 6] = 31; });
    damage_record("f1004", [](NodeBuffer& node, std::size_t i) { store_be16(node.data() + 510 - 2 * i, 509); });
    const std::uint32_t leaf = find_entry(ctx(), "f1005", kFileEntry, kRootDirectoryID)->node;
    ctx().damagedNodes = 0;
    ASSERT_EQ(list_root(), 2u);
    EXPECT_EQ(ctx().state.entries[0].name(), "f1000");
    EXPECT_EQ(ctx().state.entries[1].name(), "f1005");
    EXPECT_EQ(ctx().damagedNodes, 4u);
    EXPECT_TRUE(find_entry(ctx(), "f1005", kFileEntry, kRootDirectoryID));

    damage(leaf, [](NodeBuffer& node) { store_be16(node.data() + 10, 0xFFFF); });  // record count
    EXPECT_LE(list_root(), 1u);  // the records of that leaf are lost, the rest remain
}

// A leaf whose link skips the next leaf, or leads back to an earlier one:
// the listing and the copy of the whole folder notice it and never take a
// record twice.
TEST(BrokenLeafChain, TheListingAndTheCopyNoticeItAndNeverRepeatAFile) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "chain.img", 1440);
    volume.add_files(":", numbered_files(300));
    volume.unmount();

    struct Break {
        const char* name;
        std::size_t from, to;
    };
    for (const Break& broken : {Break{"skip", 10, 12}, Break{"back", 30, 5}}) {
        SCOPED_TRACE(broken.name);
        OpenedDrive drive(volume.image());
        ASSERT_TRUE(drive.opened);
        TreeFile& tree = drive.ctx.catalogTree;
        const std::vector<std::uint32_t> leaves = *leaf_chain(tree);
        ASSERT_GT(leaves.size(), 31u);
        ASSERT_TRUE(read_node(tree, leaves[broken.from]));
        NodeBuffer node = tree.node;
        store_be32(node.data(), leaves[broken.to]);
        ASSERT_TRUE(write_node(tree, leaves[broken.from], node));

        load_listing(drive.ctx);
        std::set<std::string> listed;
        for (const ListingEntry& entry : drive.ctx.state.entries)
            EXPECT_TRUE(listed.insert(std::string(entry.name())).second);
        EXPECT_LT(listed.size(), 300u);
        EXPECT_TRUE(drive.host.showed("The catalog is damaged"));
        EXPECT_TRUE(drive.ctx.outcome.failureReported);

        drive.host.notices.clear();
        drive.ctx.outcome = {};
        PcDestination pc;
        EXPECT_EQ(copy_matching(drive.ctx, "*"), kCopyDone);
        std::size_t copied = 0;
        for ([[maybe_unused]] const auto& file : std::filesystem::directory_iterator(pc.path())) ++copied;
        EXPECT_EQ(copied, listed.size());
        EXPECT_TRUE(drive.host.showed("The catalog is damaged"));
        EXPECT_TRUE(drive.ctx.outcome.failureReported);
    }
}

// Two folder records that name the same folder: its files are copied once.
TEST(BrokenLeafChain, AFolderNamedTwiceIsCopiedOnce) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "twice.img", 800);
    volume.add_folder(":A");
    volume.addFile(":A:inside", "once");
    volume.add_folder(":B");
    volume.unmount();
    OpenedDrive drive(volume.image());
    ASSERT_TRUE(drive.opened);
    const auto a = find_entry(drive.ctx, "A", kDirectoryEntry, kRootDirectoryID);
    ASSERT_TRUE(a);
    const std::uint32_t aID = load_be32(a->data.data() + dirrec::dir_id);
    const auto b = find_entry(drive.ctx, "B", kDirectoryEntry, kRootDirectoryID);
    ASSERT_TRUE(b);
    NodeBuffer node = drive.ctx.catalogTree.node;
    store_be32(node.data() + (b->data.data() - drive.ctx.catalogTree.node.data()) + dirrec::dir_id, aID);
    ASSERT_TRUE(write_node(drive.ctx.catalogTree, b->node, node));

    PcDestination pc;
    EXPECT_EQ(copy_matching(drive.ctx, "*"), kCopyDone);
    std::size_t copies = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(pc.path())) copies += file.is_regular_file();
    EXPECT_EQ(copies, 1u);
}

}  // namespace
}  // namespace korvane::testing
