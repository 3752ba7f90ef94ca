#pragma once
// The driver descriptor map in block 0 of a medium and the Apple partition
// map behind it, as discovery reads them and the formatter writes them. Also
// the older map whose entry in block 1 begins with "TS".

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvane {

// Byte offsets in the driver descriptor map (block 0).
namespace ddm {
inline constexpr std::size_t sbSig = 0;  // "ER"
inline constexpr std::size_t sbBlkSize = 2;
inline constexpr std::size_t sbBlkCount = 4;
inline constexpr std::size_t sbDevType = 8;
inline constexpr std::size_t sbDevId = 10;
inline constexpr std::size_t sbData = 12;
inline constexpr std::size_t sbDrvrCount = 16;
inline constexpr std::size_t ddBlock = 18;
inline constexpr std::size_t ddSize = 22;
inline constexpr std::size_t ddType = 24;
}  // namespace ddm

// Byte offsets in one partition map entry (one per block from block 1).
namespace pm {
inline constexpr std::size_t pmSig = 0;  // "PM"
inline constexpr std::size_t pmSigPad = 2;
inline constexpr std::size_t pmMapBlkCnt = 4;
inline constexpr std::size_t pmPyPartStart = 8;
inline constexpr std::size_t pmPartBlkCnt = 12;
inline constexpr std::size_t pmPartName = 16;
inline constexpr std::size_t pmParType = 48;
inline constexpr std::size_t pmLgDataStart = 80;
inline constexpr std::size_t pmDataCnt = 84;
inline constexpr std::size_t pmPartStatus = 88;
inline constexpr std::size_t pmLgBootStart = 92;
inline constexpr std::size_t pmBootSize = 96;
inline constexpr std::size_t pmBootAddr = 100;
inline constexpr std::size_t pmBootAddr2 = 104;
inline constexpr std::size_t pmBootEntry = 108;
inline constexpr std::size_t pmBootEntry2 = 112;
inline constexpr std::size_t pmBootCksum = 116;
inline constexpr std::size_t pmProcessor = 120;
inline constexpr std::size_t kNameSize = 32;
inline constexpr std::size_t kTypeSize = 32;
}  // namespace pm

inline constexpr std::size_t kMaxListedPartitions = 12;
// Blocks read from the start of the medium in one request when looking for a map.
inline constexpr std::uint16_t kMapReadBlocks = 64;

inline constexpr std::size_t kMapEntrySize = 512;

// Results of reading block 0 that are not a count of partitions.
inline constexpr int kMapNotRecognised = -1;  // a descriptor map, but no known map behind it
inline constexpr int kNoDescriptorMap = -2;   // block 0 does not begin with "ER"

struct MapPartition {
    std::string name;          // pmPartName, up to its NUL
    std::uint32_t start = 0;   // pmPyPartStart, in map blocks
    std::uint32_t size = 0;    // pmDataCnt, or pmPartBlkCnt when that is 0
    std::uint32_t blocks = 0;  // pmPartBlkCnt: the volume must lie within them
};

struct PartitionMapReading {
    // The number of HFS partitions recorded; 1 for the "TS" map and for a
    // volume right behind the descriptor map; or kMapNotRecognised / kNoDescriptorMap.
    int result = kNoDescriptorMap;
    std::uint32_t volume_start = 0;        // the first (or only) volume's first block
    std::uint16_t block_size = 0;          // sbBlkSize as the map states it
    std::uint32_t block_count = 0;         // sbBlkCount
    std::vector<MapPartition> partitions;  // at most twelve
};

// Reads the maps in the first blocks of a medium. Entry k lies k x
// entrySpacing bytes from the start (the medium's real block size); entries
// that do not lie wholly in the bytes given, or lack the "PM" signature, end
// the map. Only "Apple_HFS" entries (a longer type with that prefix too) of
// non-zero size are recorded.
PartitionMapReading parse_partition_map(std::span<const std::uint8_t> firstBlocks, std::size_t entrySpacing);

}  // namespace korvane
