// The write engine over volumes made by hfsutils on the image bus: folders
// inserted and deleted in thousands, the catalog growing, the B-tree's shape
// after every batch, hfsutils reading every record back, and the faults the
// engine must refuse without touching the medium. The undo journal as
// untrusted input (cut anywhere, bytes spoiled: nothing crashes and nothing
// is put back that the journal cannot vouch for), its bound, and where it
// lies.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "hfs/allocation.h"
#include "hfs/catalog_search.h"
#include "hfs/fork_copy.h"
#include "hfs/journal_location.h"
#include "hfs/name_order.h"
#include "hfs/undo.h"
#include "hfs/undo_journal.h"
#include "hfs/volume_bitmap.h"
#include "hfs/write_back.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/hfs/write_fixture.h"

namespace korvane::testing {
namespace {

struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const { return compare_names(a, b) < 0; }
};
using FolderSet = std::map<std::string, std::uint32_t, NameLess>;

// Names in the Macintosh character set with the characters whose order is
// easy to get wrong: accents, "[", "]", "\", "ß", the no-break space and
// the capitals 0xE5-0xF4.
std::string random_name(std::mt19937& random) {
    static const std::string pool = std::string("abcXYZ019 -_[]\\\x8E\x9F\x80\x81\xA7\xCA") +
                                    "\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4";
    std::string name(1 + random() % 31, ' ');
    for (char& c : name) c = pool[random() % pool.size()];
    name.front() = 'n';  // hls would take a leading "-" for an option
    return name;
}

std::multiset<std::string> model_names(const FolderSet& folders) {
    std::multiset<std::string> names;
    for (const auto& [name, id] : folders) names.insert(name);
    return names;
}

std::vector<std::uint32_t> record_counts(TreeFile& tree, const std::vector<std::uint32_t>& nodes) {
    std::vector<std::uint32_t> counts;
    for (std::uint32_t n : nodes) counts.push_back(node_record_count(*load_node(tree, n)));
    return counts;
}

std::vector<std::uint32_t> children_of(TreeFile& tree, std::uint32_t n) {
    std::vector<std::uint32_t> children;
    const NodeBuffer node = *load_node(tree, n);
    for (std::uint16_t i = 0; i < node_record_count(node); ++i)
        children.push_back(*index_record_child(tree, node_record(node, i)));
    return children;
}

// A volume made by hformat (and filled by hfsutils), opened through the image bus.
struct FreshVolume {
    ScratchDir dir;
    HfsutilsVolume volume;
    OpenedVolume opened;
    HfsContext& ctx;

    explicit FreshVolume(std::uint32_t kilobytes = 1440, const std::function<void(HfsutilsVolume&)>& fill = {})
        : volume(dir, "fresh.img", kilobytes), opened(filled(fill)), ctx(opened.ctx) {
        EXPECT_EQ(opened.open(), CatalogOpen::Complete);
    }
    const std::string& filled(const std::function<void(HfsutilsVolume&)>& fill) {
        if (fill) fill(volume);
        return volume.image();
    }
    // Writes the changes back; hfsutils and CHECK read the volume.
    void expect_written_and_sound() {
        ASSERT_TRUE(write_back(ctx));
        EXPECT_EQ(volume.tool({"hls", "-R", ":"}), 0);
        EXPECT_EQ(check_problems(volume.image()), "");
    }
};

const std::vector<std::string> kNoProblems;

TEST(WriteEngine, ThousandsOfFoldersInRandomOrderReadBackByHfsutils) {
    FreshVolume fresh(1440, [](HfsutilsVolume& v) { v.addFile(":Kept", std::string(20000, 'k')); });
    HfsContext& ctx = fresh.ctx;
    HfsutilsVolume& volume = fresh.volume;
    std::set<std::uint32_t> catalogSizes{ctx.mdb.catalog_file_size()};

    // The root and two folders inside it hold the random folders.
    std::vector<FolderKeys> parents{root_folder(ctx)};
    std::vector<FolderSet> contents(3);
    for (const std::string name : {"P1", "P2"}) {
        const std::uint32_t id = make_folder(ctx, parents[0], name);
        ASSERT_NE(id, 0u);
        contents[0][name] = id;
        parents.push_back({catalog_key(kRootDirectoryID, name), id});
    }

    std::mt19937 random(1996);
    for (int batch = 0; batch < 12; ++batch) {
        for (int op = 0; op < 200; ++op) {
            const std::size_t p = random() % parents.size();
            FolderSet& folders = contents[p];
            const bool insert = folders.size() < 3 || random() % 100 < (batch < 7 ? 75u : 30u);
            if (insert) {
                const std::string name = random_name(random);
                const bool taken = folders.count(name) != 0;
                const std::uint32_t id = make_folder(ctx, parents[p], name);
                ASSERT_EQ(id == 0, taken) << name;
                if (taken) continue;
                folders[name] = id;
                // A new thread goes after the last record of the last leaf.
                const NodeBuffer last = *load_node(ctx.catalogTree, tree_last_leaf(ctx.catalogTree.header));
                ASSERT_EQ(parse_catalog_key(node_record(last, node_record_count(last) - 1))->parentID, id);
            } else {
                auto victim = folders.begin();
                std::advance(victim, random() % folders.size());
                if (p == 0 && (victim->first == "P1" || victim->first == "P2")) continue;
                ASSERT_TRUE(remove_folder(ctx, parents[p], victim->first, victim->second));
                folders.erase(victim);
            }
            catalogSizes.insert(ctx.mdb.catalog_file_size());
        }
        ASSERT_TRUE(write_back(ctx));
        EXPECT_FALSE(ctx.volume.bitmapLoaded);
        ASSERT_EQ(tree_shape_problems(ctx.catalogTree), kNoProblems);
        std::multiset<std::string> inRoot = model_names(contents[0]);
        inRoot.insert("Kept");
        EXPECT_EQ(hls_names(volume, ":"), inRoot);
        EXPECT_EQ(hls_names(volume, ":P1:"), model_names(contents[1]));
        EXPECT_EQ(hls_names(volume, ":P2:"), model_names(contents[2]));
        EXPECT_EQ(check_problems(volume.image()), "") << "after batch " << batch;
    }
    EXPECT_GE(catalogSizes.size(), 4u) << "the catalog grew " << catalogSizes.size() - 1 << " times";
    EXPECT_EQ(volume.tool({"hcopy", "-r", ":Kept", fresh.dir / "kept.out"}), 0);
    EXPECT_EQ(read_all(fresh.dir / "kept.out"), std::string(20000, 'k'));
    EXPECT_FALSE(ctx.outcome.failureReported);

    // What hfsutils says of free space is what the bitmap says.
    const auto info = volume.lines({"hvol"});
    const std::string free = std::to_string(std::uint64_t{ctx.mdb.free_blocks()} * ctx.geometry.allocBlockSize);
    EXPECT_TRUE(std::any_of(info.begin(), info.end(),
                            [&](const std::string& l) { return l.find(free) != std::string::npos; }));
}

TEST(WriteEngine, SplitsKeepTheFirstHalfAndTheIndexFollowsTheLeaves) {
    FreshVolume fresh;
    HfsContext& ctx = fresh.ctx;
    TreeFile& catalog = ctx.catalogTree;
    const FolderKeys root = root_folder(ctx);

    // The root's two records and five more fill the one leaf with 7 records;
    // the eighth splits it 4 / 3 and goes to the new leaf on the right.
    ASSERT_NE(make_folder(ctx, root, "A"), 0u);
    ASSERT_NE(make_folder(ctx, root, "B"), 0u);
    std::vector<std::uint8_t> c(kDirectoryRecordSize, 0);
    c[0] = kDirectoryRecord;
    store_be32(c.data() + dirrec::dir_id, ctx.mdb.next_catalog_id());
    ASSERT_EQ(insert_leaf_record(ctx, catalog_key(kRootDirectoryID, "C"), c), EditResult::Done);
    const std::uint32_t left = tree_first_leaf(catalog.header);
    ASSERT_EQ(tree_depth(catalog.header), 1);
    ASSERT_EQ(node_record_count(*load_node(catalog, left)), 7);
    ASSERT_EQ(delete_record(ctx, catalog_key(kRootDirectoryID, "C")), EditResult::Done);
    ASSERT_NE(make_folder(ctx, root, "C"), 0u);
    const std::uint32_t right = tree_last_leaf(catalog.header);
    EXPECT_EQ(tree_first_leaf(catalog.header), left);
    EXPECT_EQ(node_f_link(*load_node(catalog, left)), right);
    EXPECT_EQ(record_counts(catalog, {left, right}), (std::vector<std::uint32_t>{4, 4}));
    EXPECT_EQ(tree_depth(catalog.header), 2);

    // 12 leaves: two index nodes of 11 and 1 records under a root of 2.
    std::size_t folders = 3;
    for (; leaf_chain(catalog)->size() < 12; ++folders)
        ASSERT_NE(make_folder(ctx, root, "F" + std::to_string(1000 + folders)), 0u);
    ASSERT_EQ(leaf_chain(catalog)->size(), 12u);
    EXPECT_EQ(tree_depth(catalog.header), 3);
    const auto top = children_of(catalog, tree_root_node(catalog.header));
    EXPECT_EQ(record_counts(catalog, top), (std::vector<std::uint32_t>{11, 1}));
    EXPECT_EQ(tree_shape_problems(catalog), kNoProblems);
    fresh.expect_written_and_sound();
    EXPECT_EQ(fresh.volume.lines({"hls", "-1a", ":"}).size(), folders);
}

TEST(WriteEngine, ExtentsLeavesSplitEmptyAndLeaveTheTree) {
    FreshVolume fresh;
    HfsContext& ctx = fresh.ctx;
    TreeFile& extents = ctx.extentsTree;

    // An extent that continues a fork's last record joins it.
    ASSERT_TRUE(add_extent_record(ctx, {100, 5}, 5000, 3, kDataFork));
    ASSERT_TRUE(add_extent_record(ctx, {200, 4}, 5000, 8, kDataFork));
    ASSERT_TRUE(add_extent_record(ctx, {204, 2}, 5000, 12, kDataFork));
    const std::uint8_t* record = find_extent_record(ctx, 5000, 3, kDataFork);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 12),
              (std::vector<std::uint8_t>{0, 100, 0, 5, 0, 200, 0, 6, 0, 0, 0, 0}));
    EXPECT_EQ(tree_leaf_records(extents.header), 1u);

    // 31 records of 20 bytes need two leaves; records past index 11 are found.
    std::array<std::uint8_t, 12> data{0, 50, 0, 1};
    for (std::uint32_t id = 1000; id < 1030; ++id)
        ASSERT_EQ(insert_tree_record(ctx, extents, extents_key(kResourceFork, id, 0), data), EditResult::Done);
    ASSERT_EQ(leaf_chain(extents)->size(), 2u);
    const std::uint32_t first = tree_first_leaf(extents.header);
    const std::uint32_t second = tree_last_leaf(extents.header);
    EXPECT_EQ(record_counts(extents, {first, second}), (std::vector<std::uint32_t>{11, 20}));
    // New data of another size: the record is taken out and put in again.
    const std::array<std::uint8_t, 16> longer{0, 60, 0, 2};
    ASSERT_EQ(replace_record_data(ctx, extents, extents_key(kResourceFork, 1015, 0), longer), EditResult::Done);
    ASSERT_TRUE(find_record(extents, extents_key(kResourceFork, 1015, 0)));
    EXPECT_EQ(node_record(extents.node, extents.recordIndex).size(), 24u);
    EXPECT_EQ(node_record(extents.node, extents.recordIndex)[9], 60);

    // Emptying the first leaf makes the second the first, with no bLink.
    for (std::uint32_t id = 1000; id < 1011; ++id)
        ASSERT_EQ(delete_tree_record(ctx, extents, extents_key(kResourceFork, id, 0)), EditResult::Done);
    EXPECT_EQ(tree_first_leaf(extents.header), second);
    EXPECT_EQ(node_b_link(*load_node(extents, second)), 0u);
    EXPECT_EQ(node_in_use(extents, first), false);
    EXPECT_EQ(tree_depth(extents.header), 1);
    EXPECT_EQ(delete_tree_record(ctx, extents, extents_key(kResourceFork, 1000, 0)), EditResult::NotFound);
    for (std::uint32_t id = 1029; id >= 1011; --id)
        ASSERT_EQ(delete_tree_record(ctx, extents, extents_key(kResourceFork, id, 0)), EditResult::Done);
    ASSERT_EQ(delete_tree_record(ctx, extents, extents_key(kDataFork, 5000, 3)), EditResult::Done);
    // add_extent_record counted its record; whoever removes one counts it out.
    store_be32(extents.header.data() + header::leafRecords, tree_leaf_records(extents.header) - 1);
    EXPECT_EQ(tree_root_node(extents.header), 0u);
    EXPECT_EQ(tree_depth(extents.header), 0);
    EXPECT_EQ(tree_first_leaf(extents.header), 0u);
    fresh.expect_written_and_sound();
}

TEST(WriteEngine, CatalogGrowsPastTheHeaderMapThroughMapNodes) {
    FreshVolume fresh(100 * 1024);
    HfsContext& ctx = fresh.ctx;
    TreeFile& catalog = ctx.catalogTree;
    ASSERT_EQ(node_f_link(catalog.header), 0u);  // no map node yet
    const std::uint32_t size = ctx.mdb.catalog_file_size();
    const std::uint32_t nodes = tree_total_nodes(catalog.header);
    const std::uint16_t free_blocks = ctx.mdb.free_blocks();

    // Take every free node; the next one makes the catalog grow.
    std::vector<std::uint32_t> taken;
    while (tree_free_nodes(catalog.header) > 0) taken.push_back(*allocate_catalog_node(ctx));
    taken.push_back(*allocate_catalog_node(ctx));
    EXPECT_EQ(ctx.mdb.catalog_file_size(), 3 * size);
    EXPECT_EQ(tree_total_nodes(catalog.header), 3 * nodes);
    EXPECT_EQ(ctx.mdb.free_blocks(), free_blocks - 2 * size / ctx.geometry.allocBlockSize);
    EXPECT_EQ(count_free_blocks(ctx), ctx.mdb.free_blocks());
    const std::uint32_t map_node = node_f_link(catalog.header);
    ASSERT_NE(map_node, 0u);
    EXPECT_EQ(node_kind(*load_node(catalog, map_node)), kMapNode);
    EXPECT_EQ(node_in_use(catalog, map_node), true);

    // Nodes past 2048 are handed out and given back through the map node.
    while (taken.back() < 2100) taken.push_back(*allocate_catalog_node(ctx));
    EXPECT_EQ(node_in_use(catalog, 2099), true);
    for (std::uint32_t node : taken) free_catalog_node(ctx, node);
    EXPECT_EQ(node_in_use(catalog, 2099), false);
    ASSERT_EQ(tree_shape_problems(catalog), kNoProblems);
    ASSERT_NE(make_folder(ctx, root_folder(ctx), "After growth"), 0u);
    fresh.expect_written_and_sound();
    EXPECT_EQ(fresh.volume.lines({"hls", "-1a", ":"}), std::vector<std::string>{"After growth"});
    OpenedVolume again(fresh.volume.image());
    ASSERT_EQ(again.open(), CatalogOpen::Complete);
    EXPECT_EQ(tree_total_nodes(again.ctx.catalogTree.header), 3 * nodes);
    EXPECT_EQ(allocation_map(again.ctx.catalogTree)->size(), 2u);
}

TEST(WriteEngine, CatalogThatCannotGrowLeavesTheMediumAsItWas) {
    // Leave 30 free blocks at most: fewer than the 44 the catalog needs to grow.
    FreshVolume fresh(1440, [](HfsutilsVolume& v) {
        v.addFile(":Filler", std::string((OpenedVolume(v.image()).ctx.mdb.free_blocks() - 30u) * 512u, 'f'));
    });
    HfsutilsVolume& volume = fresh.volume;
    HfsContext& ctx = fresh.ctx;
    const FolderKeys root = root_folder(ctx);

    std::vector<std::pair<std::string, std::uint32_t>> made;
    for (int i = 0;; ++i) {
        const std::string before = read_all(volume.image());
        const std::string name = "Folder " + std::to_string(i);
        const std::uint32_t id = make_folder(ctx, root, name);
        if (id == 0) {
            EXPECT_EQ(read_all(volume.image()), before);
            break;
        }
        made.emplace_back(name, id);
        ASSERT_TRUE(write_back(ctx));
    }
    EXPECT_TRUE(fresh.opened.host.showed("Error trying to extend catalog."));
    EXPECT_TRUE(ctx.outcome.failureReported);
    EXPECT_EQ(ctx.mdb.catalog_file_size(), 11264u);
    EXPECT_FALSE(ctx.volume.bitmapLoaded);

    // The program goes on: the next command works from the medium's state.
    ASSERT_TRUE(remove_folder(ctx, root, made.front().first, made.front().second));
    fresh.expect_written_and_sound();
    EXPECT_EQ(tree_shape_problems(ctx.catalogTree), kNoProblems);
    EXPECT_EQ(volume.lines({"hls", "-1a", ":"}).size(), made.size());  // Filler in, the first folder out
}

TEST(WriteEngine, CatalogGrowingIntoScatteredSpaceContinuesInTheExtentsTree) {
    // Files of 12 blocks, every other one deleted: free space in runs of 12.
    FreshVolume fresh(1440, [](HfsutilsVolume& v) {
        for (int i = 0; i < 60; ++i) v.addFile(":h" + std::to_string(i), std::string(12 * 512, char('a' + i % 26)));
        for (int i = 0; i < 60; i += 2) v.remove(":h" + std::to_string(i));
    });
    HfsutilsVolume& volume = fresh.volume;
    HfsContext& ctx = fresh.ctx;

    std::vector<std::string> made;
    while (ctx.mdb.catalog_file_size() < 9 * 11264u) {
        made.push_back("Folder " + std::to_string(made.size()));
        ASSERT_NE(make_folder(ctx, root_folder(ctx), made.back()), 0u);
    }
    fresh.expect_written_and_sound();
    // All three extents in use, and the fourth run in the extents tree.
    std::uint32_t in_header = 0;
    for (int i = 0; i < 3; ++i) in_header += extent_descriptor(ctx.mdb.catalog_extents(), i).block_count;
    EXPECT_NE(extent_descriptor(ctx.mdb.catalog_extents(), 2).block_count, 0u);
    EXPECT_NE(find_extent_record(ctx, kCatalogFileID, static_cast<std::uint16_t>(in_header), kDataFork), nullptr);

    OpenedVolume again(volume.image());
    ASSERT_EQ(again.open(), CatalogOpen::Complete);
    EXPECT_EQ(tree_shape_problems(again.ctx.catalogTree), kNoProblems);
    for (const std::string& name : made)
        EXPECT_TRUE(find_entry(again.ctx, name, kDirectoryEntry, kRootDirectoryID)) << name;
    EXPECT_EQ(volume.lines({"hls", "-1a", ":"}).size(), made.size() + 30);
    EXPECT_EQ(volume.tool({"hcopy", "-r", ":h31", fresh.dir / "h31"}), 0);
    EXPECT_EQ(read_all(fresh.dir / "h31"), std::string(12 * 512, char('a' + 31 % 26)));
}

struct RefusalCase {
    const char* name;
    const char* imageOptions;
    void (*prepare)(HfsContext& ctx);
    bool folderMade;  // the change itself goes through; the write-back fails
    const char* notice;
};

std::uint32_t catalog_sector(HfsContext& ctx) {
    return ctx.geometry.firstAllocSector +
           extent_descriptor(ctx.mdb.catalog_extents(), 0).startBlock * ctx.geometry.sectorsPerBlock;
}

TEST(WriteEngine, ChangesThatCannotBeWrittenAreRefusedAndTheMediumKept) {
    const RefusalCase cases[] = {
            {"bitmap unreadable", ",bad=3", nullptr, false,
             "The volume bitmap could not be read: nothing was changed."},
            {"catalog not read whole", ",bad=CATALOG", nullptr, false,
             "The catalog could not be read completely: nothing was changed."},
            {"marked read-only", "", [](HfsContext& ctx) { ctx.geometry.readOnlyVolume = true; }, false,
             "This volume is opened read-only: nothing was changed."},
            {"larger than its partition", "", [](HfsContext& ctx) { ctx.geometry.partitionSectors = 2000; }, false,
             "This volume is opened read-only: nothing was changed."},
            {"write-protected medium", ",ro", nullptr, true,
             "Error writing to the medium: the volume on it is now out of date and may be damaged."},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        HfsutilsVolume volume(dir, "refused.img", 1440);
        std::string options = c.imageOptions;
        if (options == ",bad=CATALOG") {
            OpenedVolume probe(volume.image());
            options = ",bad=" + std::to_string(catalog_sector(probe.ctx) + 3);
        }
        const std::string before = read_all(volume.image());
        OpenedVolume opened(volume.image() + options);
        HfsContext& ctx = opened.ctx;
        opened.open();
        if (c.prepare) c.prepare(ctx);
        const bool made = make_folder(ctx, root_folder(ctx), "Refused") != 0;
        EXPECT_EQ(made, c.folderMade);
        if (made) {
            EXPECT_FALSE(write_back(ctx));
        }
        EXPECT_TRUE(opened.host.showed(c.notice));
        EXPECT_TRUE(ctx.outcome.failureReported);
        EXPECT_EQ(read_all(volume.image()), before);
    }
}

TEST(WriteEngine, AlternateHeaderGoesToTheEndOfTheVolumesOwnPartition) {
    // A partition of someone else's after the volume.
    FreshVolume fresh(1440, [](HfsutilsVolume& v) {
        std::ofstream(v.image(), std::ios::binary | std::ios::app) << std::string(64 * 1024, '\xAA');
    });
    HfsutilsVolume& volume = fresh.volume;
    HfsContext& ctx = fresh.ctx;
    ctx.geometry.partitionStart = 0;
    ctx.geometry.partitionSectors = 2880;
    ASSERT_NE(make_folder(ctx, root_folder(ctx), "Parted"), 0u);
    ASSERT_TRUE(write_back(ctx));
    const std::array<std::uint8_t, 512> zeros{};
    EXPECT_FALSE(volume_device(ctx).write(2880, 1, zeros.data()));  // refused, never sent

    const std::string image = read_all(volume.image());
    EXPECT_EQ(image.substr(2878 * 512, 512), image.substr(2 * 512, 512));
    EXPECT_EQ(image.substr(2880 * 512), std::string(64 * 1024, '\xAA'));
    EXPECT_EQ(volume.lines({"hls", "-1a", ":"}), std::vector<std::string>{"Parted"});
}

TEST(WriteEngine, RunsAreFirstFitFromBlock40) {
    FreshVolume fresh;
    HfsContext& ctx = fresh.ctx;
    ASSERT_TRUE(start_modification(ctx));
    const std::uint16_t blocks = ctx.mdb.allocation_blocks();
    struct RunCase {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> freeRuns;  // all else in use
        std::uint16_t asked;
        BlockRun expected;
    };
    const RunCase cases[] = {
            {{{0, 100}}, 5, {40, 5}},                          // block 40 first, even with lower blocks free
            {{{40, 5}, {60, 30}}, 25, {60, 25}},               // a short run is passed over
            {{{40, 5}, {60, 12}, {100, 50}}, 25, {60, 12}},    // the first run of 10 or more, shorter than asked
            {{{40, 3}}, 3, {40, 3}},                           // a short run that satisfies the whole request
            {{{std::uint32_t(blocks - 20), 20}}, 30, kNoRun},  // would pass the last block
    };
    for (const RunCase& c : cases) {
        mark_blocks(ctx, 0, blocks, true);
        for (const auto& [start, count] : c.freeRuns) mark_blocks(ctx, start, count, false);
        const BlockRun run = allocate_run(ctx, c.asked);
        EXPECT_EQ(run.start, c.expected.start);
        EXPECT_EQ(run.count, c.expected.count);
    }
    EXPECT_TRUE(fresh.opened.host.showed("Not enough space on the volume."));
    discard_changes(ctx);
}

// A Mac OS floppy that hfsutils cannot read (the hfsutils-readable corpus
// takes the same changes in FolderEditScripts.CorpusVolumesTakeTheSameScript):
// folders added and removed, the B-tree's shape, no fork moved, Korvane's
// CHECK and reading.
TEST(WriteEngine, AMacOs400kFloppyTakesFoldersAndKeepsItsFiles) {
    ScratchDir dir;
    const std::string image = corpus_copy(dir, "macos-blank400k.dsk");
    if (image.empty()) GTEST_SKIP() << "corpus not present";
    const std::string pristine = read_all(image);
    OpenedVolume opened(image);
    HfsContext& ctx = opened.ctx;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    const FolderKeys root = root_folder(ctx);
    std::vector<std::pair<std::string, std::uint32_t>> made;
    for (int i = 0; i < 120; ++i) {
        const std::string name = "Neu \xA7" + std::to_string(i * 7919 % 1000);
        made.emplace_back(name, make_folder(ctx, root, name));
        ASSERT_NE(made.back().second, 0u) << name;
    }
    for (int i = 0; i < 120; i += 2) ASSERT_TRUE(remove_folder(ctx, root, made[i].first, made[i].second));
    ASSERT_TRUE(write_back(ctx));
    ASSERT_EQ(tree_shape_problems(ctx.catalogTree), kNoProblems);
    EXPECT_EQ(changed_blocks_outside_the_trees(pristine, read_all(image)), 0u);
    OpenedVolume again(image);
    ASSERT_EQ(again.open(), CatalogOpen::Complete);
    for (int i = 1; i < 120; i += 2)
        EXPECT_TRUE(find_entry(again.ctx, made[i].first, kDirectoryEntry, kRootDirectoryID));
    EXPECT_EQ(check_problems(image), "");
}

// One folder made and written back per name; the image after each.
std::vector<std::string> make_folders(const std::string& image, const std::vector<std::string>& names,
                                      std::uint64_t journalLimit = kDefaultJournalLimit) {
    OpenedVolume volume(image);
    EXPECT_EQ(volume.open(), CatalogOpen::Complete);
    volume.ctx.journal.limit = journalLimit;
    std::vector<std::string> states;
    for (const std::string& name : names) {
        EXPECT_NE(make_folder(volume.ctx, root_folder(volume.ctx), name), 0u) << name;
        EXPECT_TRUE(write_back(volume.ctx));
        states.push_back(read_all(image));
    }
    return states;
}

// Every sector of now is that sector in one of the states.
bool sectors_from_states(const std::string& now, const std::vector<std::string>& states) {
    for (std::size_t at = 0; at < now.size(); at += 512) {
        bool known = false;
        for (const std::string& state : states) known |= now.compare(at, 512, state, at, 512) == 0;
        if (!known) return false;
    }
    return true;
}

TEST(UndoJournalFile, CutOrSpoiledItNeverPutsBackWhatItCannotVouchFor) {
    ScratchDir dir;
    HfsutilsVolume made(dir, "v.img", 800);
    made.unmount();
    const std::string image = made.image();
    const std::string journalPath = image + kJournalSuffix;
    const std::string before = read_all(image);
    const std::vector<std::string> after = make_folders(image, {"One", "Two"});
    const std::string journal = read_all(journalPath);
    UndoJournal whole;
    ASSERT_TRUE(whole.open(journalPath, false));
    ASSERT_EQ(whole.records().size(), 2u);
    std::printf("journal of two folders made: %zu bytes\n", journal.size());
    const std::uint64_t secondStart = whole.records()[1].start;

    struct Spoiled {
        std::string name;
        std::string bytes;
        bool beforeSecond;  // the damage lies in the first change's blocks
    };
    std::vector<Spoiled> cases;
    for (std::size_t length = 0; length < journal.size(); length += 257)
        cases.push_back({"cut at " + std::to_string(length), journal.substr(0, length), false});
    for (std::size_t at = 0; at < journal.size(); at += 199) {
        std::string bytes = journal;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        cases.push_back({"byte " + std::to_string(at) + " spoiled", bytes, at < secondStart});
    }
    for (const Spoiled& spoiled : cases) {
        SCOPED_TRACE(spoiled.name);
        std::ofstream(image, std::ios::binary) << after[1];
        std::ofstream(journalPath, std::ios::binary) << spoiled.bytes;
        OpenedVolume volume(image);
        undo_last_change(volume.ctx);
        const std::string now = read_all(image);
        EXPECT_TRUE(sectors_from_states(now, {before, after[0], after[1]}));
        if (spoiled.beforeSecond) {
            EXPECT_TRUE(now == after[1]) << "a damaged journal puts nothing back";
        }
    }
}

TEST(UndoJournalFile, KeepsItsNewestChangesWithinItsBound) {
    ScratchDir dir;
    HfsutilsVolume made(dir, "v.img", 800);
    made.unmount();
    const std::string image = made.image();
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back("Folder " + std::to_string(i));
    constexpr std::uint64_t kLimit = 12000;
    const std::vector<std::string> states = make_folders(image, names, kLimit);

    UndoJournal journal;
    ASSERT_TRUE(journal.open(image + kJournalSuffix, false));
    const std::size_t kept = journal.records().size();
    EXPECT_LE(journal.size(), kLimit);
    EXPECT_GE(kept, 2u);
    EXPECT_LT(kept, names.size()) << "the oldest changes were dropped";
    OpenedVolume volume(image);
    for (std::size_t undone = 1; undone <= kept; ++undone) {
        ASSERT_TRUE(undo_last_change(volume.ctx));
        EXPECT_TRUE(read_all(image) == states[names.size() - 1 - undone]) << undone;
    }
    EXPECT_FALSE(undo_last_change(volume.ctx)) << "nothing older is kept";
    EXPECT_EQ(volume.host.notices.back(), "There is no change to undo on this medium.");
    EXPECT_EQ(check_problems(image), "");
    EXPECT_EQ(made.tool({"hmount", image}), 0);
}

TEST(UndoJournalFile, ADeviceKeepsItsJournalInTheStateFolder) {
    ScratchDir dir;
    ASSERT_EQ(setenv("XDG_STATE_HOME", dir.path().c_str(), 1), 0);
    EXPECT_EQ(journal_path_for("/dev/null"), dir / "korvane/dev_null.korvane-journal");
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(journal_path_for(dir / "disk.img"), dir / "disk.img.korvane-journal");
}

}  // namespace
}  // namespace korvane::testing
