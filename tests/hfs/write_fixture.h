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
inline void addValence(HfsContext& ctx, const std::vector<std::uint8_t>& key, int n) {
    TreeFile& tree = ctx.catalogTree;
    ASSERT_TRUE(findRecord(tree, key));
    const auto record = nodeRecord(tree.node, tree.recordIndex);
    std::vector<std::uint8_t> data(record.begin() + static_cast<std::ptrdiff_t>(recordDataOffset(record[0])), record.end());
    storeBE16(data.data() + dirrec::valence, static_cast<std::uint16_t>(loadBE16(data.data() + dirrec::valence) + n));
    ASSERT_EQ(replaceRecordData(ctx, tree, key, data), EditResult::Done);
}

inline void addHeaderCount(HfsContext& ctx, std::size_t offset, int n) {
    storeBE32(ctx.catalogTree.header.data() + offset, loadBE32(ctx.catalogTree.header.data() + offset) + n);
}

struct FolderKeys {
    std::vector<std::uint8_t> parentRecordKey;  // the key of the parent's own directory record
    std::uint32_t parentID = 0;
};

// Makes a folder of name in the parent; returns its ID, or 0 when the name
// is taken (nothing changed) or the engine failed.
inline std::uint32_t makeFolder(HfsContext& ctx, const FolderKeys& parent, const std::string& name) {
    const std::uint32_t id = ctx.mdb.nextCatalogID();
    std::vector<std::uint8_t> record(kDirectoryRecordSize, 0);
    record[0] = kDirectoryRecord;
    storeBE32(record.data() + dirrec::dirID, id);
    storeBE32(record.data() + dirrec::created, 0xB0000000u);
    storeBE32(record.data() + dirrec::modified, 0xB0000000u);
    if (insertLeafRecord(ctx, catalogKey(parent.parentID, name), record) != EditResult::Done) return 0;
    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kDirectoryThreadRecord;
    storeBE32(thread.data() + thdrec::parentID, parent.parentID);
    thread[thdrec::name] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), thread.begin() + thdrec::name + 1);
    if (appendThreadRecord(ctx, catalogKey(id, ""), thread) != EditResult::Done) return 0;
    incrementBE32(ctx.mdb.field(mdb::drNxtCNID));
    incrementBE32(ctx.mdb.field(mdb::drDirCnt));
    if (parent.parentID == kRootDirectoryID) incrementBE16(ctx.mdb.field(mdb::drNmRtDirs));
    addHeaderCount(ctx, header::leafRecords, 2);
    addValence(ctx, parent.parentRecordKey, 1);
    return id;
}

inline bool removeFolder(HfsContext& ctx, const FolderKeys& parent, const std::string& name, std::uint32_t id) {
    if (deleteRecord(ctx, catalogKey(parent.parentID, name)) != EditResult::Done) return false;
    if (deleteRecord(ctx, catalogKey(id, "")) != EditResult::Done) return false;
    decrementBE32(ctx.mdb.field(mdb::drDirCnt));
    if (parent.parentID == kRootDirectoryID) decrementBE16(ctx.mdb.field(mdb::drNmRtDirs));
    addHeaderCount(ctx, header::leafRecords, -2);
    addValence(ctx, parent.parentRecordKey, -1);
    return true;
}

inline FolderKeys rootFolder(const HfsContext& ctx) {
    return {catalogKey(kRootParentID, std::string(ctx.mdb.volumeName())), kRootDirectoryID};
}

// What is wrong with a tree: the leaf chain (order, links, record count),
// every index record (its key is its child's first key, catalog index keys
// have length 37, children one level down), the header's fields, and the
// allocation map (in use exactly for the nodes the tree reaches).
inline std::vector<std::string> treeShapeProblems(TreeFile& tree) {
    std::vector<std::string> problems;
    auto problem = [&](const std::string& text) { problems.push_back(text); };
    std::set<std::uint32_t> reached{0};
    const auto map = allocationMap(tree);
    if (!map) return {"map chain damaged"};
    for (const MapPart& part : *map) reached.insert(part.mapNode);

    std::uint32_t records = 0;
    std::vector<std::uint8_t> previousKey;
    const auto leaves = leafChain(tree);
    if (!leaves) return {"leaf chain damaged"};
    for (std::uint32_t leaf : *leaves) {
        reached.insert(leaf);
        const auto node = loadNode(tree, leaf);
        if (!nodeLayoutSound(*node) || nodeRecordCount(*node) == 0) problem("leaf " + std::to_string(leaf) + " unsound");
        for (std::uint16_t i = 0; i < nodeRecordCount(*node); ++i, ++records) {
            const auto record = nodeRecord(*node, i);
            if (!previousKey.empty() && compareKeys(tree, previousKey, record).value_or(1) >= 0)
                problem("leaf keys out of order in " + std::to_string(leaf));
            previousKey.assign(record.begin(), record.end());
        }
    }
    if (records != treeLeafRecords(tree.header)) problem("leafRecords " + std::to_string(treeLeafRecords(tree.header)) +
                                                         " for " + std::to_string(records));
    if (!leaves->empty() && (treeFirstLeaf(tree.header) != leaves->front() || treeLastLeaf(tree.header) != leaves->back()))
        problem("firstLeaf/lastLeaf");

    // The index, level by level from the root.
    std::vector<std::uint32_t> level{treeRootNode(tree.header)};
    for (std::uint16_t height = treeDepth(tree.header); height > 1; --height) {
        std::vector<std::uint32_t> below;
        std::uint32_t previous = 0;
        for (std::uint32_t n : level) {
            reached.insert(n);
            const auto node = loadNode(tree, n);
            if (nodeKind(*node) != kIndexNode || nodeHeight(*node) != height || nodeBLink(*node) != previous)
                problem("index node " + std::to_string(n) + " kind/height/link");
            if (nodeRecordCount(*node) == 0 || nodeRecordCount(*node) > indexRecordsPerNode(tree))
                problem("index node " + std::to_string(n) + " record count");
            for (std::uint16_t i = 0; i < nodeRecordCount(*node); ++i) {
                const auto record = nodeRecord(*node, i);
                if (tree.isCatalog && record[0] != kMaxCatalogKeyLength) problem("index key length");
                const auto child = indexRecordChild(tree, record);
                const auto childNode = loadNode(tree, *child);
                if (!childNode || compareKeys(tree, record, nodeRecord(*childNode, 0)) != 0)
                    problem("index key of " + std::to_string(*child) + " is not its first key");
                if (nodeHeight(*childNode) != height - 1) problem("child height");
                below.push_back(*child);
            }
            previous = n;
        }
        level = below;
    }
    if (treeDepth(tree.header) <= 1 && treeRootNode(tree.header) != treeFirstLeaf(tree.header)) problem("root of one leaf");
    if (treeDepth(tree.header) >= 1 && level != *leaves) problem("the index does not reach the leaves in order");

    std::uint32_t free = 0;
    for (std::uint32_t n = 0; n < treeTotalNodes(tree.header); ++n) {
        const bool used = nodeInUse(tree, n).value_or(true);
        if (used != (reached.count(n) == 1)) problem("map bit of node " + std::to_string(n));
        free += used ? 0 : 1;
    }
    if (free != treeFreeNodes(tree.header)) problem("freeNodes");
    return problems;
}

}  // namespace korvane::testing
