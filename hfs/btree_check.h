#pragma once
// The structural check of one B-tree working copy (catalog or extents):
// the header record against the node map and the tree, every node's kind
// and height, the order of keys, index keys against their children, and the
// leaf chain in both directions. Only the working file is read (never the
// tree's node buffer), so lookups in progress are left as they were.
//
// Every node is visited at most once and nothing past the file is read, so
// a damaged tree (loops, wild links, absurd counts) ends in problems, never
// in a hang.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "hfs/check_report.h"
#include "hfs/tree_file.h"

namespace korvane {

enum class TreeKind { Catalog, Extents };

// A key of either tree. Catalog keys leave forkType and startBlock 0 and
// extents keys leave name empty, so one order serves both: the catalog's
// (parent ID, name in Mac OS order) and the extents tree's (file ID, fork
// type, start block).
struct TreeKey {
    std::uint32_t id = 0;  // the parent ID of a catalog key, the file ID of an extents key
    std::uint8_t forkType = 0;
    std::uint16_t startBlock = 0;
    std::string name;  // Macintosh character set

    bool operator==(const TreeKey&) const = default;
};

int compare_keys(const TreeKey& a, const TreeKey& b);

struct LeafRecord {
    TreeKey key;
    std::span<const std::uint8_t> data;  // after the key, up to the node's offset table
    std::uint32_t node = 0;
};

using LeafVisitor = std::function<void(const LeafRecord&)>;

// Checks the tree and passes each leaf record whose key could be read to
// visit, in the order of the leaves.
void check_b_tree(const TreeFile& tree, TreeKind kind, CheckReport& report, const LeafVisitor& visit);

}  // namespace korvane
