#pragma once
// Space on the volume for forks and trees: where a fork's sectors lie, the
// extents-overflow records of forks, and the nodes of the trees, with the
// catalog growing (to three times its size) when it has none left.

#include <cstdint>
#include <optional>
#include <vector>

#include "hfs/catalog_records.h"
#include "hfs/edit_fault.h"
#include "hfs/hfs_context.h"

namespace korvane {

// The absolute sector of 512-byte sector logicalSector of a fork (forkType
// kDataFork or kResourceFork) whose first extent record is record, or 0 when
// the fork's extents end before it or the extent holding it lies outside the
// volume.
std::uint32_t physical_sector(HfsContext& ctx, std::uint32_t logicalSector, ExtentRecordBytes record,
                              std::uint32_t fileID, std::uint8_t forkType = kDataFork);

// The descriptors of a fork in logical order, from its first record on,
// until they cover blocksNeeded blocks. Nothing when they run out first.
std::optional<std::vector<ExtentDescriptor>> fork_extents(HfsContext& ctx, ExtentRecordBytes firstRecord,
                                                          std::uint32_t fileID, std::uint8_t forkType,
                                                          std::uint32_t blocksNeeded);

// Records one more extent of a fork that already has forkStart blocks in the
// extents-overflow tree: in the free descriptor of the fork's last record,
// or in a new record (the leaf is split when full). False, reported and the
// command's changes dropped, when the tree has no room.
bool add_extent_record(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t fileID, std::uint16_t forkStart,
                       std::uint8_t forkType);
EditFault place_extent_record(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t fileID, std::uint16_t forkStart,
                              std::uint8_t forkType);

// A free node of the catalog, growing the catalog first when it has none.
// Nothing, reported ("Error trying to extend catalog.") and the command's
// changes dropped, when it cannot grow.
std::optional<std::uint32_t> allocate_catalog_node(HfsContext& ctx);
void free_catalog_node(HfsContext& ctx, std::uint32_t node);

// The steps, for the engine itself (nothing reported, nothing undone).
std::optional<std::uint32_t> allocate_node_for(HfsContext& ctx, TreeFile& tree);
// Makes sure that splits leaf splits and the rebuilt index will find free
// nodes (once the old index is freed), growing the catalog when needed.
EditFault ensure_free_nodes(HfsContext& ctx, TreeFile& tree, std::uint32_t splits);
// Adds twice the catalog's size in allocation blocks (as many runs as the
// free space needs) and the map nodes the new nodes need.
EditFault grow_catalog(HfsContext& ctx);

}  // namespace korvane
