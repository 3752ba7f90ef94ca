#pragma once
// Finding entries in the catalog working copy: the descent from the root to
// a leaf and the scan along the leaves (hfs/leaf_cursor.h), which stops where
// the chain comes back to a leaf it has met.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "hfs/catalog_records.h"
#include "hfs/hfs_context.h"

namespace korvane {

// Kinds asked of find_entry.
inline constexpr int kAnyEntry = -1;  // a directory or a file
inline constexpr int kDirectoryEntry = 1;
inline constexpr int kFileEntry = 2;
inline constexpr int kDirectoryThread = 3;  // the thread of parentID itself

struct FoundEntry {
    std::uint32_t node = 0;              // leaf node now in ctx.catalogTree.node
    std::uint16_t index = 0;             // also left in ctx.catalogTree.recordIndex
    CatalogKey key;                      // name points into ctx.catalogTree.node
    std::span<const std::uint8_t> data;  // the record data, ditto
    std::uint8_t kind() const { return data.empty() ? 0 : data[0]; }
};

// From the index node now in ctx.catalogTree.node down to the leaf where
// (parentID, name) is or would be; that leaf is left in the node buffer.
// Nothing when the descent meets a damaged node.
std::optional<std::uint32_t> descend(HfsContext& ctx, std::string_view name, std::uint32_t parentID);

// Finds the first record in parentID whose name matches name (a pattern as
// in match_name; "*" finds the first entry) and whose kind is the one asked.
// Names are in the Macintosh character set. The found record stays in
// ctx.catalogTree.node with recordIndex set, until the next read of that tree.
std::optional<FoundEntry> find_entry(HfsContext& ctx, std::string_view name, int kind, std::uint32_t parentID);

// Record ctx.catalogTree.recordIndex of the node in the buffer, or nothing.
std::optional<std::span<const std::uint8_t>> current_record(const TreeFile& tree);

// The number of entries (folders and files) that the folder dir_id's own
// record says it holds, found through its thread; nothing when either record
// is missing.
std::optional<std::uint16_t> folder_valence(HfsContext& ctx, std::uint32_t dir_id);

// 0, 1 (directory) or 2 (file): what the current directory holds under the
// PC name pc_name (Windows character set, trailing blanks ignored).
int entry_kind(HfsContext& ctx, std::string_view pc_name);

}  // namespace korvane
