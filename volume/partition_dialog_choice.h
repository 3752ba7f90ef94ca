#pragma once
// Letting the user choose among several HFS partitions of a medium.

#include <cstdint>
#include <optional>
#include <vector>

#include "hfs/hfs_context.h"
#include "volume/partition_map.h"

namespace korvane {

// Runs the "Select Partition" dialog with the partitions found; the chosen
// partition's first block, or nothing when the dialog was cancelled.
std::optional<std::uint32_t> choose_partition(HfsContext& ctx, const std::vector<MapPartition>& partitions);

}  // namespace korvane
