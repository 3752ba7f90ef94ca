#pragma once
// The 512-byte B-tree node shared by the catalog and extents trees: its
// descriptor, its record offset table, and the header record of node 0.
// Nodes come from the medium, so every accessor stays inside the buffer and
// reports records that do not fit as missing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korvane {

inline constexpr std::size_t kNodeSize = 512;
using NodeBuffer = std::array<std::uint8_t, kNodeSize>;

inline constexpr std::size_t kNodeDescriptorSize = 14;
inline constexpr std::int8_t kLeafNode = -1;
inline constexpr std::int8_t kIndexNode = 0;
inline constexpr std::int8_t kHeaderNode = 1;
inline constexpr std::int8_t kMapNode = 2;

// The most records whose offsets fit in a node beside the descriptor.
inline constexpr std::uint16_t kMaxRecordsPerNode = (kNodeSize - kNodeDescriptorSize) / 2 - 1;

std::uint32_t node_f_link(const NodeBuffer& node);
std::uint32_t node_b_link(const NodeBuffer& node);
std::int8_t node_kind(const NodeBuffer& node);
std::uint8_t node_height(const NodeBuffer& node);
std::uint16_t node_record_count(const NodeBuffer& node);

// Record i's offset as stored (i = record count gives the free-space offset).
std::uint16_t record_offset(const NodeBuffer& node, std::uint16_t i);

// The bytes of record i, from its offset to the start of the offset table,
// or nothing when i is beyond the node's records or its offset lies outside
// the record area. Callers check lengths inside the record against its size.
std::optional<std::span<const std::uint8_t>> record_bytes(const NodeBuffer& node, std::uint16_t i);

// Offset of the data after a key that starts at keyOffset: length byte plus
// keyLength bytes, rounded up to even.
constexpr std::size_t record_data_offset(std::uint8_t keyLength) {
    return (std::size_t{keyLength} + 2) & ~std::size_t{1};
}

// The header record (node 0, offset 14) and its allocation map (offset 248).
namespace header {
inline constexpr std::size_t depth = 14;
inline constexpr std::size_t rootNode = 16;
inline constexpr std::size_t leafRecords = 20;
inline constexpr std::size_t firstLeaf = 24;
inline constexpr std::size_t lastLeaf = 28;
inline constexpr std::size_t nodeSize = 32;
inline constexpr std::size_t maxKeyLength = 34;
inline constexpr std::size_t total_nodes = 36;
inline constexpr std::size_t freeNodes = 40;
inline constexpr std::size_t allocation_map = 248;
inline constexpr std::size_t allocationMapSize = 256;
}  // namespace header

std::uint16_t tree_depth(const NodeBuffer& headerNode);
std::uint32_t tree_root_node(const NodeBuffer& headerNode);
std::uint32_t tree_leaf_records(const NodeBuffer& headerNode);
std::uint32_t tree_first_leaf(const NodeBuffer& headerNode);
std::uint32_t tree_last_leaf(const NodeBuffer& headerNode);
std::uint32_t tree_total_nodes(const NodeBuffer& headerNode);
std::uint32_t tree_free_nodes(const NodeBuffer& headerNode);

// A freeNodes count above total_nodes is damage; it is read as 0.
void repair_free_nodes(NodeBuffer& headerNode);

}  // namespace korvane
