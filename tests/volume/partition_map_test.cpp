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

// Block 0 with "ER" and 512-byte blocks, then one "PM" entry per block.
std::vector<std::uint8_t> map_image(const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> bytes(64 * 512, 0);
    bytes[0] = 'E';
    bytes[1] = 'R';
    store_be16(bytes.data() + ddm::sbBlkSize, 512);
    store_be32(bytes.data() + ddm::sbBlkCount, 40000);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        std::uint8_t* p = bytes.data() + (k + 1) * 512;
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
        std::vector<Entry> entries;
        std::function<void(std::vector<std::uint8_t>&)> change;
        int result;
        std::uint32_t volume_start;
        std::vector<std::pair<std::string, std::uint32_t>> partitions;  // name, size
    } cases[] = {
            {"several in map order, empty ones out, HFSX in, lower case out",
             {kMapEntry,
              {"First", "Apple_HFS", 64, 1000, 900},
              {"Nothing", "Apple_HFS", 1064, 0, 0},
              {"Second", "Apple_HFSX", 2064, 3000, 0},
              {"Lower", "apple_hfs", 5064, 3000, 0}},
             {},
             2,
             64,
             {{"First", 900}, {"Second", 3000}}},
            {"no HFS partition", {kMapEntry, {"Free", "Apple_Free", 64, 1000, 1000}}, {}, 0, 0, {}},
            {"at most twelve", fifteen, {}, 12, 100, {}},
            {"count beyond the blocks read, an entry without signature",
             {kMapEntry, {"First", "Apple_HFS", 64, 1000, 0}, {"Second", "Apple_HFS", 2064, 1000, 0}},
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
    const auto two =
            map_image({kMapEntry, {"First", "Apple_HFS", 64, 1000, 0}, {"Second", "Apple_HFS", 2064, 1000, 0}});
    EXPECT_EQ(parse_partition_map(std::span<const std::uint8_t>(two.data(), 2 * 512 + 100), 512).result, 0);
}

}  // namespace
}  // namespace korvane
