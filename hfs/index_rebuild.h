#pragma once
// The index levels of a tree are never edited record by record: after every
// change they are thrown away and built again, bottom-up, from the sorted
// chain of leaves. Index keys are therefore always exactly the first keys
// of their children, and between two changes the tree is complete.

#include <cstdint>
#include <optional>
#include <vector>

#include "hfs/edit_fault.h"
#include "hfs/tree_file.h"

namespace korvane {

// The leaves from firstLeaf along fLink; nothing when the chain is damaged
// (a node that is not a leaf, a loop, a broken bLink).
std::optional<std::vector<std::uint32_t>> leaf_chain(TreeFile& tree);

// Index nodes of the present index, counted level by level from the root.
std::uint32_t index_node_count(TreeFile& tree);

// Index nodes a tree of that many leaves needs.
std::uint32_t index_nodes_for(const TreeFile& tree, std::uint32_t leaves);

// Frees every index node, then builds the levels above the leaves and sets
// rootNode, depth, firstLeaf and lastLeaf. Needs index_nodes_for(leaves) free
// nodes once the old index is freed (the callers make sure of it).
EditFault rebuild_index(TreeFile& tree);

}  // namespace korvane
