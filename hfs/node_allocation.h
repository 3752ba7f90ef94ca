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
    std::uint32_t map_node = 0;  // 0: the header node's map record
    std::uint16_t offset = 0;    // of the bits within that node
    std::uint16_t length = 0;    // bytes
    std::uint32_t firstNode = 0;
};

// The parts of the map in order; nothing when the chain of map nodes is
// damaged (a node that is not a map node, a loop).
std::optional<std::vector<MapPart>> allocation_map(TreeFile& tree);

// Nodes the map can describe.
std::uint32_t map_capacity(const std::vector<MapPart>& map);

std::optional<bool> node_in_use(TreeFile& tree, std::uint32_t node);

// Nodes among 1 .. total_nodes - 1 whose bit is clear.
std::optional<std::uint32_t> count_free_nodes(TreeFile& tree);

// Takes the first free node among 1 .. total_nodes - 1: sets its bit and
// lowers freeNodes. Nothing when every node is in use or the map is damaged.
std::optional<std::uint32_t> allocate_tree_node(TreeFile& tree);

// Gives a node back: clears its bit, raises freeNodes, zero-fills the node.
bool free_tree_node(TreeFile& tree, std::uint32_t node);

// Adds map nodes, made of free nodes of the tree, until the map describes
// all total_nodes nodes. False when there is no node to make one of.
bool extend_allocation_map(TreeFile& tree);

// Writes the header node (kept in memory) into the working file.
bool write_header_node(TreeFile& tree);

// Reads node n into a buffer of the caller's; the tree's node buffer is
// left as it was.
std::optional<NodeBuffer> load_node(TreeFile& tree, std::uint32_t n);

}  // namespace korvane
