#pragma once
// The working copy of one B-tree (catalog or extents): a temporary file that
// is a byte-for-byte image of the tree file on the medium, the one node
// buffer that lookups work in, and the header node kept in memory.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "hfs/btree_node.h"

namespace korvane {

struct TreeFile {
    explicit TreeFile(bool catalog = false) : is_catalog(catalog) {}

    NodeBuffer node{};    // the node last read; every read replaces it
    NodeBuffer header{};  // node 0, changed in place while the volume is open
    std::uint32_t nodeNumber = 0;
    std::uint16_t recordIndex = 0;  // lookups leave the found record's index here
    std::uint32_t fileSize = 0;     // bytes in the working file
    int handle = -1;                // open working file, -1 when there is none
    bool is_catalog = false;
    bool nodeValid = false;  // false after a read that failed: node holds zeros
    bool complete = false;   // the copy holds the whole tree file, every sector read
    // The index was built here from the leaves as they are now: a change
    // that leaves every leaf's first key and the chain alone keeps it.
    bool indexCurrent = false;
    // The whole working file in memory while the write engine works on the
    // tree (empty: not held). Once held it is the tree: node reads and writes
    // go to it alone, and the working file keeps only the tree as copied in
    // (a change of a thousand files would otherwise cost a hundred thousand
    // writes to it).
    std::vector<std::uint8_t> memoryCopy;
    std::string path;
    // Each leaf with the leaf the index puts after it (0 after the last):
    // worked out on first need by index_successor, forgotten by every write.
    std::optional<std::unordered_map<std::uint32_t, std::uint32_t>> indexSuccessors;

    bool is_open() const { return handle >= 0; }
    bool holds_memory_copy() const { return fileSize > 0 && memoryCopy.size() == fileSize; }
    // Nodes that may be read: the header's total_nodes, but never past the file.
    std::uint32_t node_limit() const;
};

// Reads node n into tree.node, sets nodeNumber = n and recordIndex = 0.
// A node beyond the tree or a short read is damage: the buffer is zeroed,
// nodeValid is false and the result is false, so the bytes of the previous
// node are never taken for this one.
bool read_node(TreeFile& tree, std::uint32_t n);

// Node n in the held memory copy, read in place; nothing when the copy is
// not held or has no such node.
const NodeBuffer* held_node(const TreeFile& tree, std::uint32_t n);

// Reads node n into node, leaving the tree's own node buffer alone. False
// when there is no such node or the read failed.
bool read_tree_node(const TreeFile& tree, std::uint32_t n, NodeBuffer& node);

// Writes buffer as node n, then the header node (to the memory copy when it
// is held, else to the working file). False when a write failed.
// The tree has changed: leaf cursors on it must be started again.
bool write_node(TreeFile& tree, std::uint32_t n, const NodeBuffer& buffer);

}  // namespace korvane
