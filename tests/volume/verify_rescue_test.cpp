// Verify on media with bad blocks, the catalog leaf test of the rescue, and
// a rescue from a volume whose header, catalog header and index are wiped.

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "hfs/btree_node.h"
#include "hfs/catalog_records.h"
#include "hfs/mac_date.h"
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

std::string empty_image(const ScratchDir& dir, std::uint64_t sectors) {
    const std::string image = dir / "disk.img";
    std::ofstream(image).close();
    std::filesystem::resize_file(image, sectors * 512);
    return image;
}

struct VerifyCase {
    std::uint64_t sectors;
    std::string bad;
    std::vector<Choice> answers;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> errors;
    bool ended;
};

TEST(Verify, BlocksOf4096SectorsFromSectorOneAskOnEachError) {
    const std::vector<VerifyCase> cases{
            {10001, "", {}, {}, false},
            {10001, ",bad=5000", {Choice::Yes}, {{4097, 4096}}, false},
            {10001, ",bad=5000,bad=9000", {Choice::No}, {{4097, 4096}}, true},
            {10001, ",bad=10000", {Choice::Yes}, {{8193, 1808}}, false},
            {10001, ",bad=0", {}, {}, false},  // sector 0 is not verified
            {101, ",bad=50", {Choice::Cancel}, {{1, 100}}, true},  // smaller than one block
    };
    for (const VerifyCase& test : cases) {
        SCOPED_TRACE(test.bad + " of " + std::to_string(test.sectors));
        ScratchDir dir;
        testing::ScriptedHost host;
        DeviceContext ctx{host};
        testing::select_single_image(ctx, empty_image(dir, test.sectors) + test.bad);
        host.choices.assign(test.answers.begin(), test.answers.end());
        const VerifyResult result = verifyMedium(ctx);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> errors;
        for (const VerifiedBlock& block : result.errors) errors.emplace_back(block.first, block.count);
        EXPECT_EQ(errors, test.errors);
        EXPECT_EQ(result.ended, test.ended);
        EXPECT_EQ(host.questions.size(), test.errors.size());
    }
}

TEST(Verify, TheQuestionNamesTheBlockAndEscStopsTheRun) {
    ScratchDir dir;
    testing::ScriptedHost host;
    DeviceContext ctx{host};
    testing::select_single_image(ctx, empty_image(dir, 10001) + ",bad=4096");
    host.choices = {Choice::Yes};
    host.escapes = {false, true};
    const VerifyResult result = verifyMedium(ctx);
    EXPECT_TRUE(host.showed("Error in block of 4096 sectors beginning at 1. Do you want to continue?"));
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(result.errors.size(), 1u);
}

// --- the leaf test ------------------------------------------------------------------

struct LeafRecord {
    std::uint8_t kind;
    std::uint32_t parent;
    std::string name;
    std::uint8_t keyLength = 0;  // 0: as the name asks
};

NodeBuffer leafNode(const std::vector<LeafRecord>& records) {
    NodeBuffer node{};
    node[8] = 0xFF;
    node[9] = 1;
    storeBE16(node.data() + 10, static_cast<std::uint16_t>(records.size()));
    std::size_t at = kNodeDescriptorSize;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const LeafRecord& r = records[k];
        storeBE16(node.data() + kNodeSize - 2 * (k + 1), static_cast<std::uint16_t>(at));
        node[at] = r.keyLength ? r.keyLength : static_cast<std::uint8_t>(6 + r.name.size());
        storeBE32(node.data() + at + 2, r.parent);
        node[at + 6] = static_cast<std::uint8_t>(r.name.size());
        std::copy(r.name.begin(), r.name.end(), node.begin() + static_cast<long>(at) + 7);
        at += (6 + r.name.size() + 2) & ~std::size_t{1};
        node[at] = r.kind;
        at += r.kind == kFileRecord ? kFileRecordSize : r.kind == kDirectoryRecord ? kDirectoryRecordSize : kThreadRecordSize;
    }
    storeBE16(node.data() + kNodeSize - 2 * (records.size() + 1), static_cast<std::uint16_t>(at));
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
    NodeBuffer descending = leafNode({{kFileRecord, 2, "a"}, {kFileRecord, 2, "b"}});
    storeBE16(descending.data() + 508, 12);
    NodeBuffer beyond = leafNode({{kFileRecord, 2, "a"}});
    storeBE16(beyond.data() + 508, 510);
    NodeBuffer index = leafNode({{kFileRecord, 2, "a"}});
    index[8] = 0;
    const std::vector<Case> cases{
            {"a folder and two files", leafNode({{kDirectoryRecord, 1, "Disk"}, {kFileRecord, 2, "Read Me"}, {kFileRecord, 2, "x"}}), true, 2},
            {"six threads, as a leaf of short records holds", leafNode(threads), true, 0},
            {"four files and four threads", leafNode({{kFileRecord, 2, "f1"}, {kFileRecord, 2, "f2"}, {kFileThreadRecord, 30, ""}, {kFileThreadRecord, 31, ""}}), true, 2},
            {"a record kind of 5", leafNode({{kFileRecord, 2, "a"}, {5, 2, "b"}}), false, 0},
            {"a key too long", leafNode({{kFileRecord, 2, "a", 40}}), false, 0},
            {"a file without a name", leafNode({{kFileRecord, 2, ""}}), false, 0},
            {"offsets descending", descending, false, 0},
            {"free space inside the offset table", beyond, false, 0},
            {"an index node", index, false, 0},
            {"zeros", NodeBuffer{}, false, 0},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(isCatalogLeaf(test.node), test.leaf) << test.what;
        EXPECT_EQ(leafFileRecords(test.node).size(), test.files) << test.what;
    }
    const auto files = leafFileRecords(cases[0].node);
    EXPECT_EQ(files[0].macName, "Read Me");
    EXPECT_EQ(files[0].parentID, 2u);
}

// --- rescue end to end -----------------------------------------------------------------

std::string sectorBytes(const std::string& image, std::uint64_t sector, std::size_t count) {
    std::ifstream in(image, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(sector * 512));
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    return bytes;
}

void zeroSector(const std::string& image, std::uint64_t sector) {
    std::fstream io(image, std::ios::binary | std::ios::in | std::ios::out);
    io.seekp(static_cast<std::streamoff>(sector * 512));
    io.write(std::string(512, '\0').data(), 512);
}

// Wipes the volume header, the catalog's header node and every index node
// of a bare volume (hformat without a partition), as a failing drive or a
// stray write might; returns how many index nodes there were.
int wipeHeaderAndCatalogIndex(const std::string& image) {
    const std::string mdb = sectorBytes(image, 2, 512);
    const auto* m = reinterpret_cast<const std::uint8_t*>(mdb.data());
    const std::uint32_t sectorsPerBlock = loadBE32(m + 0x14) / 512;
    const std::uint32_t catalogStart = loadBE16(m + 0x1C) + loadBE16(m + 0x96) * sectorsPerBlock;
    const std::uint32_t catalogSectors = loadBE16(m + 0x98) * sectorsPerBlock;
    int indexNodes = 0;
    for (std::uint32_t n = 1; n < catalogSectors; ++n) {
        const std::string node = sectorBytes(image, catalogStart + n, 512);
        if (node[8] == 0 && node[9] != 0) {
            zeroSector(image, catalogStart + n);
            ++indexNodes;
        }
    }
    zeroSector(image, catalogStart);
    zeroSector(image, 2);
    return indexNodes;
}

TEST(Rescue, GivesBackEveryFileOfAVolumeWhoseHeaderAndCatalogIndexAreWiped) {
    ScratchDir dir;
    testing::HfsutilsVolume volume(dir, "rescue.img", 4096);
    volume.addFolder(":Letters");
    volume.addFolder(":Photos");
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
    volume.addFiles(":Letters:", letters);
    volume.addFiles(":Photos:", photos);
    // The same name in two folders, names that would leave a PC directory,
    // and a file of a resource fork only.
    for (const auto& [path, contents] : std::vector<std::pair<std::string, std::string>>{
                 {":Letters:Same", "same in Letters"}, {":Photos:Same", "same in Photos"},
                 {":Photos:..", "dot dot"}, {":Photos:a/b", "with a slash"}}) {
        volume.addFile(path, contents);
        expected[contents] = path.substr(path.rfind(':') + 1);
    }
    volume.addForkedFile(":Letters:", "Fonts", "FFIL", "DMOV", "", "resource fork only");
    expected["resource fork only"] = "Fonts";
    volume.unmount();
    ASSERT_GT(wipeHeaderAndCatalogIndex(volume.image()), 0) << "the catalog has an index to wipe";

    testing::PcDestination destination;
    testing::ScriptedHost host;
    TransferContext ctx{host};
    testing::select_single_image(ctx, volume.image());
    RescueProgress progress;
    int shown = 0;
    progress.changed = [&](const RescueProgress&) { ++shown; };
    const RescueResult result = rescueScan(ctx, progress);
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
    const MacDateFields date = macDateToCalendar(0xB6F0A410);
    std::tm fields{};
    fields.tm_year = date.year - 1900;
    fields.tm_mon = date.month - 1;
    fields.tm_mday = date.day;
    fields.tm_hour = date.hour;
    fields.tm_min = date.minute;
    fields.tm_sec = date.second;
    fields.tm_isdst = -1;
    struct stat info {};
    ASSERT_EQ(stat((destination / rescued["resource fork only"]).c_str(), &info), 0);
    EXPECT_NEAR(static_cast<double>(info.st_mtime), static_cast<double>(std::mktime(&fields)), 2.0);
    EXPECT_EQ(rescued["same in Letters"].substr(0, 4), "Same");
    EXPECT_EQ(rescued["same in Photos"].substr(0, 4), "Same");
    EXPECT_NE(rescued["same in Letters"], rescued["same in Photos"]) << "neither overwrote the other";
    // Nothing was written beside the destination.
    std::size_t outside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(destination.outside(""))) outside += entry.path().filename() != "dest";
    EXPECT_EQ(outside, 0u);
}

TEST(Rescue, AMediumWithoutCatalogNodesGivesNothingAndUnreadableSectorsAreSkipped) {
    ScratchDir dir;
    testing::PcDestination destination;
    testing::ScriptedHost host;
    TransferContext ctx{host};
    testing::select_single_image(ctx, empty_image(dir, 300) + ",bad=70-75");
    RescueProgress progress;
    const RescueResult result = rescueScan(ctx, progress);
    EXPECT_EQ(result.files, 0u);
    EXPECT_EQ(result.unreadable, 6u);
    EXPECT_EQ(progress.sector, 299u);
    EXPECT_TRUE(std::filesystem::is_empty(destination.path()));
}

}  // namespace
}  // namespace korvane
