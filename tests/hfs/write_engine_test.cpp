// The write engine over volumes made by hfsutils on the image bus: folders
// inserted and deleted in thousands, the catalog growing, the B-tree's shape
// after every batch, hfsutils reading every record back, and the faults the
// engine must refuse without touching the medium.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "hfs/allocation.h"
#include "hfs/catalog_search.h"
#include "hfs/fork_copy.h"
#include "hfs/name_order.h"
#include "hfs/volume_bitmap.h"
#include "hfs/write_back.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/hfs/write_fixture.h"

namespace korvane {
namespace {

using testing::FolderKeys;
using testing::HfsutilsVolume;
using testing::OpenedVolume;
using testing::ScratchDir;
using testing::makeFolder;
using testing::removeFolder;
using testing::rootFolder;
using testing::treeShapeProblems;

struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const { return compareNames(a, b) < 0; }
};
using FolderSet = std::map<std::string, std::uint32_t, NameLess>;

// Names in the Macintosh character set with the characters whose order is
// easy to get wrong: accents, "[", "]", "\", "ß", the no-break space and
// the capitals 0xE5-0xF4.
std::string randomName(std::mt19937& random) {
    static const std::string pool = std::string("abcXYZ019 -_[]\\\x8E\x9F\x80\x81\xA7\xCA") +
                                    "\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4";
    std::string name(1 + random() % 31, ' ');
    for (char& c : name) c = pool[random() % pool.size()];
    name.front() = 'n';  // hls would take a leading "-" for an option
    return name;
}

// The names hls lists in an HFS folder path.
std::multiset<std::string> hlsNames(const HfsutilsVolume& volume, const std::string& path) {
    const auto lines = volume.lines({"hls", "-1a", path});
    return {lines.begin(), lines.end()};
}

std::multiset<std::string> modelNames(const FolderSet& folders) {
    std::multiset<std::string> names;
    for (const auto& [name, id] : folders) names.insert(name);
    return names;
}

std::vector<std::uint32_t> recordCounts(TreeFile& tree, const std::vector<std::uint32_t>& nodes) {
    std::vector<std::uint32_t> counts;
    for (std::uint32_t n : nodes) counts.push_back(nodeRecordCount(*loadNode(tree, n)));
    return counts;
}

std::vector<std::uint32_t> childrenOf(TreeFile& tree, std::uint32_t n) {
    std::vector<std::uint32_t> children;
    const NodeBuffer node = *loadNode(tree, n);
    for (std::uint16_t i = 0; i < nodeRecordCount(node); ++i) children.push_back(*indexRecordChild(tree, nodeRecord(node, i)));
    return children;
}

// A fresh volume made by hformat, opened through the image bus.
struct FreshVolume {
    ScratchDir dir;
    HfsutilsVolume volume;
    OpenedVolume opened;
    HfsContext& ctx;

    explicit FreshVolume(std::uint32_t kilobytes = 1440)
        : volume(dir, "fresh.img", kilobytes), opened(volume.image()), ctx(opened.ctx) {
        EXPECT_EQ(opened.open(), CatalogOpen::Complete);
    }
};

TEST(WriteEngine, ThousandsOfFoldersInRandomOrderReadBackByHfsutils) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "random.img", 1440);
    volume.addFile(":Kept", std::string(20000, 'k'));
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    const std::uint32_t firstCatalogSize = ctx.mdb.catalogFileSize();
    std::set<std::uint32_t> catalogSizes{firstCatalogSize};

    // The root and two folders inside it hold the random folders.
    std::vector<FolderKeys> parents{rootFolder(ctx)};
    std::vector<FolderSet> contents(3);
    for (const std::string name : {"P1", "P2"}) {
        const std::uint32_t id = makeFolder(ctx, parents[0], name);
        ASSERT_NE(id, 0u);
        contents[0][name] = id;
        parents.push_back({catalogKey(kRootDirectoryID, name), id});
    }

    std::mt19937 random(1996);
    for (int batch = 0; batch < 12; ++batch) {
        for (int op = 0; op < 200; ++op) {
            const std::size_t p = random() % parents.size();
            FolderSet& folders = contents[p];
            const bool insert = folders.size() < 3 || random() % 100 < (batch < 7 ? 75u : 30u);
            if (insert) {
                const std::string name = randomName(random);
                const bool taken = folders.count(name) != 0;
                const std::uint32_t id = makeFolder(ctx, parents[p], name);
                ASSERT_EQ(id == 0, taken) << name;
                if (!taken) folders[name] = id;
                // A new thread goes after the last record of the last leaf.
                const NodeBuffer last = *loadNode(ctx.catalogTree, treeLastLeaf(ctx.catalogTree.header));
                const auto key = parseCatalogKey(nodeRecord(last, nodeRecordCount(last) - 1));
                if (!taken) {
                    ASSERT_EQ(key->parentID, id);
                }
            } else {
                auto victim = folders.begin();
                std::advance(victim, random() % folders.size());
                if (p == 0 && (victim->first == "P1" || victim->first == "P2")) continue;
                ASSERT_TRUE(removeFolder(ctx, parents[p], victim->first, victim->second));
                folders.erase(victim);
            }
            catalogSizes.insert(ctx.mdb.catalogFileSize());
        }
        ASSERT_TRUE(writeBack(ctx));
        EXPECT_FALSE(ctx.volume.bitmapLoaded);
        const auto problems = treeShapeProblems(ctx.catalogTree);
        ASSERT_TRUE(problems.empty()) << problems.front();
        std::multiset<std::string> inRoot = modelNames(contents[0]);
        inRoot.insert("Kept");
        EXPECT_EQ(hlsNames(volume, ":"), inRoot);
        EXPECT_EQ(hlsNames(volume, ":P1:"), modelNames(contents[1]));
        EXPECT_EQ(hlsNames(volume, ":P2:"), modelNames(contents[2]));
        EXPECT_EQ(testing::checkProblems(volume.image()), "") << "after batch " << batch;
    }
    EXPECT_GE(catalogSizes.size(), 4u) << "the catalog grew " << catalogSizes.size() - 1 << " times";
    EXPECT_EQ(volume.tool({"hls", "-R", ":"}), 0);
    EXPECT_EQ(volume.tool({"hcopy", "-r", ":Kept", dir / "kept.out"}), 0);
    EXPECT_EQ(testing::read_all(dir / "kept.out"), std::string(20000, 'k'));
    EXPECT_FALSE(ctx.outcome.failureReported);

    // What hfsutils says of free space is what the bitmap says.
    const auto info = volume.lines({"hvol"});
    const std::string free = std::to_string(std::uint64_t{ctx.mdb.freeBlocks()} * ctx.geometry.allocBlockSize);
    EXPECT_TRUE(std::any_of(info.begin(), info.end(), [&](const std::string& l) { return l.find(free) != std::string::npos; }));
}

TEST(WriteEngine, SplitsKeepTheFirstHalfAndTheIndexFollowsTheLeaves) {
    FreshVolume fresh;
    HfsContext& ctx = fresh.ctx;
    TreeFile& catalog = ctx.catalogTree;
    const FolderKeys root = rootFolder(ctx);

    // The root's two records and five more fill the one leaf with 7 records;
    // the eighth splits it 4 / 3 and goes to the new leaf on the right.
    ASSERT_NE(makeFolder(ctx, root, "A"), 0u);
    ASSERT_NE(makeFolder(ctx, root, "B"), 0u);
    std::vector<std::uint8_t> c(kDirectoryRecordSize, 0);
    c[0] = kDirectoryRecord;
    storeBE32(c.data() + dirrec::dirID, ctx.mdb.nextCatalogID());
    ASSERT_EQ(insertLeafRecord(ctx, catalogKey(kRootDirectoryID, "C"), c), EditResult::Done);
    const std::uint32_t left = treeFirstLeaf(catalog.header);
    ASSERT_EQ(treeDepth(catalog.header), 1);
    ASSERT_EQ(nodeRecordCount(*loadNode(catalog, left)), 7);
    ASSERT_EQ(deleteRecord(ctx, catalogKey(kRootDirectoryID, "C")), EditResult::Done);
    ASSERT_NE(makeFolder(ctx, root, "C"), 0u);
    const std::uint32_t right = treeLastLeaf(catalog.header);
    EXPECT_EQ(treeFirstLeaf(catalog.header), left);
    EXPECT_EQ(nodeFLink(*loadNode(catalog, left)), right);
    EXPECT_EQ(recordCounts(catalog, {left, right}), (std::vector<std::uint32_t>{4, 4}));
    EXPECT_EQ(treeDepth(catalog.header), 2);

    // 12 leaves: two index nodes of 11 and 1 records under a root of 2.
    std::size_t folders = 3;
    for (; leafChain(catalog)->size() < 12; ++folders)
        ASSERT_NE(makeFolder(ctx, root, "F" + std::to_string(1000 + folders)), 0u);
    ASSERT_EQ(leafChain(catalog)->size(), 12u);
    EXPECT_EQ(treeDepth(catalog.header), 3);
    const auto top = childrenOf(catalog, treeRootNode(catalog.header));
    EXPECT_EQ(recordCounts(catalog, top), (std::vector<std::uint32_t>{11, 1}));
    const auto problems = treeShapeProblems(catalog);
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_TRUE(writeBack(ctx));
    EXPECT_EQ(fresh.volume.lines({"hls", "-1a", ":"}).size(), folders);
    EXPECT_EQ(testing::checkProblems(fresh.volume.image()), "");
}

TEST(WriteEngine, ExtentsLeavesSplitEmptyAndLeaveTheTree) {
    FreshVolume fresh;
    HfsContext& ctx = fresh.ctx;
    TreeFile& extents = ctx.extentsTree;

    // An extent that continues a fork's last record joins it.
    ASSERT_TRUE(addExtentRecord(ctx, {100, 5}, 5000, 3, kDataFork));
    ASSERT_TRUE(addExtentRecord(ctx, {200, 4}, 5000, 8, kDataFork));
    ASSERT_TRUE(addExtentRecord(ctx, {204, 2}, 5000, 12, kDataFork));
    const std::uint8_t* record = findExtentRecord(ctx, 5000, 3, kDataFork);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 12),
              (std::vector<std::uint8_t>{0, 100, 0, 5, 0, 200, 0, 6, 0, 0, 0, 0}));
    EXPECT_EQ(treeLeafRecords(extents.header), 1u);

    // 31 records of 20 bytes need two leaves; records past index 11 are found.
    std::array<std::uint8_t, 12> data{0, 50, 0, 1};
    for (std::uint32_t id = 1000; id < 1030; ++id)
        ASSERT_EQ(insertTreeRecord(ctx, extents, extentsKey(kResourceFork, id, 0), data), EditResult::Done);
    ASSERT_EQ(leafChain(extents)->size(), 2u);
    const std::uint32_t first = treeFirstLeaf(extents.header);
    const std::uint32_t second = treeLastLeaf(extents.header);
    EXPECT_EQ(recordCounts(extents, {first, second}), (std::vector<std::uint32_t>{11, 20}));
    // New data of another size: the record is taken out and put in again.
    const std::array<std::uint8_t, 16> longer{0, 60, 0, 2};
    ASSERT_EQ(replaceRecordData(ctx, extents, extentsKey(kResourceFork, 1015, 0), longer), EditResult::Done);
    ASSERT_TRUE(findRecord(extents, extentsKey(kResourceFork, 1015, 0)));
    EXPECT_EQ(nodeRecord(extents.node, extents.recordIndex).size(), 24u);
    EXPECT_EQ(nodeRecord(extents.node, extents.recordIndex)[9], 60);

    // Emptying the first leaf makes the second the first, with no bLink.
    for (std::uint32_t id = 1000; id < 1011; ++id)
        ASSERT_EQ(deleteTreeRecord(ctx, extents, extentsKey(kResourceFork, id, 0)), EditResult::Done);
    EXPECT_EQ(treeFirstLeaf(extents.header), second);
    EXPECT_EQ(nodeBLink(*loadNode(extents, second)), 0u);
    EXPECT_EQ(nodeInUse(extents, first), false);
    EXPECT_EQ(treeDepth(extents.header), 1);
    EXPECT_EQ(deleteTreeRecord(ctx, extents, extentsKey(kResourceFork, 1000, 0)), EditResult::NotFound);
    for (std::uint32_t id = 1029; id >= 1011; --id)
        ASSERT_EQ(deleteTreeRecord(ctx, extents, extentsKey(kResourceFork, id, 0)), EditResult::Done);
    ASSERT_EQ(deleteTreeRecord(ctx, extents, extentsKey(kDataFork, 5000, 3)), EditResult::Done);
    // addExtentRecord counted its record; whoever removes one counts it out.
    storeBE32(extents.header.data() + header::leafRecords, treeLeafRecords(extents.header) - 1);
    EXPECT_EQ(treeRootNode(extents.header), 0u);
    EXPECT_EQ(treeDepth(extents.header), 0);
    EXPECT_EQ(treeFirstLeaf(extents.header), 0u);
    ASSERT_TRUE(writeBack(ctx));
    EXPECT_EQ(fresh.volume.tool({"hls", "-R", ":"}), 0);
    EXPECT_EQ(testing::checkProblems(fresh.volume.image()), "");
}


TEST(WriteEngine, CatalogGrowsPastTheHeaderMapThroughMapNodes) {
    FreshVolume fresh(100 * 1024);
    HfsContext& ctx = fresh.ctx;
    TreeFile& catalog = ctx.catalogTree;
    ASSERT_EQ(nodeFLink(catalog.header), 0u);  // no map node yet
    const std::uint32_t size = ctx.mdb.catalogFileSize();
    const std::uint32_t nodes = treeTotalNodes(catalog.header);
    const std::uint16_t freeBlocks = ctx.mdb.freeBlocks();

    // Take every free node; the next one makes the catalog grow.
    std::vector<std::uint32_t> taken;
    while (treeFreeNodes(catalog.header) > 0) taken.push_back(*allocateCatalogNode(ctx));
    taken.push_back(*allocateCatalogNode(ctx));
    EXPECT_EQ(ctx.mdb.catalogFileSize(), 3 * size);
    EXPECT_EQ(treeTotalNodes(catalog.header), 3 * nodes);
    EXPECT_EQ(ctx.mdb.freeBlocks(), freeBlocks - 2 * size / ctx.geometry.allocBlockSize);
    EXPECT_EQ(countFreeBlocks(ctx), ctx.mdb.freeBlocks());
    const std::uint32_t mapNode = nodeFLink(catalog.header);
    ASSERT_NE(mapNode, 0u);
    EXPECT_EQ(nodeKind(*loadNode(catalog, mapNode)), kMapNode);
    EXPECT_EQ(nodeInUse(catalog, mapNode), true);

    // Nodes past 2048 are handed out and given back through the map node.
    while (taken.back() < 2100) taken.push_back(*allocateCatalogNode(ctx));
    EXPECT_EQ(nodeInUse(catalog, 2099), true);
    for (std::uint32_t node : taken) freeCatalogNode(ctx, node);
    EXPECT_EQ(nodeInUse(catalog, 2099), false);
    const auto problems = treeShapeProblems(catalog);
    ASSERT_TRUE(problems.empty()) << problems.front();
    ASSERT_NE(makeFolder(ctx, rootFolder(ctx), "After growth"), 0u);
    ASSERT_TRUE(writeBack(ctx));

    EXPECT_EQ(fresh.volume.lines({"hls", "-1a", ":"}), std::vector<std::string>{"After growth"});
    OpenedVolume again(fresh.volume.image());
    ASSERT_EQ(again.open(), CatalogOpen::Complete);
    EXPECT_EQ(treeTotalNodes(again.ctx.catalogTree.header), 3 * nodes);
    EXPECT_EQ(allocationMap(again.ctx.catalogTree)->size(), 2u);
    EXPECT_TRUE(treeShapeProblems(again.ctx.catalogTree).empty());
    EXPECT_EQ(testing::checkProblems(fresh.volume.image()), "");
}

TEST(WriteEngine, CatalogThatCannotGrowLeavesTheMediumAsItWas) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "full.img", 1440);
    OpenedVolume probe(volume.image());
    // Leave 30 free blocks at most: fewer than the 44 the catalog needs to grow.
    volume.addFile(":Filler", std::string((probe.ctx.mdb.freeBlocks() - 30u) * 512u, 'f'));
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    const FolderKeys root = rootFolder(ctx);

    std::vector<std::pair<std::string, std::uint32_t>> made;
    for (int i = 0;; ++i) {
        const std::string before = testing::read_all(volume.image());
        const std::string name = "Folder " + std::to_string(i);
        const std::uint32_t id = makeFolder(ctx, root, name);
        if (id == 0) {
            EXPECT_EQ(testing::read_all(volume.image()), before);
            break;
        }
        made.emplace_back(name, id);
        ASSERT_TRUE(writeBack(ctx));
    }
    EXPECT_TRUE(opened.host.showed("Error trying to extend catalog."));
    EXPECT_TRUE(ctx.outcome.failureReported);
    EXPECT_EQ(ctx.mdb.catalogFileSize(), 11264u);
    EXPECT_FALSE(ctx.volume.bitmapLoaded);

    // The program goes on: the next command works from the medium's state.
    ASSERT_TRUE(removeFolder(ctx, root, made.front().first, made.front().second));
    ASSERT_TRUE(writeBack(ctx));
    const auto problems = treeShapeProblems(ctx.catalogTree);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(volume.lines({"hls", "-1a", ":"}).size(), made.size());  // Filler in, the first folder out
    EXPECT_EQ(testing::checkProblems(volume.image()), "");
}

TEST(WriteEngine, CatalogGrowingIntoScatteredSpaceContinuesInTheExtentsTree) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "scattered.img", 1440);
    // Files of 12 blocks, every other one deleted: free space in runs of 12.
    for (int i = 0; i < 60; ++i) volume.addFile(":h" + std::to_string(i), std::string(12 * 512, char('a' + i % 26)));
    for (int i = 0; i < 60; i += 2) volume.remove(":h" + std::to_string(i));
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);

    std::vector<std::string> made;
    while (ctx.mdb.catalogFileSize() < 9 * 11264u) {
        made.push_back("Folder " + std::to_string(made.size()));
        ASSERT_NE(makeFolder(ctx, rootFolder(ctx), made.back()), 0u);
    }
    ASSERT_TRUE(writeBack(ctx));
    EXPECT_EQ(extentDescriptor(ctx.mdb.catalogExtents(), 2).blockCount != 0, true);
    EXPECT_NE(findExtentRecord(ctx, kCatalogFileID, static_cast<std::uint16_t>(
                                                        extentDescriptor(ctx.mdb.catalogExtents(), 0).blockCount +
                                                        extentDescriptor(ctx.mdb.catalogExtents(), 1).blockCount +
                                                        extentDescriptor(ctx.mdb.catalogExtents(), 2).blockCount),
                                kDataFork),
              nullptr);

    OpenedVolume again(volume.image());
    ASSERT_EQ(again.open(), CatalogOpen::Complete);
    EXPECT_TRUE(treeShapeProblems(again.ctx.catalogTree).empty());
    for (const std::string& name : made) EXPECT_TRUE(findEntry(again.ctx, name, kDirectoryEntry, kRootDirectoryID)) << name;
    EXPECT_EQ(volume.lines({"hls", "-1a", ":"}).size(), made.size() + 30);
    EXPECT_EQ(volume.tool({"hcopy", "-r", ":h31", dir / "h31"}), 0);
    EXPECT_EQ(testing::read_all(dir / "h31"), std::string(12 * 512, char('a' + 31 % 26)));
    EXPECT_EQ(testing::checkProblems(volume.image()), "");
}

struct RefusalCase {
    const char* name;
    const char* imageOptions;
    void (*prepare)(HfsContext& ctx);
    bool folderMade;  // the change itself goes through; the write-back fails
    const char* notice;
};

std::uint32_t catalogSector(HfsContext& ctx) {
    return ctx.geometry.firstAllocSector + extentDescriptor(ctx.mdb.catalogExtents(), 0).startBlock * ctx.geometry.sectorsPerBlock;
}

TEST(WriteEngine, ChangesThatCannotBeWrittenAreRefusedAndTheMediumKept) {
    const RefusalCase cases[] = {
        {"bitmap unreadable", ",bad=3", nullptr, false, "The volume bitmap could not be read: nothing was changed."},
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
            options = ",bad=" + std::to_string(catalogSector(probe.ctx) + 3);
        }
        const std::string before = testing::read_all(volume.image());
        OpenedVolume opened(volume.image() + options);
        HfsContext& ctx = opened.ctx;
        opened.open();
        if (c.prepare) c.prepare(ctx);
        const bool made = makeFolder(ctx, rootFolder(ctx), "Refused") != 0;
        EXPECT_EQ(made, c.folderMade);
        if (made) {
            EXPECT_FALSE(writeBack(ctx));
        }
        EXPECT_TRUE(opened.host.showed(c.notice));
        EXPECT_TRUE(ctx.outcome.failureReported);
        EXPECT_EQ(testing::read_all(volume.image()), before);
    }
}

TEST(WriteEngine, AlternateHeaderGoesToTheEndOfTheVolumesOwnPartition) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "parted.img", 1440);
    {
        // A partition of someone else's after the volume.
        std::ofstream(volume.image(), std::ios::binary | std::ios::app) << std::string(64 * 1024, '\xAA');
    }
    OpenedVolume opened(volume.image());
    HfsContext& ctx = opened.ctx;
    ctx.geometry.partitionStart = 0;
    ctx.geometry.partitionSectors = 2880;
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    ASSERT_NE(makeFolder(ctx, rootFolder(ctx), "Parted"), 0u);
    ASSERT_TRUE(writeBack(ctx));
    const std::array<std::uint8_t, 512> zeros{};
    EXPECT_FALSE(volumeDevice(ctx).write(2880, 1, zeros.data()));  // refused, never sent

    const std::string image = testing::read_all(volume.image());
    EXPECT_EQ(image.substr(2878 * 512, 512), image.substr(2 * 512, 512));
    EXPECT_EQ(image.substr(2880 * 512), std::string(64 * 1024, '\xAA'));
    EXPECT_EQ(volume.lines({"hls", "-1a", ":"}), std::vector<std::string>{"Parted"});
}

TEST(WriteEngine, RunsAreFirstFitFromBlock40AndForksMapToSectors) {
    FreshVolume fresh;
    HfsContext& ctx = fresh.ctx;
    ASSERT_TRUE(startModification(ctx));
    const std::uint16_t blocks = ctx.mdb.allocationBlocks();
    struct RunCase {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> freeRuns;  // all else in use
        std::uint16_t asked;
        BlockRun expected;
    };
    const RunCase cases[] = {
        {{{0, 100}}, 5, {40, 5}},                   // block 40 first, even with lower blocks free
        {{{40, 5}, {60, 30}}, 25, {60, 25}},         // a short run is passed over
        {{{40, 5}, {60, 12}, {100, 50}}, 25, {60, 12}},  // the first run of 10 or more, shorter than asked
        {{{40, 3}}, 3, {40, 3}},                     // a short run that satisfies the whole request
        {{{std::uint32_t(blocks - 20), 20}}, 30, kNoRun},  // would pass the last block
    };
    for (const RunCase& c : cases) {
        markBlocks(ctx, 0, blocks, true);
        for (const auto& [start, count] : c.freeRuns) markBlocks(ctx, start, count, false);
        const BlockRun run = allocateRun(ctx, c.asked);
        EXPECT_EQ(run.start, c.expected.start);
        EXPECT_EQ(run.count, c.expected.count);
    }
    EXPECT_TRUE(fresh.opened.host.showed("Not enough space on the volume."));
    discardChanges(ctx);

    // A fork of (100, 4), (300, 2) with 512-byte blocks.
    const std::array<std::uint8_t, 12> record{0, 100, 0, 4, 1, 44, 0, 2, 0, 0, 0, 0};
    const std::uint32_t first = ctx.geometry.firstAllocSector;
    EXPECT_EQ(physicalSector(ctx, 0, record, 5000), first + 100);
    EXPECT_EQ(physicalSector(ctx, 3, record, 5000), first + 103);
    EXPECT_EQ(physicalSector(ctx, 4, record, 5000), first + 300);
    EXPECT_EQ(physicalSector(ctx, 6, record, 5000), 0u);
    // An extent past the volume's last block maps nothing.
    const std::array<std::uint8_t, 12> outside{0, 1, 0, 2, 0xFF, 0xF0, 0, 4, 0, 0, 0, 0};
    EXPECT_EQ(physicalSector(ctx, 1, outside, 5000), first + 2);
    EXPECT_EQ(physicalSector(ctx, 2, outside, 5000), 0u);
}

// Allocation blocks in use before the change, outside the catalog and
// extents files, whose bytes differ after it: the files' forks must not move.
std::uint32_t changedBlocksOutsideTheTrees(const std::string& before, const std::string& after) {
    MdbImage header;
    std::copy_n(before.begin() + 1024, 512, header.bytes.begin());
    const std::uint32_t blockSize = header.allocationBlockSize();
    const std::size_t first = std::size_t{header.firstAllocationSector()} * 512;
    std::vector<bool> tree(header.allocationBlocks());
    for (const auto record : {header.catalogExtents(), header.extentsExtents()})
        for (int i = 0; i < 3; ++i)
            for (std::uint32_t b = 0; b < extentDescriptor(record, i).blockCount; ++b) tree[extentDescriptor(record, i).startBlock + b] = true;
    std::uint32_t changed = 0;
    for (std::uint32_t b = 0; b < header.allocationBlocks(); ++b) {
        const bool used = (static_cast<std::uint8_t>(before[header.bitmapStart() * 512 + b / 8]) & (0x80 >> (b % 8))) != 0;
        const std::size_t at = first + std::size_t{b} * blockSize;
        if (used && !tree[b] && before.compare(at, blockSize, after, at, blockSize) != 0) ++changed;
    }
    return changed;
}

// Volumes that Mac OS and other software made: folders added and removed,
// then read back by hfsutils (where it can read the volume) and by Korvane.
TEST(WriteEngine, CorpusVolumesTakeFoldersAndKeepTheirFiles) {
    struct CorpusCase {
        const char* image;
        bool hfsutilsReads;
    };
    const CorpusCase cases[] = {{"macos1995-floppy1440-19docs.img", true},
                                {"linuxkernel-floppy1440-dirty-1file.img", true},
                                {"macos-blank800k.dsk", true},
                                {"macos-blank400k.dsk", false}};
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.image);
        ScratchDir dir;
        const std::string image = testing::corpusCopy(dir, c.image);
        if (image.empty()) GTEST_SKIP() << "corpus not present";
        const auto hls = [&] {
            std::vector<std::string> lines;
            if (testing::runProgram(dir.path(), {"hmount", image}) != 0) return lines;
            std::string out;
            testing::runProgram(dir.path(), {"hls", "-1a", ":"}, &out);
            std::istringstream in(out);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            return lines;
        };
        const std::vector<std::string> before = c.hfsutilsReads ? hls() : std::vector<std::string>{};
        std::filesystem::copy_file(image, dir / "pristine.img");

        OpenedVolume opened(image);
        HfsContext& ctx = opened.ctx;
        ASSERT_EQ(opened.open(), CatalogOpen::Complete);
        const FolderKeys root = rootFolder(ctx);
        std::vector<std::pair<std::string, std::uint32_t>> made;
        for (int i = 0; i < 120; ++i) {
            const std::string name = "Neu \xA7" + std::to_string(i * 7919 % 1000);
            made.emplace_back(name, makeFolder(ctx, root, name));
            ASSERT_NE(made.back().second, 0u) << name;
        }
        for (int i = 0; i < 120; i += 2) ASSERT_TRUE(removeFolder(ctx, root, made[i].first, made[i].second));
        ASSERT_TRUE(writeBack(ctx));
        const auto problems = treeShapeProblems(ctx.catalogTree);
        ASSERT_TRUE(problems.empty()) << problems.front();

        EXPECT_EQ(changedBlocksOutsideTheTrees(testing::read_all(dir / "pristine.img"), testing::read_all(image)), 0u);
        OpenedVolume again(image);
        ASSERT_EQ(again.open(), CatalogOpen::Complete);
        for (int i = 1; i < 120; i += 2) EXPECT_TRUE(findEntry(again.ctx, made[i].first, kDirectoryEntry, kRootDirectoryID));
        EXPECT_EQ(testing::checkProblems(image), "") << image;
        if (!c.hfsutilsReads) continue;
        std::multiset<std::string> expected(before.begin(), before.end());
        for (int i = 1; i < 120; i += 2) expected.insert(made[i].first);
        const auto after = hls();
        EXPECT_EQ(std::multiset<std::string>(after.begin(), after.end()), expected);
        EXPECT_EQ(testing::runProgram(dir.path(), {"hls", "-R", ":"}), 0);
    }
}

}  // namespace
}  // namespace korvane
