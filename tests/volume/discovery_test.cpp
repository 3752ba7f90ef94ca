// Reading the driver descriptor map and the partition maps from the first
// blocks of a medium (one table of map variants); volume discovery on real
// images made by hfsutils, wrapped in partition maps written here and opened
// through the image bus as the program opens them; the figures and texts
// above the listing, and the window title.

#include "volume/discovery.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include "device/image_bus.h"
#include "device/partition_dialog.h"
#include "hfs/current_directory.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/support/session.h"
#include "tests/volume/medium_builder.h"
#include "volume/brute_force.h"
#include "volume/listing_header.h"
#include "volume/partition_map.h"

namespace korvane::testing {
namespace {

// The first 64 blocks of a medium of 40000 blocks: the descriptor map, then
// the map's own entry and the partitions (none: no map behind the
// descriptor map).
std::vector<std::uint8_t> map_image(const std::vector<PartitionDef>& partitions) {
    ScratchDir dir;
    if (partitions.empty()) {
        write_descriptor_map(dir / "medium", 40000 * 512ull, 512);
    } else {
        write_partitioned_medium(dir / "medium", 40000 * 512ull, 512, 512, partitions);
    }
    std::vector<std::uint8_t> bytes = file_bytes(dir / "medium");
    bytes.resize(64 * 512);
    return bytes;
}

TEST(PartitionMap, Variants) {
    std::vector<PartitionDef> fifteen;
    for (std::uint32_t i = 0; i < 15; ++i)
        fifteen.push_back({"Part" + std::to_string(i), "Apple_HFS", 100 + 1000 * i, 1000, {}});
    struct Case {
        const char* what;
        std::vector<PartitionDef> entries;
        std::function<void(std::vector<std::uint8_t>&)> change;
        int result;
        std::uint32_t volume_start;
        std::vector<std::pair<std::string, std::uint32_t>> partitions;  // name, size
    } cases[] = {
            {"several in map order, empty ones out, HFSX in, lower case out",
             {{"First", "Apple_HFS", 64, 1000, {}, 900},
              {"Nothing", "Apple_HFS", 1064, 0, {}},
              {"Second", "Apple_HFSX", 2064, 3000, {}},
              {"Lower", "apple_hfs", 5064, 3000, {}}},
             {},
             2,
             64,
             {{"First", 900}, {"Second", 3000}}},
            {"no HFS partition", {{"Free", "Apple_Free", 64, 1000, {}, 1000}}, {}, 0, 0, {}},
            {"at most twelve", fifteen, {}, 12, 100, {}},
            {"count beyond the blocks read, an entry without signature",
             {{"First", "Apple_HFS", 64, 1000, {}}, {"Second", "Apple_HFS", 2064, 1000, {}}},
             [](auto& b) { store_be32(b.data() + 512 + pm::pmMapBlkCnt, 100000), b[3 * 512] = 'X'; },
             1,
             64,
             {{"First", 1000}}},
            {"volume right behind the descriptor map", {}, [](auto& b) { b[1024] = 'B', b[1025] = 'D'; }, 1, 0, {}},
            {"descriptor map with nothing behind", {}, {}, kMapNotRecognised, 0, {}},
            {"blank block zero", {}, [](auto& bytes) { bytes[0] = 0; }, kNoDescriptorMap, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = map_image(c.entries);
        if (c.change) c.change(bytes);
        const PartitionMapReading reading = parse_partition_map(bytes, 512);
        EXPECT_EQ(reading.result, c.result);
        if (c.result <= 0) continue;
        EXPECT_EQ(reading.volume_start, c.volume_start);
        if (!c.entries.empty()) {
            EXPECT_EQ(reading.block_size, 512);
            EXPECT_EQ(reading.block_count, 40000u);
        }
        if (c.partitions.empty()) continue;
        ASSERT_EQ(reading.partitions.size(), c.partitions.size());
        for (std::size_t i = 0; i < c.partitions.size(); ++i) {
            EXPECT_EQ(reading.partitions[i].name, c.partitions[i].first);
            EXPECT_EQ(reading.partitions[i].size, c.partitions[i].second);
        }
    }
    EXPECT_EQ(parse_partition_map({}, 512).result, kNoDescriptorMap);
    // Fewer bytes than the map claims: nothing is read past them.
    const auto two = map_image({{"First", "Apple_HFS", 64, 1000, {}}, {"Second", "Apple_HFS", 2064, 1000, {}}});
    EXPECT_EQ(parse_partition_map(std::span<const std::uint8_t>(two.data(), 2 * 512 + 100), 512).result, 0);
}

// Two small volumes made by hfsutils, each with a file naming it.
class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        first = std::make_unique<HfsutilsVolume>(dir, "first.img", 800, "First");
        first->addFile(":In first", "1");
        first->add_folder(":Folder");
        first->unmount();
        second = std::make_unique<HfsutilsVolume>(dir, "second.img", 1024, "Second");
        second->addFile(":In second", "22");
        second->unmount();
    }

    ScratchDir dir;
    std::unique_ptr<HfsutilsVolume> first, second;
};

TEST_F(DiscoveryTest, SeveralPartitionsAskWhichOneAndOpenTheChosenOrNone) {
    const std::string medium = dir / "two.hda";
    write_partitioned_medium(
            medium, 4 << 20, 512, 512,
            {{"First", "Apple_HFS", 64, 1600, first->image()}, {"Second", "Apple_HFS", 1664, 2048, second->image()}});
    Session drive(medium);
    std::vector<PartitionRow> shown;
    drive.host.dialog_answers.push_back([&](Dialog& dialog) {
        shown = static_cast<PartitionDialog&>(dialog).rows();
        return 1;
    });
    ASSERT_GT(analyze_volume(drive.ctx), 0);
    EXPECT_EQ(drive.host.dialogs, (std::vector<std::string>{"DLG_PART"}));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].name, "First");
    EXPECT_EQ(shown[1].start, 1664u);
    EXPECT_EQ(shown[1].size, 2048u);
    EXPECT_EQ(drive.ctx.mdb.volume_name(), "Second");
    EXPECT_EQ(drive.names(), (std::vector<std::string>{"In second"}));

    // Cancelling the choice looks only at the start of the medium.
    Session cancelled(medium);
    cancelled.host.dialog_answers.push_back([](Dialog&) { return kPartitionCancelled; });
    EXPECT_EQ(analyze_volume(cancelled.ctx), 0);
    EXPECT_EQ(cancelled.ctx.state.target_id, kNoDrive);
    EXPECT_TRUE(cancelled.ctx.state.brute_force_enabled);
    EXPECT_EQ(cancelled.ctx.state.volume_start, 0);
}

TEST_F(DiscoveryTest, OlderMapNamesTheVolumeStart) {
    const std::string medium = dir / "ts.hda";
    write_ts_medium(medium, 2 << 20, 40, first->image());
    Session drive(medium);
    ASSERT_GT(analyze_volume(drive.ctx), 0);
    EXPECT_EQ(drive.ctx.geometry.mdbSector, 42u);
    EXPECT_EQ(drive.ctx.mdb.volume_name(), "First");
}

TEST_F(DiscoveryTest, MediumWith1024ByteSectorsIsAddressedIn512ByteUnitsAfterwards) {
    const std::string medium = dir / "MO0_1024.img";
    write_partitioned_medium(medium, 4 << 20, 1024, 1024, {{"Big", "Apple_HFS", 32, 1024, second->image()}});
    Session drive(medium);
    ASSERT_GT(analyze_volume(drive.ctx), 0);
    EXPECT_EQ(drive.ctx.device.sectorSize, 1024);
    EXPECT_EQ(drive.ctx.device.transfer, TransferRoutine::Sector1024);
    EXPECT_EQ(drive.ctx.geometry.mdbSector, 66u);  // block 32 of 1024 bytes, then 1024 bytes in
    EXPECT_EQ(drive.names(), (std::vector<std::string>{"In second"}));
}

TEST_F(DiscoveryTest, TheDrivesSectorSizeWinsOverTheMapsAndTheStatusLineSaysSo) {
    // Block 0 claims 2048-byte blocks; the image answers READ CAPACITY with 512.
    const std::string medium = dir / "cd.img";
    write_partitioned_medium(medium, 3 << 20, 512, 2048, {{"CD", "Apple_HFS", 16, 1600, first->image()}});
    Session drive(medium);
    ASSERT_GT(analyze_volume(drive.ctx), 0);
    EXPECT_EQ(drive.ctx.device.sectorSize, 512);
    EXPECT_EQ(drive.ctx.geometry.mdbSector, 18u);
    bool said = false;
    for (const std::string& status : drive.host.statuses) said |= status.find("2048") != std::string::npos;
    EXPECT_TRUE(said);
    // The status line is cleared when the volume opens: the notice stays seen.
    EXPECT_TRUE(drive.host.showed("states 2048 bytes per block"));
}

// One HFS partition, behind a driver's, opens without the dialog and confines
// its volume; a bare volume has the medium to itself.
TEST_F(DiscoveryTest, AVolumeIsConfinedToItsPartition) {
    struct Case {
        const char* name;
        std::uint32_t blocks;
        bool opens;
        const char* notice;
    };
    for (const Case& c : {Case{"fits", 1600, true, nullptr},
                          Case{"smaller than the volume", 1000, true, "claims more room than its partition"},
                          Case{"one block", 1, false, nullptr}}) {
        SCOPED_TRACE(c.name);
        const std::string medium = dir / "confined.hda";
        write_partitioned_medium(
                medium, 4 << 20, 512, 512,
                {{"Driver", "Apple_Driver43", 32, 32, {}}, {"First", "Apple_HFS", 64, c.blocks, first->image()}});
        Session drive(medium);
        EXPECT_EQ(analyze_volume(drive.ctx) > 0, c.opens);
        EXPECT_TRUE(drive.host.dialogs.empty());
        if (!c.opens) {
            EXPECT_EQ(drive.ctx.noVolumeReason, "The partition is too small to hold a volume.");
            continue;
        }
        EXPECT_EQ(drive.ctx.geometry.mdbSector, 66u);
        EXPECT_EQ(drive.ctx.geometry.firstAllocSector, 64u + drive.ctx.mdb.first_allocation_sector());
        EXPECT_EQ(drive.ctx.device.capacity, (4u << 20) / 512);
        EXPECT_EQ(drive.names(), (std::vector<std::string>{"Folder", "In first"}));
        EXPECT_EQ(drive.ctx.geometry.partitionStart, 64u);
        EXPECT_EQ(drive.ctx.geometry.partitionSectors, c.blocks);
        EXPECT_EQ(drive.ctx.geometry.readOnlyVolume, c.notice != nullptr);
        if (c.notice) {
            EXPECT_TRUE(drive.host.showed(c.notice));
        }
    }
    // A bare volume opens at block zero; the status line says so while it works.
    Session bare(first->image());
    const std::int32_t found = analyze_volume(bare.ctx);
    ASSERT_GT(found, 0);
    EXPECT_EQ(bare.ctx.state.volume_start, found);
    EXPECT_EQ(bare.ctx.geometry.mdbSector, 2u);
    EXPECT_EQ(bare.ctx.geometry.partitionStart, 0u);
    EXPECT_EQ(bare.ctx.geometry.partitionSectors, 1600u);
    EXPECT_FALSE(bare.ctx.geometry.readOnlyVolume);
    EXPECT_TRUE(bare.host.dialogs.empty());
    EXPECT_EQ(bare.ctx.state.current_dir_id, 2u);
    ASSERT_FALSE(bare.host.statuses.empty());
    EXPECT_EQ(bare.host.statuses.front(), "Analyzing the volume...");
    EXPECT_EQ(bare.ctx.state.status_text, "");
}

// A catalog that cannot be read is said to be so, not shown as an empty disk.
TEST_F(DiscoveryTest, AnUnreadableCatalogIsSaidToBeSo) {
    const std::vector<std::uint8_t> image = file_bytes(first->image());
    const std::uint8_t* header = image.data() + 1024;
    const std::uint64_t catalog =
            load_be16(header + 0x1C) * 512ull + std::uint64_t{load_be16(header + 0x96)} * load_be32(header + 0x14);
    const std::uint32_t catalogBytes = load_be32(header + 0x92);
    const std::uint64_t catalog_sector = catalog / 512;
    const std::uint32_t rootNode = load_be32(image.data() + catalog + 14 + 2);
    struct Case {
        const char* name;
        std::string options;
        std::function<void(std::vector<std::uint8_t>&)> change;
    };
    const std::vector<Case> cases = {
            {"header node unreadable", ",bad=" + std::to_string(catalog_sector), {}},
            {"catalog unreadable",
             ",bad=" + std::to_string(catalog_sector) + "-" + std::to_string(catalog_sector + catalogBytes / 512 - 1),
             {}},
            {"root kind byte", "", [&](auto& bytes) { bytes[catalog + rootNode * 512 + 8] ^= 0xFF; }},
            {"drAlBlSt 0xFFFF", "", [](auto& bytes) { store_be16(bytes.data() + 1024 + 0x1C, 0xFFFF); }},
            {"drCTFlSize 0", "", [](auto& bytes) { store_be32(bytes.data() + 1024 + 0x92, 0); }},
            {"zeroed", "",
             [&](auto& bytes) { std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(catalog), catalogBytes, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = image;
        if (c.change) c.change(bytes);
        const std::string damaged = dir / "catalog.img";
        std::filesystem::remove(damaged);
        write_at(damaged, 0, bytes);
        Session drive(damaged + c.options);
        ASSERT_GT(analyze_volume(drive.ctx), 0);
        EXPECT_TRUE(drive.names().empty());
        EXPECT_TRUE(drive.host.showed("The catalog of this volume cannot be read"));
        EXPECT_TRUE(drive.ctx.outcome.failureReported);
        drive.host.notices.clear();
        load_listing(drive.ctx);
        EXPECT_TRUE(drive.host.showed("The catalog of this volume cannot be read"));  // every time
    }
}

TEST_F(DiscoveryTest, HeaderWithAnEmptyCatalogExtentIsNoVolume) {
    std::vector<std::uint8_t> image = file_bytes(first->image());
    store_be16(image.data() + 1024 + 0x96 + 2, 0);
    const std::string broken = dir / "broken.img";
    write_at(broken, 0, image);
    Session drive(broken);
    EXPECT_EQ(analyze_volume(drive.ctx), 0);
    EXPECT_EQ(drive.ctx.state.target_id, kNoDrive);
    EXPECT_FALSE(drive.ctx.catalogTree.is_open());
}

TEST_F(DiscoveryTest, MsDosMediaAreReported) {
    const std::string medium = dir / "dos.img";
    make_blank_medium(medium, 1 << 20);
    std::vector<std::uint8_t> boot(512, 0);
    boot[0] = 0xEB;
    boot[510] = 0x55;
    boot[511] = 0xAA;  // byte 29 stays 0: still an MS-DOS medium
    write_at(medium, 0, boot);
    Session drive(medium);
    EXPECT_LT(analyze_volume(drive.ctx), 0);
    EXPECT_LT(drive.ctx.state.volume_start, 0);
    EXPECT_EQ(drive.ctx.state.status_text, "This is a MS-DOS formatted volume.");

    boot[0] = 0x33;
    write_at(medium, 0, boot);
    Session other(medium);
    EXPECT_EQ(analyze_volume(other.ctx), -2);
}

// The search ends with the first megabyte, and reads the last partial chunk
// of a small medium (2000 sectors: the chunk at 1984 reaches past its end).
TEST_F(DiscoveryTest, BruteForceSearchEndsWithTheFirstMegabyte) {
    struct Case {
        std::uint32_t sectors, block;
        std::size_t bytes;  // of the volume, from its start
        std::uint32_t mdbSector;
    } cases[] = {{8192, 2045, 0, 2047}, {8192, 2046, 0, 0}, {2000, 1990, 12 * 512, 1992}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        const std::string medium = dir / "lost.img";
        std::vector<std::uint8_t> image = file_bytes(first->image());
        if (c.bytes) image.resize(c.bytes);
        make_blank_medium(medium, c.sectors * 512ull);
        write_at(medium, c.block * 512ull, image);
        std::filesystem::resize_file(medium, c.sectors * 512ull);
        Session drive(medium);
        EXPECT_EQ(brute_force_search(drive.ctx) > 0, c.mdbSector != 0);
        if (c.mdbSector) {
            EXPECT_EQ(drive.ctx.geometry.mdbSector, c.mdbSector);
        }
    }
}

MdbImage mdb_with(std::uint16_t blocks, std::uint16_t free_blocks, std::uint32_t block_size, std::uint32_t catalogBytes,
                  std::uint32_t extentsBytes) {
    MdbImage mdb;
    store_be16(mdb.field(mdb::drNmAlBlks), blocks);
    store_be16(mdb.field(mdb::drFreeBks), free_blocks);
    store_be32(mdb.field(mdb::drAlBlkSiz), block_size);
    store_be32(mdb.field(mdb::drCTFlSize), catalogBytes);
    store_be32(mdb.field(mdb::drXTFlSize), extentsBytes);
    return mdb;
}

TEST(ListingHeader, FiguresNeverWrapAround) {
    // 65535 free blocks of 64 KB: more than 32 bits of bytes.
    EXPECT_EQ(kilobytes_free(mdb_with(65535, 65535, 65536, 0, 0)), 65535u * 64 + 1);
    // Damaged counts show nothing used rather than a huge figure.
    EXPECT_EQ(kilobytes_used(mdb_with(100, 200, 512, 0, 0)), 0u);     // more free than there are blocks
    EXPECT_EQ(kilobytes_used(mdb_with(100, 90, 512, 65536, 0)), 0u);  // trees larger than what is used
}

TEST(ListingHeader, TextsAndTitleInTheWindowsCharacterSet) {
    testing::ScriptedHost host;
    HfsContext ctx{host};
    ctx.mdb = mdb_with(1600, 1000, 512, 6144, 6144);  // 1000 free of 1600; the trees 6 KB each
    const std::string name = "Caf\x8e";               // Mac Roman e-acute
    ctx.mdb.bytes[mdb::drVN] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), ctx.mdb.bytes.begin() + mdb::drVN + 1);
    ctx.state.current_path = "Root  ";
    ctx.state.current_path.resize(39, ' ');
    const ListingHeader texts = listing_header(ctx);
    EXPECT_EQ(texts.free, "KB free :      501k");
    EXPECT_EQ(texts.used, "KB used :      288k");
    EXPECT_EQ(texts.volume, " Vol: Caf\xe9");
    EXPECT_EQ(texts.directory.substr(0, 12), " Dir: Root  ");
    EXPECT_EQ(window_title(ctx), "Korvane : Caf\xe9");
    EXPECT_EQ(kilobyte_field(12345678), "12345678k");
}

}  // namespace
}  // namespace korvane::testing
