#pragma once
// Shared ground of the write engine's tests: folders made and removed through
// the engine as the folder commands make them (directory record, thread,
// counts in the header and the parent), and the shape of a B-tree's index.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hfs/catalog_records.h"
#include "hfs/index_rebuild.h"
#include "hfs/leaf_insert.h"
#include "hfs/node_allocation.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "util/byte_order.h"

namespace korvane::testing {

// Adds n to the valence of the directory record with that key.
inline void add_valence(HfsContext& ctx, const std::vector<std::uint8_t>& key, int n) {
    TreeFile& tree = ctx.catalogTree;
    ASSERT_TRUE(find_record(tree, key));
    const auto record = node_record(tree.node, tree.recordIndex);
    std::vector<std::uint8_t> data(record.begin() + static_cast<std::ptrdiff_t>(record_data_offset(record[0])),
                                   record.end());
    store_be16(data.data() + dirrec::valence, static_cast<std::uint16_t>(load_be16(data.data() + dirrec::valence) + n));
    ASSERT_EQ(replace_record_data(ctx, tree, key, data), EditResult::Done);
}

inline void add_header_count(HfsContext& ctx, std::size_t offset, int n) {
    store_be32(ctx.catalogTree.header.data() + offset, load_be32(ctx.catalogTree.header.data() + offset) + n);
}

struct FolderKeys {
    std::vector<std::uint8_t> parentRecordKey;  // the key of the parent's own directory record
    std::uint32_t parentID = 0;
};

// Makes a folder of name in the parent; returns its ID, or 0 when the name
// is taken (nothing changed) or the engine failed.
inline std::uint32_t make_folder(HfsContext& ctx, const FolderKeys& parent, const std::string& name) {
    const std::uint32_t id = ctx.mdb.next_catalog_id();
    std::vector<std::uint8_t> record(kDirectoryRecordSize, 0);
    record[0] = kDirectoryRecord;
    store_be32(record.data() + dirrec::dir_id, id);
    store_be32(record.data() + dirrec::created, 0xB0000000u);
    store_be32(record.data() + dirrec::modified, 0xB0000000u);
    if (insert_leaf_record(ctx, catalog_key(parent.parentID, name), record) != EditResult::Done) return 0;
    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kDirectoryThreadRecord;
    store_be32(thread.data() + thdrec::parentID, parent.parentID);
    thread[thdrec::name] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), thread.begin() + thdrec::name + 1);
    if (append_thread_record(ctx, catalog_key(id, ""), thread) != EditResult::Done) return 0;
    increment_be32(ctx.mdb.field(mdb::drNxtCNID));
    increment_be32(ctx.mdb.field(mdb::drDirCnt));
    if (parent.parentID == kRootDirectoryID) increment_be16(ctx.mdb.field(mdb::drNmRtDirs));
    add_header_count(ctx, header::leafRecords, 2);
    add_valence(ctx, parent.parentRecordKey, 1);
    return id;
}

inline bool remove_folder(HfsContext& ctx, const FolderKeys& parent, const std::string& name, std::uint32_t id) {
    if (delete_record(ctx, catalog_key(parent.parentID, name)) != EditResult::Done) return false;
    if (delete_record(ctx, catalog_key(id, "")) != EditResult::Done) return false;
    decrement_be32(ctx.mdb.field(mdb::drDirCnt));
    if (parent.parentID == kRootDirectoryID) decrement_be16(ctx.mdb.field(mdb::drNmRtDirs));
    add_header_count(ctx, header::leafRecords, -2);
    add_valence(ctx, parent.parentRecordKey, -1);
    return true;
}

inline FolderKeys root_folder(const HfsContext& ctx) {
    return {catalog_key(kRootParentID, std::string(ctx.mdb.volume_name())), kRootDirectoryID};
}

// What CHECK does not hold a tree to, walking its index level by level from
// the root: each level's nodes are linked by bLink in order, hold no more
// records than the engine packs into one, and catalog index keys have the
// fixed length 37. The rest of the tree's shape (order, links and counts of
// the leaves, index keys, heights, the node map) is CHECK's, and every test
// that changes a volume runs it.
inline std::vector<std::string> tree_shape_problems(TreeFile& tree) {
    std::vector<std::string> problems;
    std::vector<std::uint32_t> level{tree_root_node(tree.header)};
    for (std::uint16_t height = tree_depth(tree.header); height > 1; --height) {
        std::vector<std::uint32_t> below;
        std::uint32_t previous = 0;
        for (std::uint32_t n : level) {
            const auto node = load_node(tree, n);
            if (!node) return {"node " + std::to_string(n) + " unreadable"};
            if (node_b_link(*node) != previous) problems.push_back("bLink of index node " + std::to_string(n));
            if (node_record_count(*node) > index_records_per_node(tree))
                problems.push_back("record count of index node " + std::to_string(n));
            for (std::uint16_t i = 0; i < node_record_count(*node); ++i) {
                const auto record = node_record(*node, i);
                if (tree.is_catalog && record[0] != kMaxCatalogKeyLength) problems.push_back("index key length");
                if (const auto child = index_record_child(tree, record)) below.push_back(*child);
            }
            previous = n;
        }
        level = below;
    }
    return problems;
}

}  // namespace korvane::testing
