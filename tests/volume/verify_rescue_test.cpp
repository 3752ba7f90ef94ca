// Verify on media with bad blocks, the catalog leaf test of the rescue, and
// a rescue from a volume whose header, catalog header and index are wiped.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <map>

#include "hfs/btree_node.h"
#include "hfs/catalog_records.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "tests/transfer/copy_fixture.h"
#include "transfer/transfer_context.h"
#include "util/byte_order.h"
#include "volume/rescue_node.h"
#include "volume/rescue_scan.h"
#include "volume/verify_medium.h"

namespace korvane {
namespace {

using testing::ScratchDir;

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
