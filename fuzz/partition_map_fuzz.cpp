// Reads the input as the first blocks of a medium, with map entries 512 and
// 1024 bytes apart, as discovery does. Every partition recorded must come
// from an entry inside the input; the count must match the list.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "volume/partition_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    const std::span<const std::uint8_t> bytes(data, size);
    for (const std::size_t spacing : {std::size_t{512}, std::size_t{1024}}) {
        const PartitionMapReading map = parse_partition_map(bytes, spacing);
        if (map.partitions.size() > kMaxListedPartitions) std::abort();
        if (map.result > 0 && static_cast<std::size_t>(map.result) < map.partitions.size()) std::abort();
        for (const MapPartition& partition : map.partitions)
            if (partition.name.size() > pm::kNameSize) std::abort();
    }
    return 0;
}
