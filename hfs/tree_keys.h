#pragma once
// The keys of the two trees as the editing code needs them: their order,
// the keys of new records, and the index record that points at a node.
// Catalog keys are ordered by parent ID, then by name as Mac OS orders
// names; extents keys by file ID, fork type, then start block.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "hfs/tree_file.h"

namespace korvane {

// Negative, 0 or positive as record a's key sorts before, with or after
// record b's; nothing when either key is damaged. Works on leaf and index
// records alike (both begin with the key).
std::optional<int> compareKeys(const TreeFile& tree, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

std::vector<std::uint8_t> catalogKey(std::uint32_t parentID, std::string_view name);
std::vector<std::uint8_t> extentsKey(std::uint8_t forkType, std::uint32_t fileID, std::uint16_t startBlock);

// The index record for child, keyed by the key of the child's first record:
// catalog keys take the fixed length 37 (42 bytes in all), extents keys keep
// their 7 (12 bytes in all). Nothing when the key is damaged.
std::optional<std::vector<std::uint8_t>> indexRecordFor(const TreeFile& tree, std::span<const std::uint8_t> firstRecord,
                                                        std::uint32_t child);

// The child named by an index record; nothing when damaged.
std::optional<std::uint32_t> indexRecordChild(const TreeFile& tree, std::span<const std::uint8_t> record);

// Index records that fit in one node: 11 for the catalog, 35 for the extents tree.
std::uint16_t indexRecordsPerNode(const TreeFile& tree);

}  // namespace korvane
