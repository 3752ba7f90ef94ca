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

std::uint32_t nodeFLink(const NodeBuffer& node);
std::uint32_t nodeBLink(const NodeBuffer& node);
std::int8_t nodeKind(const NodeBuffer& node);
std::uint8_t nodeHeight(const NodeBuffer& node);
std::uint16_t nodeRecordCount(const NodeBuffer& node);

// Record i's offset as stored (i = record count gives the free-space offset).
std::uint16_t recordOffset(const NodeBuffer& node, std::uint16_t i);

// The bytes of record i, from its offset to the start of the offset table,
// or nothing when i is beyond the node's records or its offset lies outside
// the record area. Callers check lengths inside the record against its size.
std::optional<std::span<const std::uint8_t>> recordBytes(const NodeBuffer& node, std::uint16_t i);

// Offset of the data after a key that starts at keyOffset: length byte plus
// keyLength bytes, rounded up to even.
constexpr std::size_t recordDataOffset(std::uint8_t keyLength) { return (std::size_t{keyLength} + 2) & ~std::size_t{1}; }

// The header record (node 0, offset 14) and its allocation map (offset 248).
namespace header {
inline constexpr std::size_t depth = 14;
inline constexpr std::size_t rootNode = 16;
inline constexpr std::size_t leafRecords = 20;
inline constexpr std::size_t firstLeaf = 24;
inline constexpr std::size_t lastLeaf = 28;
inline constexpr std::size_t nodeSize = 32;
inline constexpr std::size_t maxKeyLength = 34;
inline constexpr std::size_t totalNodes = 36;
inline constexpr std::size_t freeNodes = 40;
inline constexpr std::size_t allocationMap = 248;
inline constexpr std::size_t allocationMapSize = 256;
}  // namespace header

std::uint16_t treeDepth(const NodeBuffer& headerNode);
std::uint32_t treeRootNode(const NodeBuffer& headerNode);
std::uint32_t treeLeafRecords(const NodeBuffer& headerNode);
std::uint32_t treeFirstLeaf(const NodeBuffer& headerNode);
std::uint32_t treeLastLeaf(const NodeBuffer& headerNode);
std::uint32_t treeTotalNodes(const NodeBuffer& headerNode);
std::uint32_t treeFreeNodes(const NodeBuffer& headerNode);

// A freeNodes count above totalNodes is damage; it is read as 0.
void repairFreeNodes(NodeBuffer& headerNode);

}  // namespace korvane
