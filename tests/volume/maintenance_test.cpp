// The maintenance commands. Formatting: the layout of a new medium byte for
// byte, and new volumes read back by hfsutils and checked by Korvane. Verify
// on media with bad blocks, the catalog leaf test of the rescue, and a
// rescue from a volume whose header, catalog header and index are wiped.

#include <unistd.h>

#include <deque>
#include <map>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "hfs/btree_node.h"
#include "hfs/catalog_records.h"
#include "hfs/mdb_image.h"
#include "tests/hfs/check_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "tests/transfer/copy_fixture.h"
#include "transfer/transfer_context.h"
#include "util/byte_order.h"
#include "volume/desktop_files.h"
#include "volume/discovery.h"
#include "volume/format_layout.h"
#include "volume/format_medium.h"
#include "volume/partition_map.h"
#include "volume/rescue_node.h"
#include "volume/rescue_scan.h"
#include "volume/verify_medium.h"

namespace korvane {
namespace {

using testing::ScratchDir;

const SectorImage& at(const std::vector<SectorImage>& sectors, std::uint32_t sector) {
    for (const SectorImage& image : sectors) {
        if (image.sector == sector) return image;
    }
    static const SectorImage none{};
    ADD_FAILURE() << "no sector " << sector;
    return none;
}

std::uint16_t be16(const SectorBytes& b, std::size_t at) { return load_be16(b.data() + at); }
std::uint32_t be32(const SectorBytes& b, std::size_t at) { return load_be32(b.data() + at); }

struct LayoutCase {
    std::uint32_t capacity;
    std::uint32_t c;
    std::uint32_t bitmapSectors;
    std::uint16_t allocation_blocks;
    std::uint32_t mapNodes;
};

TEST(FormatLayout, TheEdgeCasesOfTheMediumSizeHoldByteForByte) {
    for (const LayoutCase& test : {LayoutCase{86700, 2, 11, 43142, 0}, LayoutCase{524288, 9, 15, 58207, 1},
                                   LayoutCase{4194303, 65, 16, 64521, 4}}) {
        SCOPED_TRACE(test.capacity);
        const auto params = format_parameters(test.capacity);
        ASSERT_TRUE(params);
        EXPECT_EQ(params->sectorsPerBlock, test.c);
        EXPECT_EQ(params->block_size, 512 * test.c);
        EXPECT_EQ(params->bitmapSectors, test.bitmapSectors);
        const std::uint32_t now = 0xB0000000;
        const auto sectors = volume_structures(*params, FormatStyle::Partitioned, "Disk", now);
        const SectorBytes& mdb = at(sectors, 387).bytes;
        EXPECT_EQ(at(sectors, test.capacity - 2).bytes, mdb) << "the alternate header";
        EXPECT_EQ(be16(mdb, mdb::drSigWord), 0x4244);
        EXPECT_EQ(be32(mdb, mdb::drCrDate), now);
        EXPECT_EQ(be32(mdb, mdb::drLsMod), now + 1);
        EXPECT_EQ(be32(mdb, mdb::drVolBkUp), now + 2);
        EXPECT_EQ(be16(mdb, mdb::drAtrb), 0x0100) << "unmounted cleanly";
        EXPECT_EQ(be16(mdb, mdb::drVBMSt), 3);
        EXPECT_EQ(be16(mdb, mdb::drNmAlBlks), test.allocation_blocks);
        EXPECT_EQ(be32(mdb, mdb::drAlBlkSiz), 512 * test.c);
        EXPECT_EQ(be32(mdb, mdb::drClpSiz), 4 * 512 * test.c);
        EXPECT_EQ(be16(mdb, mdb::drAlBlSt), test.bitmapSectors + 3);
        EXPECT_EQ(be32(mdb, mdb::drNxtCNID), 17u);
        EXPECT_EQ(be16(mdb, mdb::drFreeBks), test.allocation_blocks - 512);
        EXPECT_EQ(std::string(mdb.begin() + mdb::drVN, mdb.begin() + mdb::drVN + 5), "\004Disk");
        for (std::size_t field : {mdb::drXTClpSiz, mdb::drCTClpSiz, mdb::drXTFlSize, mdb::drCTFlSize})
            EXPECT_EQ(be32(mdb, field), 256 * 512 * test.c);
        EXPECT_EQ(be32(mdb, mdb::drXTExtRec), 256u) << "start 0, 256 blocks";
        EXPECT_EQ(be32(mdb, mdb::drCTExtRec), (256u << 16) | 256u);

        const SectorBytes& bitmap = at(sectors, 388).bytes;
        EXPECT_EQ(std::count(bitmap.begin(), bitmap.end(), 0xFF), 64);
        EXPECT_EQ(bitmap[63], 0xFF);

        // Both trees: header, map nodes covering every node, the catalog's root leaf.
        const std::uint32_t extents = 388 + test.bitmapSectors;
        const std::uint32_t catalog = extents + 256 * test.c;
        for (const auto& [first, fixed, maxKey] : {std::tuple{extents, 1u, 7}, std::tuple{catalog, 2u, 37}}) {
            const SectorBytes& header = at(sectors, first).bytes;
            EXPECT_EQ(header[8], 1);
            EXPECT_EQ(be16(header, 10), 3);
            EXPECT_EQ(be16(header, header::nodeSize), 512);
            EXPECT_EQ(be16(header, header::maxKeyLength), maxKey);
            EXPECT_EQ(be32(header, header::total_nodes), 256 * test.c);
            EXPECT_EQ(be32(header, header::freeNodes), 256 * test.c - fixed - test.mapNodes);
            EXPECT_EQ(be32(header, 0), test.mapNodes ? fixed : 0) << "the first map node";
            EXPECT_EQ(be16(header, 504), 0x01F8);
            EXPECT_EQ(be16(header, 506), 0x00F8);
            EXPECT_EQ(be16(header, 508), 0x0078);
            EXPECT_EQ(be16(header, 510), 0x000E);
            // The bits of the nodes in use, and nothing else.
            const std::uint32_t used = fixed + test.mapNodes;
            for (std::uint32_t n = 0; n < 16; ++n)
                EXPECT_EQ((header[248 + n / 8] >> (7 - n % 8)) & 1, n < used ? 1 : 0) << n;
            std::uint32_t mapped = 2048;
            for (std::uint32_t i = 0; i < test.mapNodes; ++i) {
                const SectorBytes& map = at(sectors, first + fixed + i).bytes;
                EXPECT_EQ(map[8], 2);
                EXPECT_EQ(be32(map, 0), i + 1 < test.mapNodes ? fixed + i + 1 : 0);
                EXPECT_EQ(be16(map, 510), 14);
                mapped += (be16(map, 508) - be16(map, 510)) * 8u;
            }
            EXPECT_GE(mapped, 256 * test.c);
        }
        const SectorBytes& leaf = at(sectors, catalog + 1).bytes;
        EXPECT_EQ(leaf[8], 0xFF);
        EXPECT_EQ(leaf[9], 1);
        EXPECT_EQ(be16(leaf, 10), 2);
        // Folder key "Disk" (10 + 1 bytes, padded to 12), its 70-byte record,
        // then the thread key (8 bytes) and its 46-byte record.
        EXPECT_EQ(be16(leaf, 510), 14);
        EXPECT_EQ(be16(leaf, 508), 14 + 12 + 70);
        EXPECT_EQ(be16(leaf, 506), 14 + 12 + 70 + 8 + 46);
        EXPECT_EQ(leaf[14], 10);
        EXPECT_EQ(be32(leaf, 16), 1u);
        const std::size_t folder = 14 + 12;
        EXPECT_EQ(leaf[folder], 1);
        EXPECT_EQ(be32(leaf, folder + 6), 2u);
        for (const auto& [offset, value] :
             {std::pair{22, 80}, {24, 48}, {26, 272}, {28, 480}, {30, 0x0100}, {32, 112}, {34, 584}, {36, 0x0100}})
            EXPECT_EQ(be16(leaf, folder + offset), value) << offset;
        const std::size_t thread = folder + 70;
        EXPECT_EQ(leaf[thread], 7);
        EXPECT_EQ(be32(leaf, thread + 2), 2u);
        EXPECT_EQ(leaf[thread + 8], 3);
        EXPECT_EQ(be32(leaf, thread + 8 + 10), 1u);
        EXPECT_EQ(std::string(leaf.begin() + thread + 22, leaf.begin() + thread + 27), "\004Disk");
    }
}

TEST(FormatLayout, ThePartitionMapAndTheDriverImage) {
    const auto params = format_parameters(86700);
    ASSERT_TRUE(params);
    const auto map = partition_map_sectors(*params);
    ASSERT_EQ(map.size(), 4u);
    const SectorBytes& ddm = map[0].bytes;
    EXPECT_EQ(std::string(ddm.begin(), ddm.begin() + 2), "ER");
    EXPECT_EQ(be16(ddm, ddm::sbBlkSize), 512);
    EXPECT_EQ(be32(ddm, ddm::sbBlkCount), 86700u);
    EXPECT_EQ(be16(ddm, ddm::sbDrvrCount), 1);
    EXPECT_EQ(be32(ddm, ddm::ddBlock), 129u);
    EXPECT_EQ(be16(ddm, ddm::ddSize), 13);
    EXPECT_EQ(be16(ddm, ddm::ddType), 1);
    struct Entry {
        std::uint32_t start, count;
        const char* name;
        const char* type;
        std::uint32_t status, checksum;
    };
    const Entry entries[] = {{1, 128, "Apple", "Apple_partition_map", 0x37, 0},
                             {129, 256, "Macintosh", "Apple_Driver43", 0x7F, 0xFFFF},
                             {385, 86700 - 385, "MacOS", "Apple_HFS", 0x37, 0}};
    for (int i = 0; i < 3; ++i) {
        const SectorBytes& e = map[i + 1].bytes;
        EXPECT_EQ(map[i + 1].sector, std::uint32_t(i + 1));
        EXPECT_EQ(std::string(e.begin(), e.begin() + 2), "PM");
        EXPECT_EQ(be32(e, pm::pmMapBlkCnt), 3u);
        EXPECT_EQ(be32(e, pm::pmPyPartStart), entries[i].start);
        EXPECT_EQ(be32(e, pm::pmPartBlkCnt), entries[i].count);
        EXPECT_EQ(be32(e, pm::pmDataCnt), entries[i].count);
        EXPECT_STREQ(reinterpret_cast<const char*>(e.data() + pm::pmPartName), entries[i].name);
        EXPECT_STREQ(reinterpret_cast<const char*>(e.data() + pm::pmParType), entries[i].type);
        EXPECT_EQ(be32(e, pm::pmPartStatus), entries[i].status);
        EXPECT_EQ(be32(e, pm::pmBootCksum), entries[i].checksum);
    }
    const auto driver = driver_image(*params);
    ASSERT_EQ(driver.size(), 81u * 512);
    EXPECT_EQ(load_be32(driver.data() + 24), 86700u);
    EXPECT_EQ(std::count(driver.begin(), driver.end(), 0), static_cast<long>(driver.size()) - 3) << "zeros besides";
    EXPECT_FALSE(format_parameters(1400)) << "too small for both tree files";
    EXPECT_TRUE(format_parameters(1073659904));
    EXPECT_FALSE(format_parameters(1073659904 + 1));
    EXPECT_FALSE(format_parameters(0xFFFFFFFF)) << "tree files beyond the length of a fork";
}

TEST(FormatLayout, TheDesktopFilesHoldTheirResources) {
    const auto files = desktop_files(1024);
    ASSERT_EQ(files.size(), 4u);  // hls and hcopy read them in NewVolumesAreReadByHfsutilsAndCheckClean
    EXPECT_EQ(files[2].contents, std::vector<std::uint8_t>(512, 0));
    // "Desktop": one 'STR ' 0 holding "Finder 1.0" at the start of the data.
    const auto& desktop = files[0].contents;
    EXPECT_EQ(std::string(desktop.begin() + 256 + 4, desktop.begin() + 256 + 15), "\012Finder 1.0");
    const std::uint32_t map = load_be32(desktop.data() + 4);
    EXPECT_EQ(std::string(desktop.begin() + map + 30, desktop.begin() + map + 34), "STR ");
    // "Icon": six types, each one resource of id -16455.
    const auto& icon = files[3].contents;
    const std::uint32_t iconMap = load_be32(icon.data() + 4);
    EXPECT_EQ(load_be16(icon.data() + iconMap + 28), 5) << "six types";
    const std::uint32_t references = iconMap + 28 + 2 + 6 * 8;
    EXPECT_EQ(static_cast<std::int16_t>(load_be16(icon.data() + references)), -16455);
}

// --- whole media ----------------------------------------------------------------

struct FormattedMedium {
    ScratchDir dir;
    std::string image;
    testing::ScriptedHost host;
    TransferContext ctx{host};

    FormattedMedium(std::uint32_t capacity, FormatStyle style, const std::string& name) : image(dir / "disk.img") {
        // C is the last-block address: the medium has C + 1 sectors.
        testing::zero_file(image, (std::uint64_t{capacity} + 1) * 512);
        testing::select_single_image(ctx, image);
        const auto params = format_parameters(capacity);
        EXPECT_TRUE(params);
        written = params && write_volume(ctx, *params, style, name);
    }
    std::string bytes(std::uint32_t sector, std::size_t count) const {
        std::ifstream in(image, std::ios::binary);
        in.seekg(std::streamoff(sector) * 512);
        std::string out(count, '\0');
        in.read(out.data(), static_cast<std::streamsize>(count));
        return out;
    }
    bool written = false;
};

struct MediumCase {
    std::uint32_t capacity;
    FormatStyle style;
    std::string name;
    std::string expectedName;
};

TEST(FormatMedium, NewVolumesAreReadByHfsutilsAndCheckClean) {
    const std::string longName(26, 'N');
    for (const MediumCase& test : {MediumCase{86700, FormatStyle::Partitioned, "Korvane Disk", "Korvane Disk"},
                                   MediumCase{524288, FormatStyle::Partitioned, longName, longName},
                                   MediumCase{86700, FormatStyle::Bare, "", "Untitled"},
                                   // Beyond the reach of six-byte commands (2^21 sectors).
                                   MediumCase{2100000, FormatStyle::Partitioned, "Large", "Large"}}) {
        SCOPED_TRACE(test.expectedName);
        FormattedMedium medium(test.capacity, test.style, test.name);
        ASSERT_TRUE(medium.written) << (medium.host.notices.empty() ? "" : medium.host.notices.back());
        const bool bare = test.style == FormatStyle::Bare;
        const std::uint32_t start = bare ? 0 : 385;
        // The new volume is open.
        EXPECT_EQ(medium.ctx.state.volume_start, static_cast<std::int32_t>(medium.ctx.geometry.firstAllocSector));
        const std::string mdb = medium.bytes(start + 2, 512);
        EXPECT_EQ(medium.bytes(test.capacity - (bare ? 1 : 2), 512), mdb) << "the alternate header is written back too";
        EXPECT_EQ(load_be16(reinterpret_cast<const std::uint8_t*>(mdb.data()) + mdb::drAtrb), 0x0100);
        EXPECT_EQ(medium.bytes(0, 2), bare ? std::string(2, '\0') : "ER");
        if (!bare) {
            const std::string driver = medium.bytes(129, 81 * 512);
            EXPECT_EQ(load_be32(reinterpret_cast<const std::uint8_t*>(driver.data()) + 24), test.capacity);
        }
        EXPECT_EQ(testing::check_problems(medium.image, start), "");

        // hfsutils reads the volume back.
        testing::ScratchDir home;
        ASSERT_EQ(testing::run_program(home.path(), {"hmount", medium.image}), 0);
        std::string listing, volume;
        testing::run_program(home.path(), {"hls", "-la"}, &listing);
        testing::run_program(home.path(), {"hvol"}, &volume);
        EXPECT_NE(volume.find("Volume name is \"" + test.expectedName + "\""), std::string::npos) << volume;
        for (const char* line : {"FNDR/ERIK       321         0", "BTFL/DMGR         0       512",
                                 "DTFL/DMGR         0       512", "/          2670         0"})
            EXPECT_NE(listing.find(line), std::string::npos) << line << "\n" << listing;
        ASSERT_EQ(testing::run_program(home.path(), {"hcopy", "-r", ":Desktop DB", home / "db"}), 0);
        const SectorBytes header = empty_tree_header(8 * 512 * format_parameters(test.capacity)->sectorsPerBlock, 37);
        EXPECT_EQ(testing::read_all(home / "db"), std::string(header.begin(), header.end()));
        testing::run_program(home.path(), {"humount"});
    }
}

// A format that cannot complete says so. With the undo journal, what it
// wrote is put back and the volume that was there is open again; without,
// no volume is open on the half-written medium.
TEST(FormatMedium, AFormatThatCannotCompleteIsToldAndPutBackFromTheJournal) {
    struct StopCase {
        const char* name;
        bool journal;
        const char* imageOption;
        std::deque<bool> escapes;
        const char* told;
        bool oldVolumeBack;
    };
    const std::vector<StopCase> cases = {
            {"a write fails, no journal",
             false,
             ",bad=86697",
             {},
             "The medium could not be written at sector 86697. The format did not complete: the medium holds no "
             "usable volume.",
             false},
            // The journal cannot keep what a sector held: nothing is written.
            {"a sector cannot be read",
             true,
             ",bad=86697",
             {},
             "(from sector 86697 on) cannot all be read, so what they hold cannot be kept for undoing. The change was "
             "refused and the medium is as it was. Start Korvane with --no-journal to format this medium without an "
             "undo journal.",
             true},
            {"stopped by Esc after the first write",
             true,
             "",
             {false, true},
             "The format was stopped. The format did not complete: the medium is as it was before it.",
             true},
    };
    for (const StopCase& test : cases) {
        SCOPED_TRACE(test.name);
        ScratchDir dir;
        testing::HfsutilsVolume old(dir, "disk.img", 43350, "Old");
        old.unmount();
        const std::string before = testing::read_all(old.image());
        testing::ScriptedHost host;
        TransferContext ctx{host};
        ctx.journal.enabled = test.journal;
        testing::select_single_image(ctx, old.image() + test.imageOption);
        ASSERT_GT(analyze_volume(ctx), 0);
        const std::int32_t oldStart = ctx.state.volume_start;
        host.escapes = test.escapes;
        EXPECT_FALSE(write_volume(ctx, *format_parameters(86699), FormatStyle::Partitioned, "Disk"));
        EXPECT_TRUE(host.showed(test.told)) << (host.notices.empty() ? "" : host.notices.back());
        EXPECT_TRUE(ctx.outcome.failureReported);
        if (test.oldVolumeBack) {
            EXPECT_EQ(testing::read_all(old.image()), before);
            EXPECT_EQ(ctx.state.volume_start, oldStart);
            EXPECT_EQ(ctx.mdb.volume_name(), "Old");
            // Nothing is left in the journal for the next opening to offer for rolling back.
            host.questions.clear();
            EXPECT_GT(analyze_volume(ctx), 0);
            EXPECT_TRUE(host.questions.empty()) << host.questions.front();
        } else {
            EXPECT_EQ(ctx.state.volume_start, 0);
        }
    }
}

struct VerifyCase {
    std::uint64_t sectors;
    std::string bad;
    std::vector<Choice> answers;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> errors;
    bool ended;
    std::vector<bool> escapes = {};
};

TEST(Verify, BlocksOf4096SectorsFromSectorOneAskOnEachErrorAndEscStops) {
    const std::vector<VerifyCase> cases{
            {10001, "", {}, {}, false},
            {10001, ",bad=5000", {Choice::Yes}, {{4097, 4096}}, false},
            {10001, ",bad=5000,bad=9000", {Choice::No}, {{4097, 4096}}, true},
            {10001, ",bad=10000", {Choice::Yes}, {{8193, 1808}}, false},
            {10001, ",bad=0", {}, {}, false},                      // sector 0 is not verified
            {101, ",bad=50", {Choice::Cancel}, {{1, 100}}, true},  // smaller than one block
            {10001, ",bad=4096", {Choice::Yes}, {{1, 4096}}, true, {false, true}},
    };
    for (const VerifyCase& test : cases) {
        SCOPED_TRACE(test.bad + " of " + std::to_string(test.sectors));
        ScratchDir dir;
        testing::ScriptedHost host;
        DeviceContext ctx{host};
        testing::select_single_image(ctx, testing::zero_file(dir / "disk.img", test.sectors * 512) + test.bad);
        host.choices.assign(test.answers.begin(), test.answers.end());
        host.escapes.assign(test.escapes.begin(), test.escapes.end());
        const VerifyResult result = verify_medium(ctx);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> errors;
        for (const VerifiedBlock& block : result.errors) errors.emplace_back(block.first, block.count);
        EXPECT_EQ(errors, test.errors);
        EXPECT_EQ(result.ended, test.ended);
        ASSERT_EQ(host.questions.size(), test.errors.size());
        for (std::size_t k = 0; k < errors.size(); ++k)
            EXPECT_EQ(host.questions[k], "Error in block of " + std::to_string(errors[k].second) +
                                                 " sectors beginning at " + std::to_string(errors[k].first) +
                                                 ". Do you want to continue?");
    }
}

// --- the leaf test ------------------------------------------------------------------

struct LeafRecord {
    std::uint8_t kind;
    std::uint32_t parent;
    std::string name;
    std::uint8_t keyLength = 0;  // 0: as the name asks
};

NodeBuffer leaf_node(const std::vector<LeafRecord>& records) {
    NodeBuffer node{};
    node[8] = 0xFF;
    node[9] = 1;
    store_be16(node.data() + 10, static_cast<std::uint16_t>(records.size()));
    std::size_t at = kNodeDescriptorSize;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const LeafRecord& r = records[k];
        store_be16(node.data() + kNodeSize - 2 * (k + 1), static_cast<std::uint16_t>(at));
        node[at] = r.keyLength ? r.keyLength : static_cast<std::uint8_t>(6 + r.name.size());
        store_be32(node.data() + at + 2, r.parent);
        node[at + 6] = static_cast<std::uint8_t>(r.name.size());
        std::copy(r.name.begin(), r.name.end(), node.begin() + static_cast<long>(at) + 7);
        at += (6 + r.name.size() + 2) & ~std::size_t{1};
        node[at] = r.kind;
        at += r.kind == kFileRecord        ? kFileRecordSize
              : r.kind == kDirectoryRecord ? kDirectoryRecordSize
                                           : kThreadRecordSize;
    }
    store_be16(node.data() + kNodeSize - 2 * (records.size() + 1), static_cast<std::uint16_t>(at));
    return node;
}

TEST(RescueNode, LeavesAreKnownByTheShapeOfEveryRecord) {
    struct Case {
        const char* what;
        NodeBuffer node;
        bool leaf;
        std::size_t files;
    };
    const std::vector<LeafRecord> threads(6, LeafRecord{kDirectoryThreadRecord, 20, ""});
    NodeBuffer descending = leaf_node({{kFileRecord, 2, "a"}, {kFileRecord, 2, "b"}});
    store_be16(descending.data() + 508, 12);
    NodeBuffer beyond = leaf_node({{kFileRecord, 2, "a"}});
    store_be16(beyond.data() + 508, 510);
    NodeBuffer index = leaf_node({{kFileRecord, 2, "a"}});
    index[8] = 0;
    const std::vector<Case> cases{
            {"a folder and two files",
             leaf_node({{kDirectoryRecord, 1, "Disk"}, {kFileRecord, 2, "Read Me"}, {kFileRecord, 2, "x"}}), true, 2},
            {"six threads, as a leaf of short records holds", leaf_node(threads), true, 0},
            {"four files and four threads",
             leaf_node({{kFileRecord, 2, "f1"},
                        {kFileRecord, 2, "f2"},
                        {kFileThreadRecord, 30, ""},
                        {kFileThreadRecord, 31, ""}}),
             true, 2},
            {"a record kind of 5", leaf_node({{kFileRecord, 2, "a"}, {5, 2, "b"}}), false, 0},
            {"a key too long", leaf_node({{kFileRecord, 2, "a", 40}}), false, 0},
            {"a file without a name", leaf_node({{kFileRecord, 2, ""}}), false, 0},
            {"offsets descending", descending, false, 0},
            {"free space inside the offset table", beyond, false, 0},
            {"an index node", index, false, 0},
            {"zeros", NodeBuffer{}, false, 0},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(is_catalog_leaf(test.node), test.leaf) << test.what;
        EXPECT_EQ(leaf_file_records(test.node).size(), test.files) << test.what;
    }
    const auto files = leaf_file_records(cases[0].node);
    EXPECT_EQ(files[0].mac_name, "Read Me");
    EXPECT_EQ(files[0].parentID, 2u);
}

// --- rescue end to end -----------------------------------------------------------------

// Wipes the volume header, the catalog's header node and every index node
// of a bare volume (hformat without a partition), as a failing drive or a
// stray write might; returns how many index nodes there were.
int wipe_header_and_catalog_index(const std::string& image) {
    std::string bytes = testing::read_all(image);
    const auto* m = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 1024;
    const std::uint32_t sectorsPerBlock = load_be32(m + 0x14) / 512;
    const std::uint32_t catalogStart = load_be16(m + 0x1C) + load_be16(m + 0x96) * sectorsPerBlock;
    const std::uint32_t catalogSectors = load_be16(m + 0x98) * sectorsPerBlock;
    const auto zero = [&bytes](std::size_t sector) { bytes.replace(sector * 512, 512, 512, '\0'); };
    int indexNodes = 0;
    for (std::size_t n = catalogStart + 1; n < catalogStart + catalogSectors; ++n) {
        if (bytes[n * 512 + 8] == 0 && bytes[n * 512 + 9] != 0) {
            zero(n);
            ++indexNodes;
        }
    }
    zero(catalogStart);
    zero(2);
    std::ofstream(image, std::ios::binary) << bytes;
    return indexNodes;
}

TEST(Rescue, GivesBackEveryFileOfAVolumeWhoseHeaderAndCatalogIndexAreWiped) {
    ScratchDir dir;
    testing::HfsutilsVolume volume(dir, "rescue.img", 4096);
    volume.add_folder(":Letters");
    volume.add_folder(":Photos");
    std::map<std::string, std::string> expected;  // contents -> Macintosh name
    std::vector<std::pair<std::string, std::string>> letters, photos;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "Letter " + std::to_string(i);
        const std::string contents = name + " " + std::string(static_cast<std::size_t>(i * 97), char('a' + i % 26));
        letters.emplace_back(name, contents);
        expected[contents] = name;
        photos.emplace_back("Photo " + std::to_string(i), "photo " + std::to_string(i) + std::string(3000u + i, 'p'));
        expected[photos.back().second] = photos.back().first;
    }
    volume.add_files(":Letters:", letters);
    volume.add_files(":Photos:", photos);
    // The same name in two folders, names that would leave a PC directory,
    // and a file of a resource fork only.
    for (const auto& [path, contents] :
         std::vector<std::pair<std::string, std::string>>{{":Letters:Same", "same in Letters"},
                                                          {":Photos:Same", "same in Photos"},
                                                          {":Photos:..", "dot dot"},
                                                          {":Photos:a/b", "with a slash"}}) {
        volume.addFile(path, contents);
        expected[contents] = path.substr(path.rfind(':') + 1);
    }
    volume.add_forked_file(":Letters:", "Fonts", "FFIL", "DMOV", "", "resource fork only");
    expected["resource fork only"] = "Fonts";
    volume.unmount();
    ASSERT_GT(wipe_header_and_catalog_index(volume.image()), 0) << "the catalog has an index to wipe";

    testing::PcDestination destination;
    testing::ScriptedHost host;
    TransferContext ctx{host};
    testing::select_single_image(ctx, volume.image());
    RescueProgress progress;
    int shown = 0;
    progress.changed = [&](const RescueProgress&) { ++shown; };
    const RescueResult result = rescue_scan(ctx, progress);
    EXPECT_FALSE(result.noGeometry);
    EXPECT_EQ(result.files, expected.size());
    EXPECT_GT(shown, 0);
    EXPECT_EQ(progress.files, expected.size());

    std::map<std::string, std::string> rescued;  // contents -> PC name
    for (const auto& entry : std::filesystem::directory_iterator(destination.path())) {
        ASSERT_TRUE(entry.is_regular_file()) << entry.path();
        rescued[testing::read_all(entry.path())] = entry.path().filename();
    }
    for (const auto& [contents, name] : expected)
        EXPECT_TRUE(rescued.contains(contents)) << name << " was not given back whole";
    EXPECT_EQ(rescued.size(), expected.size());
    // Dated from the record's modification date, a Macintosh wall-clock time.
    testing::expect_mac_date(destination / rescued["resource fork only"], 0xB6F0A410);
    EXPECT_EQ(rescued["same in Letters"].substr(0, 4), "Same");
    EXPECT_EQ(rescued["same in Photos"].substr(0, 4), "Same");
    EXPECT_NE(rescued["same in Letters"], rescued["same in Photos"]) << "neither overwrote the other";
    // Nothing was written beside the destination.
    std::size_t outside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(destination.outside("")))
        outside += entry.path().filename() != "dest";
    EXPECT_EQ(outside, 0u);
}

TEST(Rescue, AMediumWithoutCatalogNodesGivesNothingAndUnreadableSectorsAreSkipped) {
    ScratchDir dir;
    testing::PcDestination destination;
    testing::ScriptedHost host;
    TransferContext ctx{host};
    testing::select_single_image(ctx, testing::zero_file(dir / "disk.img", 300 * 512) + ",bad=70-75");
    RescueProgress progress;
    const RescueResult result = rescue_scan(ctx, progress);
    EXPECT_EQ(result.files, 0u);
    EXPECT_EQ(result.unreadable, 6u);
    EXPECT_EQ(progress.sector, 299u);
    EXPECT_TRUE(std::filesystem::is_empty(destination.path()));
}

}  // namespace
}  // namespace korvane
