#include "volume/partition_map.h"

#include <algorithm>
#include <cstring>

#include "util/byte_order.h"

namespace korvane {
namespace {

bool beginsWith(std::span<const std::uint8_t> bytes, std::size_t offset, const char (&signature)[3]) {
    return offset + 2 <= bytes.size() && bytes[offset] == signature[0] && bytes[offset + 1] == signature[1];
}

// A NUL-terminated text field of fixed width; a field without its NUL ends at its width.
std::string textField(std::span<const std::uint8_t> entry, std::size_t offset, std::size_t width) {
    auto field = entry.subspan(offset, width);
    auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

bool isHfsPartitionType(std::span<const std::uint8_t> entry) {
    static constexpr char kHfsType[] = "Apple_HFS";
    return std::memcmp(entry.data() + pm::pmParType, kHfsType, sizeof kHfsType - 1) == 0;
}

void readAppleMap(std::span<const std::uint8_t> blocks, std::size_t spacing, PartitionMapReading& reading) {
    std::uint32_t entries = loadBE32(blocks, spacing + pm::pmMapBlkCnt);
    for (std::uint32_t k = 1; k <= entries && reading.partitions.size() < kMaxListedPartitions; ++k) {
        std::size_t offset = k * spacing;
        if (offset + kMapEntrySize > blocks.size() || !beginsWith(blocks, offset, "PM")) break;
        auto entry = blocks.subspan(offset, kMapEntrySize);
        if (!isHfsPartitionType(entry)) continue;
        std::uint32_t size = loadBE32(entry, pm::pmDataCnt);
        if (size == 0) size = loadBE32(entry, pm::pmPartBlkCnt);
        if (size == 0) continue;
        reading.partitions.push_back({textField(entry, pm::pmPartName, pm::kNameSize),
                                      loadBE32(entry, pm::pmPyPartStart), size, loadBE32(entry, pm::pmPartBlkCnt)});
    }
    reading.result = static_cast<int>(reading.partitions.size());
    reading.volumeStart = reading.partitions.empty() ? 0 : reading.partitions.front().start;
}

}  // namespace

PartitionMapReading parsePartitionMap(std::span<const std::uint8_t> blocks, std::size_t spacing) {
    PartitionMapReading reading;
    if (!beginsWith(blocks, ddm::sbSig, "ER")) return reading;
    reading.blockSize = loadBE16(blocks, ddm::sbBlkSize);
    reading.blockCount = loadBE32(blocks, ddm::sbBlkCount);
    if (spacing == 0) spacing = kMapEntrySize;
    if (beginsWith(blocks, spacing, "TS")) {
        reading.volumeStart = loadBE32(blocks, spacing + 2);
        reading.result = 1;
    } else if (beginsWith(blocks, spacing, "PM")) {
        readAppleMap(blocks, spacing, reading);
    } else if (beginsWith(blocks, 1024, "BD")) {
        reading.result = 1;  // an HFS volume right behind the descriptor map
    } else {
        reading.result = kMapNotRecognised;
    }
    return reading;
}

}  // namespace korvane
