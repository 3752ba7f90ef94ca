// A damaged catalog shows what can be read and never loops: cycles in the
// leaf chain and in the index, records outside their node, impossible key
// lengths, node numbers beyond the tree. CHECK on a sound volume made by
// hfsutils finds nothing (the corpus is checked end to end); on damaged
// copies it names each fault.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/index_rebuild.h"
#include "hfs/volume_check.h"
#include "tests/hfs/check_fixture.h"
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

// A volume with nested folders, many files, a file with both forks, a
// fragmented file with extents-overflow records and a catalog beyond its
// three extents: small files, a filler for the rest of the volume, every
// other small file deleted, then the fragmented file into the holes.
std::string make_sound_volume(const ScratchDir& dir) {
    HfsutilsVolume volume(dir, "sound.img", 800);
    volume.add_folder(":Letters");
    volume.add_folder(":Letters:Old");
    volume.add_folder(":Letters:Old:Older");
    volume.add_folder(":Empty");
    for (int i = 0; i < 30; ++i) volume.addFile(":Letters:Old:note " + std::to_string(i), std::string(i * 300, 'n'));
    volume.add_forked_file(":Letters:", "Forked", "APPL", "Korv", std::string(3000, 'd'), std::string(5000, 'r'));
    volume.fragment_free_space(120);
    volume.addFile(":Letters:Big", std::string(40 * 512, 'b'));
    volume.unmount();
    return volume.image();
}

// --- damage ----------------------------------------------------------------
// Each fault is poked into a copy of the sound volume: into the image (the
// bitmap), the volume header image, or the trees' working copies, which is
// what the check reads.

struct Damaged {
    OpenedVolume& volume;
    std::string image;
    HfsContext& ctx() { return volume.ctx; }
};

FoundEntry find(HfsContext& ctx, std::string_view name, int kind, std::uint32_t parent) {
    const auto found = find_entry(ctx, name, kind, parent);
    EXPECT_TRUE(found) << name;
    return found.value_or(FoundEntry{});
}

std::uint32_t folder_id(HfsContext& ctx, std::string_view name) {
    return load_be32(find(ctx, name, kDirectoryEntry, kRootDirectoryID).data, dirrec::dir_id);
}

// Changes the bytes of a found record's data in the catalog working copy.
void change_record(HfsContext& ctx, const FoundEntry& found, const std::function<void(std::uint8_t*)>& change) {
    NodeBuffer node = ctx.catalogTree.node;
    change(node.data() + (found.data.data() - ctx.catalogTree.node.data()));
    ASSERT_TRUE(write_node(ctx.catalogTree, found.node, node));
}

void change_node(TreeFile& tree, std::uint32_t n, const std::function<void(NodeBuffer&)>& change) {
    ASSERT_TRUE(read_node(tree, n));
    NodeBuffer node = tree.node;
    change(node);
    ASSERT_TRUE(write_node(tree, n, node));
}

void setOffset(NodeBuffer& node, std::uint16_t i, std::uint16_t offset) {
    store_be16(node.data() + kNodeSize - 2 - 2 * i, offset);
}

// Takes record i out of a node, closing the gap.
void remove_record(NodeBuffer& node, std::uint16_t i) {
    const std::uint16_t count = node_record_count(node);
    const std::uint16_t start = record_offset(node, i);
    const std::uint16_t end = record_offset(node, static_cast<std::uint16_t>(i + 1));
    std::memmove(node.data() + start, node.data() + end, record_offset(node, count) - end);
    for (std::uint16_t j = i; j < count; ++j) {
        setOffset(node, j,
                  static_cast<std::uint16_t>(record_offset(node, static_cast<std::uint16_t>(j + 1)) - (end - start)));
    }
    setOffset(node, count, 0);
    store_be16(node.data() + 10, static_cast<std::uint16_t>(count - 1));
}

void add_to_field32(std::uint8_t* field, std::int32_t delta) { store_be32(field, load_be32(field) + delta); }
void add_to_field16(std::uint8_t* field, std::int16_t delta) {
    store_be16(field, static_cast<std::uint16_t>(load_be16(field) + delta));
}

void add_to_header(TreeFile& tree, std::size_t field, std::int32_t delta) {
    add_to_field32(tree.header.data() + field, delta);
    ASSERT_TRUE(write_node(tree, 0, tree.header));
}

std::uint16_t first_block_of(HfsContext& ctx, std::string_view rootFile) {
    return load_be16(find(ctx, rootFile, kFileEntry, kRootDirectoryID).data.data() + filrec::data_extents);
}

struct DamageCase {
    const char* fault;
    std::function<void(Damaged&)> poke;
    const char* expected;  // a problem the report must hold, as it stands
};

const std::vector<DamageCase>& damage_cases() {
    static const std::vector<DamageCase> cases = {
            {"wrong drFreeBks", [](Damaged& d) { add_to_field16(d.ctx().mdb.field(mdb::drFreeBks), -3); },
             "The volume header counts * free blocks (drFreeBks), the bitmap *."},
            {"a bitmap bit cleared under a file",
             [](Damaged& d) {
                 const std::uint16_t block = first_block_of(d.ctx(), "s1");
                 std::fstream image(d.image, std::ios::in | std::ios::out | std::ios::binary);
                 const std::streamoff at = d.ctx().mdb.bitmap_start() * 512 + block / 8;
                 image.seekg(at);
                 char byte = 0;
                 image.get(byte);
                 image.seekp(at);
                 image.put(static_cast<char>(byte & ~(0x80 >> (block % 8))));
             },
             "Block * is used by the data fork of file \"s1\" (ID *) but marked free in the bitmap."},
            {"two files sharing a block",
             [](Damaged& d) {
                 const std::uint16_t block = first_block_of(d.ctx(), "s1");
                 change_record(d.ctx(), find(d.ctx(), "s3", kFileEntry, kRootDirectoryID),
                               [block](std::uint8_t* data) { store_be16(data + filrec::data_extents, block); });
             },
             "Block * is used by both the data fork of file \"s1\" (ID *) and the data fork of file \"s3\" (ID *)."},
            {"an extent beyond the volume",
             [](Damaged& d) {
                 const std::uint16_t end = d.ctx().mdb.allocation_blocks();
                 change_record(d.ctx(), find(d.ctx(), "s5", kFileEntry, kRootDirectoryID),
                               [end](std::uint8_t* data) { store_be16(data + filrec::data_extents, end); });
             },
             "The data fork of file \"s5\" (ID *) has blocks beyond the end of the volume (block * of a volume of * "
             "blocks)."},
            {"two leaf records swapped",
             [](Damaged& d) {
                 TreeFile& tree = d.ctx().catalogTree;
                 change_node(tree, tree_first_leaf(tree.header), [](NodeBuffer& node) {
                     const std::uint16_t second = record_offset(node, 1);
                     setOffset(node, 1, record_offset(node, 2));
                     setOffset(node, 2, second);
                 });
             },
             "Catalog node *: record 2 is out of order."},
            {"a broken bLink",
             [](Damaged& d) {
                 TreeFile& tree = d.ctx().catalogTree;
                 ASSERT_TRUE(read_node(tree, tree_first_leaf(tree.header)));
                 change_node(tree, node_f_link(tree.node), [](NodeBuffer& node) { store_be32(node.data() + 4, 0); });
             },
             "Catalog node *: its backward link (bLink) points to nothing instead of node *."},
            {"an index key that differs from its child's first key",
             [](Damaged& d) {
                 TreeFile& tree = d.ctx().catalogTree;
                 change_node(tree, tree_root_node(tree.header), [](NodeBuffer& node) {
                     ASSERT_EQ(node_kind(node), kIndexNode);
                     // The last record's key: one letter later sorts still before nothing.
                     const std::uint16_t last = static_cast<std::uint16_t>(node_record_count(node) - 1);
                     std::uint8_t* key = node.data() + record_offset(node, last);
                     ASSERT_GT(key[6], 0);
                     ++key[6 + key[6]];
                 });
             },
             "Catalog node *: its first key differs from the index key that points to it."},
            {"wrong leafRecords", [](Damaged& d) { add_to_header(d.ctx().catalogTree, header::leafRecords, 1); },
             "Catalog header: leafRecords is *, the leaves hold *."},
            {"wrong freeNodes", [](Damaged& d) { add_to_header(d.ctx().catalogTree, header::freeNodes, -1); },
             "Catalog header: freeNodes is *, the node map leaves * nodes free."},
            {"a missing thread",
             [](Damaged& d) {
                 const FoundEntry thread = find(d.ctx(), "", kDirectoryThread, folder_id(d.ctx(), "Empty"));
                 change_node(d.ctx().catalogTree, thread.node,
                             [&](NodeBuffer& node) { remove_record(node, thread.index); });
             },
             "Folder \"Empty\" (ID *) has no thread record."},
            {"a wrong valence",
             [](Damaged& d) {
                 change_record(d.ctx(), find(d.ctx(), "Letters", kDirectoryEntry, kRootDirectoryID),
                               [](std::uint8_t* data) { add_to_field16(data + dirrec::valence, 1); });
             },
             "Folder \"Letters\" (ID *) counts 4 entries (valence) but holds 3."},
            {"a volume name that the root folder does not carry",
             [](Damaged& d) { d.ctx().mdb.field(mdb::drVN)[1] = 'X'; },
             "The volume header names the volume \"Xest\", the catalog's root folder \"Test\"."},
            {"wrong drNmFls", [](Damaged& d) { add_to_field16(d.ctx().mdb.field(mdb::drNmFls), 1); },
             "The volume header counts 62 files in the root folder (drNmFls), the catalog holds 61."},
            {"a volume longer than its partition",
             [](Damaged& d) {
                 d.ctx().geometry.partitionStart = 0;
                 d.ctx().geometry.partitionSectors = 1500;
             },
             "The volume's 1594 allocation blocks (drNmAlBlks) reach past the end of its partition."},
            {"an overflow record that its fork does not need",
             [](Damaged& d) {
                 change_record(d.ctx(), find(d.ctx(), "Big", kFileEntry, folder_id(d.ctx(), "Letters")),
                               [](std::uint8_t* data) {
                                   const std::uint8_t* extents = data + filrec::data_extents;
                                   const int blocks =
                                           load_be16(extents + 2) + load_be16(extents + 6) + load_be16(extents + 10);
                                   store_be32(data + filrec::dataPhysicalLength, blocks * 512);
                               });
             },
             "The extents tree holds a record for the data fork of file \"Big\" (ID *) from its block 3 on that the "
             "fork "
             "does not need."},
            {"an extents record that lost its fork",
             [](Damaged& d) {
                 TreeFile& tree = d.ctx().extentsTree;
                 change_node(tree, tree_last_leaf(tree.header), [](NodeBuffer& node) {
                     const std::uint16_t last = static_cast<std::uint16_t>(node_record_count(node) - 1);
                     add_to_field32(node.data() + record_offset(node, last) + 2, 1000);
                 });
             },
             "The extents tree holds a record for the data fork of file ID * from its block * on, but there is no such "
             "file."},
    };
    return cases;
}

// A problem line matches a pattern in which "*" stands for any text.
bool matches(std::string_view pattern, std::string_view line) {
    const std::size_t star = pattern.find('*');
    if (star == std::string_view::npos) return pattern == line;
    if (line.substr(0, star) != pattern.substr(0, star)) return false;
    for (std::size_t at = star; at <= line.size(); ++at) {
        if (matches(pattern.substr(star + 1), line.substr(at))) return true;
    }
    return false;
}

TEST(VolumeCheck, ASoundVolumeHasNoProblemsAndEachFaultIsNamed) {
    ScratchDir dir;
    const std::string image = make_sound_volume(dir);
    EXPECT_EQ(check_problems(image), "");
    // A bitmap that cannot be read is said once; the rest is still checked.
    EXPECT_EQ(check_problems(image + ",bad=3"), "The volume bitmap could not be read.\n");
    for (const DamageCase& damage : damage_cases()) {
        SCOPED_TRACE(damage.fault);
        const std::string copy = dir / "damaged.img";
        std::filesystem::copy_file(image, copy, std::filesystem::copy_options::overwrite_existing);
        OpenedVolume volume(copy);
        ASSERT_EQ(volume.open(), CatalogOpen::Complete);
        ASSERT_TRUE(open_extents_tree(volume.ctx));
        ASSERT_GE(tree_leaf_records(volume.ctx.extentsTree.header), 10u);  // "Big" lies in 40 one-block holes
        Damaged damaged{volume, copy};
        damage.poke(damaged);
        const CheckReport report = check_volume(volume.ctx);
        const auto& problems = report.problems();
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [&](const std::string& line) {
            return matches(damage.expected, line);
        })) << ::testing::PrintToString(problems);
    }
}

}  // namespace
}  // namespace korvane::testing
