// Reading the driver descriptor map and the partition maps from the first
// blocks of a medium: one table of map variants.

#include "volume/partition_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "util/byte_order.h"

namespace korvane {
namespace {

struct Entry {
    std::string name, type;
    std::uint32_t start, blocks, dataBlocks;
};

// Block 0 with "ER" and the stated block size, then one "PM" entry per block.
std::vector<std::uint8_t> map_image(std::size_t block_size, std::uint16_t stated, const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> bytes(64 * block_size, 0);
    bytes[0] = 'E';
    bytes[1] = 'R';
    store_be16(bytes.data() + ddm::sbBlkSize, stated);
    store_be32(bytes.data() + ddm::sbBlkCount, 40000);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        std::uint8_t* p = bytes.data() + (k + 1) * block_size;
        const Entry& e = entries[k];
        p[0] = 'P';
        p[1] = 'M';
        store_be32(p + pm::pmMapBlkCnt, static_cast<std::uint32_t>(entries.size()));
        store_be32(p + pm::pmPyPartStart, e.start);
        store_be32(p + pm::pmPartBlkCnt, e.blocks);
        std::memcpy(p + pm::pmPartName, e.name.data(), e.name.size());
        std::memcpy(p + pm::pmParType, e.type.data(), e.type.size());
        store_be32(p + pm::pmDataCnt, e.dataBlocks);
    }
    return bytes;
}

const Entry kMapEntry{"Apple", "Apple_partition_map", 1, 63, 63};

TEST(PartitionMap, Variants) {
    std::vector<Entry> fifteen;
    for (std::uint32_t i = 0; i < 15; ++i)
        fifteen.push_back({"Part" + std::to_string(i), "Apple_HFS", 100 + 1000 * i, 1000, 0});
    struct Case {
        const char* what;
        std::size_t block_size;
        std::uint16_t stated;
        std::vector<Entry> entries;
        std::function<void(std::vector<std::uint8_t>&)> change;
        int result;
        std::uint32_t volume_start;
        std::vector<std::pair<std::string, std::uint32_t>> partitions;  // name, size
    } cases[] = {
            {"one HFS among others",
             512,
             512,
             {kMapEntry,
              {"Macintosh", "Apple_Driver43", 64, 32, 32},
              {"Untitled", "Apple_HFS", 96, 20000, 0},
              {"Extra", "Apple_Free", 20096, 100, 100}},
             {},
             1,
             96,
             {{"Untitled", 20000}}},  // pmPartBlkCnt when pmDataCnt is 0
            {"several in map order, empty ones out, HFSX in, lower case out",
             512,
             512,
             {kMapEntry,
              {"First", "Apple_HFS", 64, 1000, 900},
              {"Nothing", "Apple_HFS", 1064, 0, 0},
              {"Second", "Apple_HFSX", 2064, 3000, 0},
              {"Lower", "apple_hfs", 5064, 3000, 0}},
             {},
             2,
             64,
             {{"First", 900}, {"Second", 3000}}},
            {"no HFS partition", 512, 512, {kMapEntry, {"Free", "Apple_Free", 64, 1000, 1000}}, {}, 0, 0, {}},
            {"at most twelve", 512, 512, fifteen, {}, 12, 100, {}},
            {"1024-byte medium",
             1024,
             1024,
             {kMapEntry, {"Big", "Apple_HFS", 64, 5000, 0}},
             {},
             1,
             64,
             {{"Big", 5000}}},
            // Some CD images claim 2048-byte blocks on a 512-byte medium: the entries stay where the medium puts them.
            {"stated 2048 on 512", 512, 2048, {kMapEntry, {"CD", "Apple_HFS", 16, 1748, 0}}, {}, 1, 16, {{"CD", 1748}}},
            {"count beyond the blocks read, an entry without signature",
             512,
             512,
             {kMapEntry, {"First", "Apple_HFS", 64, 1000, 0}, {"Second", "Apple_HFS", 2064, 1000, 0}},
             [](auto& bytes) {
                 store_be32(bytes.data() + 512 + pm::pmMapBlkCnt, 100000);
                 bytes[3 * 512] = 'X';
             },
             1,
             64,
             {{"First", 1000}}},
            {"older TS map",
             512,
             512,
             {},
             [](auto& bytes) {
                 bytes[512] = 'T';
                 bytes[513] = 'S';
                 store_be32(bytes.data() + 514, 77);
             },
             1,
             77,
             {}},
            {"volume right behind the descriptor map",
             512,
             512,
             {},
             [](auto& bytes) {
                 bytes[1024] = 'B';
                 bytes[1025] = 'D';
             },
             1,
             0,
             {}},
            {"descriptor map with nothing behind", 512, 512, {}, {}, kMapNotRecognised, 0, {}},
            {"blank block zero", 512, 512, {}, [](auto& bytes) { bytes[0] = 0; }, kNoDescriptorMap, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = map_image(c.block_size, c.stated, c.entries);
        if (c.change) c.change(bytes);
        const PartitionMapReading reading = parse_partition_map(bytes, static_cast<std::uint16_t>(c.block_size));
        EXPECT_EQ(reading.result, c.result);
        if (c.result <= 0) continue;
        EXPECT_EQ(reading.volume_start, c.volume_start);
        if (!c.entries.empty()) {
            EXPECT_EQ(reading.block_size, c.stated);
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
    const auto two = map_image(
            512, 512, {kMapEntry, {"First", "Apple_HFS", 64, 1000, 0}, {"Second", "Apple_HFS", 2064, 1000, 0}});
    EXPECT_EQ(parse_partition_map(std::span<const std::uint8_t>(two.data(), 2 * 512 + 100), 512).result, 0);
}

}  // namespace
}  // namespace korvane
