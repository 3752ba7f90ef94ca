#pragma once
// The way from a tree's root down to a leaf, and the order in which the
// index lists the leaves. Shared by the catalog and the extents-overflow
// tree; each brings its own key order (hfs/tree_keys.h).

#include <cstdint>
#include <optional>

#include "hfs/hfs_context.h"
#include "hfs/tree_keys.h"

namespace korvane {

// From the node now in tree.node down to the leaf where the key sought is or
// would be: in each index node the child of the last record whose key does
// not sort after it (the first child when every key does). The leaf is left
// in tree.node. Nothing, counted in ctx.damagedNodes, when the way meets a
// node that cannot be read or used, or goes deeper than any tree can be.
std::optional<std::uint32_t> descend_from(HfsContext& ctx, TreeFile& tree, const KeyOrder& order);

// The same from the tree's root. Nothing without damage when the tree is
// empty (no root). A root that is a leaf while the header says the tree has
// index levels (or the reverse) is damage.
std::optional<std::uint32_t> descend_to_leaf(HfsContext& ctx, TreeFile& tree, const KeyOrder& order);

// The leaf that the index puts after leaf n: 0 when n is the last one;
// nothing when the index does not list n or cannot be read. Worked out once
// per tree and kept in tree.indexSuccessors until the tree is written.
std::optional<std::uint32_t> index_successor(HfsContext& ctx, TreeFile& tree, std::uint32_t n);

}  // namespace korvane
