// Reading the driver descriptor map and the partition maps from the first
// blocks of a medium.

#include "volume/partition_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "util/byte_order.h"

namespace korvane {
namespace {

class MapImage {
public:
    explicit MapImage(std::size_t blockSize = 512, std::uint16_t statedBlockSize = 512)
        : blockSize_(blockSize), bytes_(64 * blockSize, 0) {
        bytes_[0] = 'E';
        bytes_[1] = 'R';
        storeBE16(bytes_.data() + ddm::sbBlkSize, statedBlockSize);
        storeBE32(bytes_.data() + ddm::sbBlkCount, 40000);
    }

    void addEntry(const std::string& name, const std::string& type, std::uint32_t start, std::uint32_t blocks,
                  std::uint32_t dataBlocks) {
        entries_.push_back({name, type, start, blocks, dataBlocks});
        for (std::size_t k = 0; k < entries_.size(); ++k) writeEntry(k + 1, entries_[k]);
    }

    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    struct Entry {
        std::string name;
        std::string type;
        std::uint32_t start, blocks, dataBlocks;
    };

    void writeEntry(std::size_t k, const Entry& e) {
        std::uint8_t* p = bytes_.data() + k * blockSize_;
        p[0] = 'P';
        p[1] = 'M';
        storeBE32(p + pm::pmMapBlkCnt, static_cast<std::uint32_t>(entries_.size()));
        storeBE32(p + pm::pmPyPartStart, e.start);
        storeBE32(p + pm::pmPartBlkCnt, e.blocks);
        std::memcpy(p + pm::pmPartName, e.name.data(), e.name.size());
        std::memcpy(p + pm::pmParType, e.type.data(), e.type.size());
        storeBE32(p + pm::pmDataCnt, e.dataBlocks);
    }

    std::size_t blockSize_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Entry> entries_;
};

TEST(PartitionMap, BlockZeroWithoutDescriptorMap) {
    std::vector<std::uint8_t> blank(64 * 512, 0);
    EXPECT_EQ(parsePartitionMap(blank, 512).result, kNoDescriptorMap);
    EXPECT_EQ(parsePartitionMap({}, 512).result, kNoDescriptorMap);
}

TEST(PartitionMap, OneHfsPartitionAmongOthers) {
    MapImage image;
    image.addEntry("Apple", "Apple_partition_map", 1, 63, 63);
    image.addEntry("Macintosh", "Apple_Driver43", 64, 32, 32);
    image.addEntry("Untitled", "Apple_HFS", 96, 20000, 0);
    image.addEntry("Extra", "Apple_Free", 20096, 100, 100);
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    ASSERT_EQ(reading.result, 1);
    EXPECT_EQ(reading.volumeStart, 96u);
    EXPECT_EQ(reading.blockSize, 512);
    EXPECT_EQ(reading.blockCount, 40000u);
    ASSERT_EQ(reading.partitions.size(), 1u);
    EXPECT_EQ(reading.partitions[0].name, "Untitled");
    EXPECT_EQ(reading.partitions[0].size, 20000u);  // pmPartBlkCnt when pmDataCnt is 0
}

TEST(PartitionMap, SeveralHfsPartitionsInMapOrderAndEmptyOnesLeftOut) {
    MapImage image;
    image.addEntry("Apple", "Apple_partition_map", 1, 63, 63);
    image.addEntry("First", "Apple_HFS", 64, 1000, 900);
    image.addEntry("Nothing", "Apple_HFS", 1064, 0, 0);
    image.addEntry("Second", "Apple_HFSX", 2064, 3000, 0);  // a longer type with the prefix
    image.addEntry("Lower", "apple_hfs", 5064, 3000, 0);     // the type is case-sensitive
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    ASSERT_EQ(reading.result, 2);
    EXPECT_EQ(reading.partitions[0].name, "First");
    EXPECT_EQ(reading.partitions[0].size, 900u);
    EXPECT_EQ(reading.partitions[1].name, "Second");
    EXPECT_EQ(reading.partitions[1].start, 2064u);
    EXPECT_EQ(reading.volumeStart, 64u);
}

TEST(PartitionMap, MapWithoutHfsPartitionRecordsNone) {
    MapImage image;
    image.addEntry("Apple", "Apple_partition_map", 1, 63, 63);
    image.addEntry("Free", "Apple_Free", 64, 1000, 1000);
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    EXPECT_EQ(reading.result, 0);
    EXPECT_EQ(reading.volumeStart, 0u);
}

TEST(PartitionMap, AtMostTwelvePartitionsAreListed) {
    MapImage image;
    for (int i = 0; i < 15; ++i) {
        image.addEntry("Part" + std::to_string(i), "Apple_HFS", 100 + 1000 * i, 1000, 0);
    }
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    EXPECT_EQ(reading.result, 12);
    EXPECT_EQ(reading.partitions.back().name, "Part11");
}

TEST(PartitionMap, EntriesFollowTheMediumsBlockSize) {
    // A 1024-byte medium: entry k lies k x 1024 bytes in.
    MapImage image(1024, 1024);
    image.addEntry("Apple", "Apple_partition_map", 1, 63, 63);
    image.addEntry("Big", "Apple_HFS", 64, 5000, 0);
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 1024);
    ASSERT_EQ(reading.result, 1);
    EXPECT_EQ(reading.volumeStart, 64u);
    EXPECT_EQ(reading.blockSize, 1024);
}

TEST(PartitionMap, StatedBlockSizeDoesNotMoveTheEntries) {
    // Block 0 claims 2048-byte blocks on a 512-byte medium (as some CD images do):
    // the caller reads the entries at the medium's real spacing.
    MapImage image(512, 2048);
    image.addEntry("Apple", "Apple_partition_map", 1, 63, 63);
    image.addEntry("CD", "Apple_HFS", 16, 1748, 0);
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    EXPECT_EQ(reading.blockSize, 2048);
    ASSERT_EQ(reading.result, 1);
    EXPECT_EQ(reading.volumeStart, 16u);
}

TEST(PartitionMap, MapEndsWhereEntriesStopOrLeaveTheBlocksRead) {
    MapImage image;
    image.addEntry("Apple", "Apple_partition_map", 1, 63, 63);
    image.addEntry("First", "Apple_HFS", 64, 1000, 0);
    image.addEntry("Second", "Apple_HFS", 2064, 1000, 0);
    // A count far beyond the blocks read, and an entry without its signature.
    storeBE32(image.bytes().data() + 512 + pm::pmMapBlkCnt, 100000);
    image.bytes()[3 * 512] = 'X';
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    EXPECT_EQ(reading.result, 1);
    // Fewer bytes than the map claims: nothing is read past them.
    std::span<const std::uint8_t> two(image.bytes().data(), 2 * 512 + 100);
    EXPECT_EQ(parsePartitionMap(two, 512).result, 0);
}

TEST(PartitionMap, OlderMapGivesTheVolumeStart) {
    MapImage image;
    std::uint8_t* entry = image.bytes().data() + 512;
    entry[0] = 'T';
    entry[1] = 'S';
    storeBE32(entry + 2, 77);
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    EXPECT_EQ(reading.result, 1);
    EXPECT_EQ(reading.volumeStart, 77u);
}

TEST(PartitionMap, VolumeRightBehindTheDescriptorMap) {
    MapImage image;
    image.bytes()[1024] = 'B';
    image.bytes()[1025] = 'D';
    PartitionMapReading reading = parsePartitionMap(image.bytes(), 512);
    EXPECT_EQ(reading.result, 1);
    EXPECT_EQ(reading.volumeStart, 0u);
}

TEST(PartitionMap, DescriptorMapWithNothingBehind) {
    MapImage image;
    EXPECT_EQ(parsePartitionMap(image.bytes(), 512).result, kMapNotRecognised);
}

}  // namespace
}  // namespace korvane
