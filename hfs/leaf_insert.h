#pragma once
// Inserting and removing leaf records of the catalog and extents trees in
// their working copies. Only the sorted chain of leaves is maintained: a
// leaf that has no room is split (the first half of its records stay), a
// leaf whose last record goes is freed, leaves are never merged, and the
// index is rebuilt after every change (hfs/index_rebuild.h).
//
// The header's leafRecords is left to the callers for catalog records: they
// add or subtract 1 for each record they insert or delete.

#include <cstdint>
#include <optional>
#include <span>

#include "hfs/edit_fault.h"
#include "hfs/hfs_context.h"

namespace korvane {

enum class EditResult {
    Done,
    Exists,    // a record with that key is already there; nothing changed
    NotFound,  // no record with that key; nothing changed
    Failed,    // reported; the command's changes were dropped
};

// Where a key is or would go: the leaf and the record index within it
// (index = the leaf's record count: after its last record). leaf is 0 when
// the tree has no leaf at all.
struct LeafPosition {
    std::uint32_t leaf = 0;
    std::uint16_t index = 0;
    bool found = false;
};

// Descends the index, then follows the leaf chain to the right while the
// next leaf's first key does not sort after key. Nothing when a node on the
// way is damaged.
std::optional<LeafPosition> find_insert_position(TreeFile& tree, std::span<const std::uint8_t> key);

// The record with that key in a tree, for callers that change a record
// in place: the leaf it is in (loaded into tree.node) and its index.
std::optional<LeafPosition> find_record(TreeFile& tree, std::span<const std::uint8_t> key);

// Inserts a record (key: length byte and keyLength bytes; data: the record
// data) in key order. Starts the modification when needed.
EditResult insert_tree_record(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                              std::span<const std::uint8_t> data);
// Removes the record with that key.
EditResult delete_tree_record(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key);

// Gives the record with that key new data (a valence, dates, a fork's
// extents): in place when the record keeps its size, else by removing and
// inserting it again.
EditResult replace_record_data(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                               std::span<const std::uint8_t> data);

// The catalog's forms: a directory or file record; the 46-byte thread record
// of a new directory, whose ID is above every ID in use, so that it goes after
// the last record of the last leaf; the removal of any catalog record.
EditResult insert_leaf_record(HfsContext& ctx, std::span<const std::uint8_t> key, std::span<const std::uint8_t> data);
EditResult append_thread_record(HfsContext& ctx, std::span<const std::uint8_t> key,
                                std::span<const std::uint8_t> thread);
EditResult delete_record(HfsContext& ctx, std::span<const std::uint8_t> key);

// The steps, for the engine itself (nothing reported, nothing undone).
EditFault insert_into_tree(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                           std::span<const std::uint8_t> data, bool& existed);
EditFault remove_from_tree(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key, bool& missing);

// Splits leaf: its first ceil(n/2) records stay, the others move to a new
// leaf linked after it. The index is left to the caller's rebuild.
EditFault split_leaf(HfsContext& ctx, TreeFile& tree, std::uint32_t leaf);

}  // namespace korvane
