#include "volume/partition_map.h"

#include <algorithm>
#include <cstring>

#include "util/byte_order.h"

namespace korvane {
namespace {

bool begins_with(std::span<const std::uint8_t> bytes, std::size_t offset, const char (&signature)[3]) {
    return offset + 2 <= bytes.size() && bytes[offset] == signature[0] && bytes[offset + 1] == signature[1];
}

// A NUL-terminated text field of fixed width; a field without its NUL ends at its width.
std::string text_field(std::span<const std::uint8_t> entry, std::size_t offset, std::size_t width) {
    auto field = entry.subspan(offset, width);
    auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

bool is_hfs_partition_type(std::span<const std::uint8_t> entry) {
    static constexpr char kHfsType[] = "Apple_HFS";
    return std::memcmp(entry.data() + pm::pmParType, kHfsType, sizeof kHfsType - 1) == 0;
}

void read_apple_map(std::span<const std::uint8_t> blocks, std::size_t spacing, PartitionMapReading& reading) {
    std::uint32_t entries = load_be32(blocks, spacing + pm::pmMapBlkCnt);
    for (std::uint32_t k = 1; k <= entries && reading.partitions.size() < kMaxListedPartitions; ++k) {
        std::size_t offset = k * spacing;
        if (offset + kMapEntrySize > blocks.size() || !begins_with(blocks, offset, "PM")) break;
        auto entry = blocks.subspan(offset, kMapEntrySize);
        if (!is_hfs_partition_type(entry)) continue;
        std::uint32_t size = load_be32(entry, pm::pmDataCnt);
        if (size == 0) size = load_be32(entry, pm::pmPartBlkCnt);
        if (size == 0) continue;
        reading.partitions.push_back({text_field(entry, pm::pmPartName, pm::kNameSize),
                                      load_be32(entry, pm::pmPyPartStart), size, load_be32(entry, pm::pmPartBlkCnt)});
    }
    reading.result = static_cast<int>(reading.partitions.size());
    reading.volume_start = reading.partitions.empty() ? 0 : reading.partitions.front().start;
}

}  // namespace

PartitionMapReading parse_partition_map(std::span<const std::uint8_t> blocks, std::size_t spacing) {
    PartitionMapReading reading;
    if (!begins_with(blocks, ddm::sbSig, "ER")) return reading;
    reading.block_size = load_be16(blocks, ddm::sbBlkSize);
    reading.block_count = load_be32(blocks, ddm::sbBlkCount);
    if (spacing == 0) spacing = kMapEntrySize;
    if (begins_with(blocks, spacing, "TS")) {
        reading.volume_start = load_be32(blocks, spacing + 2);
        reading.result = 1;
    } else if (begins_with(blocks, spacing, "PM")) {
        read_apple_map(blocks, spacing, reading);
    } else if (begins_with(blocks, 1024, "BD")) {
        reading.result = 1;  // an HFS volume right behind the descriptor map
    } else {
        reading.result = kMapNotRecognised;
    }
    return reading;
}

}  // namespace korvane
