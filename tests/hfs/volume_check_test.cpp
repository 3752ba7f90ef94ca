// CHECK on a sound volume made by hfsutils finds nothing (the corpus is
// checked end to end); on damaged copies it names each fault.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "hfs/catalog_search.h"
#include "hfs/volume_check.h"
#include "tests/hfs/check_fixture.h"

namespace korvane::testing {
namespace {

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
