#pragma once
// How each B-tree orders its keys, for the searches and for the editing code.
// Catalog keys are ordered by parent ID, then by name as Mac OS orders names;
// extents keys by file ID, fork type, then start block. A descent compares
// the key it looks for with the key at the start of each index record; a
// search along the leaves compares it with each leaf record's key.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "hfs/tree_file.h"

namespace korvane {
// The order of a record's key against the key sought: negative when the
// record's key sorts before it, 0 when they are equal, positive when it
// sorts after. Nothing when the record's key is damaged.
using KeyOrder = std::function<std::optional<int>(std::span<const std::uint8_t> record)>;

// Catalog keys: parent ID, then the name in the Macintosh order. name may be
// a pattern (see match_name); an equal key then counts as sorting after it,
// because names that match the pattern may come before the equal one.
KeyOrder catalog_key_order(std::uint32_t parentID, std::string_view name);

// Extents-overflow keys: file ID, then fork type, then the fork's first
// allocation block.
KeyOrder extents_key_order(std::uint32_t fileID, std::uint8_t forkType, std::uint16_t startBlock);

// The child node an index record points to: the 32-bit value behind its key.
// Nothing when the record is too short to hold it.
std::optional<std::uint32_t> index_record_child(std::span<const std::uint8_t> record);

// Negative, 0 or positive as record a's key sorts before, with or after
// record b's; nothing when either key is damaged. Works on leaf and index
// records alike (both begin with the key).
std::optional<int> compare_keys(const TreeFile& tree, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

std::vector<std::uint8_t> catalog_key(std::uint32_t parentID, std::string_view name);
std::vector<std::uint8_t> extents_key(std::uint8_t forkType, std::uint32_t fileID, std::uint16_t startBlock);

// The index record for child, keyed by the key of the child's first record:
// catalog keys take the fixed length 37 (42 bytes in all), extents keys keep
// their 7 (12 bytes in all). Nothing when the key is damaged.
std::optional<std::vector<std::uint8_t>> index_record_for(const TreeFile& tree,
                                                          std::span<const std::uint8_t> firstRecord,
                                                          std::uint32_t child);

// The child named by an index record whose key is sound for tree; nothing
// when damaged.
std::optional<std::uint32_t> index_record_child(const TreeFile& tree, std::span<const std::uint8_t> record);

// Index records that fit in one node: 11 for the catalog, 35 for the extents tree.
std::uint16_t index_records_per_node(const TreeFile& tree);

}  // namespace korvane
