#pragma once
// Which nodes of a tree file are in use: the allocation map, one bit per
// node (most significant bit first, 1 = in use). Its first part is the
// header node's map record (2048 nodes); larger trees continue it in map
// nodes (kind 2) chained from the header's fLink, each holding one record.

#include <cstdint>
#include <optional>
#include <vector>

#include "hfs/tree_file.h"

namespace korvane {

// One stretch of the map: the bits for nodes firstNode .. firstNode + 8 * length - 1.
struct MapPart {
    std::uint32_t mapNode = 0;  // 0: the header node's map record
    std::uint16_t offset = 0;   // of the bits within that node
    std::uint16_t length = 0;   // bytes
    std::uint32_t firstNode = 0;
};

// The parts of the map in order; nothing when the chain of map nodes is
// damaged (a node that is not a map node, a loop).
std::optional<std::vector<MapPart>> allocationMap(TreeFile& tree);

// Nodes the map can describe.
std::uint32_t mapCapacity(const std::vector<MapPart>& map);

std::optional<bool> nodeInUse(TreeFile& tree, std::uint32_t node);

// Nodes among 1 .. totalNodes - 1 whose bit is clear.
std::optional<std::uint32_t> countFreeNodes(TreeFile& tree);

// Takes the first free node among 1 .. totalNodes - 1: sets its bit and
// lowers freeNodes. Nothing when every node is in use or the map is damaged.
std::optional<std::uint32_t> allocateTreeNode(TreeFile& tree);

// Gives a node back: clears its bit, raises freeNodes, zero-fills the node.
bool freeTreeNode(TreeFile& tree, std::uint32_t node);

// Adds map nodes, made of free nodes of the tree, until the map describes
// all totalNodes nodes. False when there is no node to make one of.
bool extendAllocationMap(TreeFile& tree);

// Writes the header node (kept in memory) into the working file.
bool writeHeaderNode(TreeFile& tree);

// Reads node n into a buffer of the caller's; the tree's node buffer is
// left as it was.
std::optional<NodeBuffer> loadNode(TreeFile& tree, std::uint32_t n);

}  // namespace korvane
