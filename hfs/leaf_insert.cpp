#include "hfs/leaf_insert.h"

#include "hfs/allocation.h"
#include "hfs/index_rebuild.h"
#include "hfs/node_allocation.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "hfs/working_copies.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

inline constexpr std::uint16_t kMaxDepth = 16;
// A record must fit in an empty node with room for two table entries.
inline constexpr std::size_t kLargestRecord = kNodeSize - kNodeDescriptorSize - 4;

bool isSoundLeaf(const NodeBuffer& node) {
    return nodeKind(node) == kLeafNode && nodeLayoutSound(node);
}

// The child of an index node to follow for key: the last whose key does not
// sort after it, or the first when the key sorts before them all.
std::optional<std::uint32_t> childFor(const TreeFile& tree, const NodeBuffer& node, std::span<const std::uint8_t> key) {
    std::optional<std::uint32_t> chosen;
    for (std::uint16_t i = 0; i < nodeRecordCount(node); ++i) {
        const auto record = nodeRecord(node, i);
        const auto order = compareKeys(tree, record, key);
        if (!order) return std::nullopt;
        if (*order > 0 && chosen) break;
        chosen = indexRecordChild(tree, record);
        if (!chosen || *order > 0) break;
    }
    return chosen;
}

// Position of key within one leaf: the first record that does not sort before it.
std::optional<LeafPosition> positionInLeaf(const TreeFile& tree, std::uint32_t leaf, const NodeBuffer& node,
                                           std::span<const std::uint8_t> key) {
    const std::uint16_t count = nodeRecordCount(node);
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto order = compareKeys(tree, nodeRecord(node, i), key);
        if (!order) return std::nullopt;
        if (*order >= 0) return LeafPosition{leaf, i, *order == 0};
    }
    return LeafPosition{leaf, count, false};
}

void setHeaderField(TreeFile& tree, std::size_t offset, std::uint32_t value) {
    storeBE32(tree.header.data() + offset, value);
}

EditFault startFirstLeaf(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> record) {
    const auto leaf = allocateNodeFor(ctx, tree);
    if (!leaf) return tree.isCatalog ? EditFault::NoCatalogRoom : EditFault::NoExtentsRoom;
    NodeBuffer node;
    initNode(node, kLeafNode, 1);
    if (!insertRecord(node, 0, record)) return EditFault::Damaged;
    setHeaderField(tree, header::firstLeaf, *leaf);
    setHeaderField(tree, header::lastLeaf, *leaf);
    setHeaderField(tree, header::rootNode, *leaf);
    storeBE16(tree.header.data() + header::depth, 1);
    return writeNode(tree, *leaf, node) ? EditFault::None : EditFault::Damaged;
}

// Makes the extents working copy when needed and records what the medium holds.
bool prepareTree(HfsContext& ctx, TreeFile& tree) {
    if (!startModification(ctx)) return false;
    if (tree.isCatalog) return true;
    if (!tree.isOpen()) openExtentsTree(ctx);
    return startExtentsModification(ctx);
}

EditResult finish(HfsContext& ctx, EditFault fault, EditResult success) {
    if (fault == EditFault::None) return success;
    if (fault != EditFault::Refused) refuseChange(ctx, editFaultText(fault));
    return EditResult::Failed;
}

}  // namespace

std::optional<LeafPosition> findInsertPosition(TreeFile& tree, std::span<const std::uint8_t> key) {
    std::uint32_t node = treeRootNode(tree.header);
    const std::uint16_t depth = treeDepth(tree.header);
    if (node == 0 || depth == 0) return LeafPosition{};
    if (depth > kMaxDepth) return std::nullopt;
    for (std::uint16_t height = depth; height > 1; --height) {
        const auto index = loadNode(tree, node);
        if (!index || nodeKind(*index) != kIndexNode || !nodeLayoutSound(*index) || nodeRecordCount(*index) == 0)
            return std::nullopt;
        const auto child = childFor(tree, *index, key);
        if (!child) return std::nullopt;
        node = *child;
    }
    for (std::uint32_t steps = 0; steps < tree.nodeLimit(); ++steps) {
        const auto leaf = loadNode(tree, node);
        if (!leaf || !isSoundLeaf(*leaf)) return std::nullopt;
        const auto position = positionInLeaf(tree, node, *leaf, key);
        if (!position || position->index < nodeRecordCount(*leaf) || nodeFLink(*leaf) == 0) return position;
        // An index built before a split may lead to the left of the leaf.
        const auto next = loadNode(tree, nodeFLink(*leaf));
        if (!next || !isSoundLeaf(*next) || nodeRecordCount(*next) == 0) return std::nullopt;
        const auto order = compareKeys(tree, nodeRecord(*next, 0), key);
        if (!order) return std::nullopt;
        if (*order > 0) return position;
        node = nodeFLink(*leaf);
    }
    return std::nullopt;
}

std::optional<LeafPosition> findRecord(TreeFile& tree, std::span<const std::uint8_t> key) {
    const auto position = findInsertPosition(tree, key);
    if (!position || !position->found || !readNode(tree, position->leaf)) return std::nullopt;
    tree.recordIndex = position->index;
    return position;
}

EditFault splitLeaf(HfsContext& ctx, TreeFile& tree, std::uint32_t leaf) {
    auto a = loadNode(tree, leaf);
    if (!a || !isSoundLeaf(*a) || nodeRecordCount(*a) < 2) return EditFault::Damaged;
    const auto b = allocateNodeFor(ctx, tree);
    if (!b) return tree.isCatalog ? EditFault::NoCatalogRoom : EditFault::NoExtentsRoom;
    const std::uint16_t n = nodeRecordCount(*a);
    const auto keep = static_cast<std::uint16_t>((n + 1) / 2);
    const std::uint32_t oldNext = nodeFLink(*a);
    NodeBuffer right;
    initNode(right, nodeKind(*a), nodeHeight(*a));
    setNodeFLink(right, oldNext);
    setNodeBLink(right, leaf);
    if (!moveRecords(0, keep, right, *a)) return EditFault::Damaged;
    setNodeRecordCount(right, static_cast<std::uint16_t>(n - keep));
    keepRecords(*a, keep);
    setNodeFLink(*a, *b);
    if (!writeNode(tree, leaf, *a) || !writeNode(tree, *b, right)) return EditFault::Damaged;
    if (oldNext == 0) {
        setHeaderField(tree, header::lastLeaf, *b);
        return writeHeaderNode(tree) ? EditFault::None : EditFault::Damaged;
    }
    auto next = loadNode(tree, oldNext);
    if (!next) return EditFault::Damaged;
    setNodeBLink(*next, *b);
    return writeNode(tree, oldNext, *next) ? EditFault::None : EditFault::Damaged;
}

// The index holds each leaf's number and first key, nothing else: a record
// added or removed behind a leaf's first one, with no split, leaves it as a
// rebuild would make it again (a thousand files copied into one folder would
// otherwise rebuild it a thousand times).
bool keepsIndex(const TreeFile& tree, int splits, std::uint16_t index) {
    return tree.indexCurrent && splits == 0 && index > 0;
}

EditFault insertIntoTree(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                         std::span<const std::uint8_t> data, bool& existed) {
    existed = false;
    const std::vector<std::uint8_t> record = leafRecord(key, data);
    if (record.size() > kLargestRecord) return EditFault::Damaged;
    const auto first = findInsertPosition(tree, key);
    if (!first) return EditFault::Damaged;
    if (first->found) {
        existed = true;
        return EditFault::None;
    }
    // Room for two splits and the index they lead to, before anything changes.
    if (const EditFault fault = ensureFreeNodes(ctx, tree, 2); fault != EditFault::None) return fault;
    for (int splits = 0; splits <= 2; ++splits) {
        const auto position = findInsertPosition(tree, key);
        if (!position) return EditFault::Damaged;
        if (position->leaf == 0) {
            const EditFault fault = startFirstLeaf(ctx, tree, record);
            return fault != EditFault::None ? fault : rebuildIndex(tree);
        }
        auto leaf = loadNode(tree, position->leaf);
        if (!leaf || !isSoundLeaf(*leaf)) return EditFault::Damaged;
        if (insertRecord(*leaf, position->index, record)) {
            if (!writeNode(tree, position->leaf, *leaf)) return EditFault::Damaged;
            return keepsIndex(tree, splits, position->index) ? EditFault::None : rebuildIndex(tree);
        }
        if (const EditFault fault = splitLeaf(ctx, tree, position->leaf); fault != EditFault::None) return fault;
    }
    return EditFault::Damaged;
}

EditFault removeFromTree(HfsContext&, TreeFile& tree, std::span<const std::uint8_t> key, bool& missing) {
    const auto position = findInsertPosition(tree, key);
    if (!position) return EditFault::Damaged;
    missing = !position->found;
    if (missing) return EditFault::None;
    auto leaf = loadNode(tree, position->leaf);
    if (!leaf || !isSoundLeaf(*leaf)) return EditFault::Damaged;
    if (nodeRecordCount(*leaf) > 1) {
        if (!removeRecord(*leaf, position->index) || !writeNode(tree, position->leaf, *leaf)) return EditFault::Damaged;
        return keepsIndex(tree, 0, position->index) ? EditFault::None : rebuildIndex(tree);
    }
    // The leaf becomes empty: it leaves the chain and is freed.
    const std::uint32_t previous = nodeBLink(*leaf);
    const std::uint32_t next = nodeFLink(*leaf);
    if (!freeTreeNode(tree, position->leaf)) return EditFault::Damaged;
    if (next != 0) {
        auto node = loadNode(tree, next);
        if (!node) return EditFault::Damaged;
        setNodeBLink(*node, previous);
        if (!writeNode(tree, next, *node)) return EditFault::Damaged;
    } else {
        setHeaderField(tree, header::lastLeaf, previous);
    }
    if (previous != 0) {
        auto node = loadNode(tree, previous);
        if (!node) return EditFault::Damaged;
        setNodeFLink(*node, next);
        if (!writeNode(tree, previous, *node)) return EditFault::Damaged;
    } else {
        setHeaderField(tree, header::firstLeaf, next);
    }
    return rebuildIndex(tree);
}

EditResult insertTreeRecord(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                            std::span<const std::uint8_t> data) {
    if (!prepareTree(ctx, tree)) return EditResult::Failed;
    bool existed = false;
    const EditFault fault = insertIntoTree(ctx, tree, key, data, existed);
    return finish(ctx, fault, existed ? EditResult::Exists : EditResult::Done);
}

EditResult deleteTreeRecord(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key) {
    if (!prepareTree(ctx, tree)) return EditResult::Failed;
    bool missing = false;
    const EditFault fault = removeFromTree(ctx, tree, key, missing);
    return finish(ctx, fault, missing ? EditResult::NotFound : EditResult::Done);
}

EditResult replaceRecordData(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                             std::span<const std::uint8_t> data) {
    if (!prepareTree(ctx, tree)) return EditResult::Failed;
    const auto position = findInsertPosition(tree, key);
    if (!position) return finish(ctx, EditFault::Damaged, EditResult::Failed);
    if (!position->found) return EditResult::NotFound;
    auto leaf = loadNode(tree, position->leaf);
    if (!leaf || !isSoundLeaf(*leaf)) return finish(ctx, EditFault::Damaged, EditResult::Failed);
    // The key as stored: the caller's may differ in case.
    const auto stored = nodeRecord(*leaf, position->index);
    if (stored.empty() || std::size_t{stored[0]} + 1 > stored.size()) return finish(ctx, EditFault::Damaged, EditResult::Failed);
    const std::vector<std::uint8_t> storedKey(stored.begin(), stored.begin() + stored[0] + 1);
    const std::vector<std::uint8_t> record = leafRecord(storedKey, data);
    if (replaceRecord(*leaf, position->index, record)) {
        const bool written = writeNode(tree, position->leaf, *leaf);
        return finish(ctx, written ? EditFault::None : EditFault::Damaged, EditResult::Done);
    }
    bool missing = false;
    bool existed = false;
    EditFault fault = removeFromTree(ctx, tree, storedKey, missing);
    if (fault == EditFault::None) fault = insertIntoTree(ctx, tree, storedKey, data, existed);
    return finish(ctx, fault, EditResult::Done);
}

EditResult insertLeafRecord(HfsContext& ctx, std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
    return insertTreeRecord(ctx, ctx.catalogTree, key, data);
}

EditResult appendThreadRecord(HfsContext& ctx, std::span<const std::uint8_t> key, std::span<const std::uint8_t> thread) {
    return insertTreeRecord(ctx, ctx.catalogTree, key, thread);
}

EditResult deleteRecord(HfsContext& ctx, std::span<const std::uint8_t> key) {
    return deleteTreeRecord(ctx, ctx.catalogTree, key);
}

}  // namespace korvane
