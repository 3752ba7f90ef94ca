#pragma once
// Shared ground of the write engine's tests: folders made and removed through
// the engine as the folder commands will make them (directory record,
// thread, counts in the header and the parent), and the shape of a B-tree
// checked node by node.

#include <cstdint>
#include <set>
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

// What is wrong with a tree: the leaf chain (order, links, record count),
// every index record (its key is its child's first key, catalog index keys
// have length 37, children one level down), the header's fields, and the
// allocation map (in use exactly for the nodes the tree reaches).
inline std::vector<std::string> tree_shape_problems(TreeFile& tree) {
    std::vector<std::string> problems;
    auto problem = [&](const std::string& text) { problems.push_back(text); };
    std::set<std::uint32_t> reached{0};
    const auto map = allocation_map(tree);
    if (!map) return {"map chain damaged"};
    for (const MapPart& part : *map) reached.insert(part.map_node);

    std::uint32_t records = 0;
    std::vector<std::uint8_t> previousKey;
    const auto leaves = leaf_chain(tree);
    if (!leaves) return {"leaf chain damaged"};
    for (std::uint32_t leaf : *leaves) {
        reached.insert(leaf);
        const auto node = load_node(tree, leaf);
        if (!node_layout_sound(*node) || node_record_count(*node) == 0)
            problem("leaf " + std::to_string(leaf) + " unsound");
        for (std::uint16_t i = 0; i < node_record_count(*node); ++i, ++records) {
            const auto record = node_record(*node, i);
            if (!previousKey.empty() && compare_keys(tree, previousKey, record).value_or(1) >= 0)
                problem("leaf keys out of order in " + std::to_string(leaf));
            previousKey.assign(record.begin(), record.end());
        }
    }
    if (records != tree_leaf_records(tree.header))
        problem("leafRecords " + std::to_string(tree_leaf_records(tree.header)) + " for " + std::to_string(records));
    if (!leaves->empty() &&
        (tree_first_leaf(tree.header) != leaves->front() || tree_last_leaf(tree.header) != leaves->back()))
        problem("firstLeaf/lastLeaf");

    // The index, level by level from the root.
    std::vector<std::uint32_t> level{tree_root_node(tree.header)};
    for (std::uint16_t height = tree_depth(tree.header); height > 1; --height) {
        std::vector<std::uint32_t> below;
        std::uint32_t previous = 0;
        for (std::uint32_t n : level) {
            reached.insert(n);
            const auto node = load_node(tree, n);
            if (node_kind(*node) != kIndexNode || node_height(*node) != height || node_b_link(*node) != previous)
                problem("index node " + std::to_string(n) + " kind/height/link");
            if (node_record_count(*node) == 0 || node_record_count(*node) > index_records_per_node(tree))
                problem("index node " + std::to_string(n) + " record count");
            for (std::uint16_t i = 0; i < node_record_count(*node); ++i) {
                const auto record = node_record(*node, i);
                if (tree.is_catalog && record[0] != kMaxCatalogKeyLength) problem("index key length");
                const auto child = index_record_child(tree, record);
                const auto childNode = load_node(tree, *child);
                if (!childNode || compare_keys(tree, record, node_record(*childNode, 0)) != 0)
                    problem("index key of " + std::to_string(*child) + " is not its first key");
                if (node_height(*childNode) != height - 1) problem("child height");
                below.push_back(*child);
            }
            previous = n;
        }
        level = below;
    }
    if (tree_depth(tree.header) <= 1 && tree_root_node(tree.header) != tree_first_leaf(tree.header))
        problem("root of one leaf");
    if (tree_depth(tree.header) >= 1 && level != *leaves) problem("the index does not reach the leaves in order");

    std::uint32_t free = 0;
    for (std::uint32_t n = 0; n < tree_total_nodes(tree.header); ++n) {
        const bool used = node_in_use(tree, n).value_or(true);
        if (used != (reached.count(n) == 1)) problem("map bit of node " + std::to_string(n));
        free += used ? 0 : 1;
    }
    if (free != tree_free_nodes(tree.header)) problem("freeNodes");
    return problems;
}

}  // namespace korvane::testing
