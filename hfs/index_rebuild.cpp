#include "hfs/index_rebuild.h"

#include "hfs/node_allocation.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

// HFS trees are at most 8 levels deep; anything deeper is damage.
inline constexpr std::uint16_t kMaxDepth = 16;

// A node of one level with the record that keys it in the level above.
struct LevelNode {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> firstRecord;
};

void setTreeShape(TreeFile& tree, std::uint32_t root, std::uint16_t depth, std::uint32_t first, std::uint32_t last) {
    std::uint8_t* h = tree.header.data();
    storeBE16(h + 12, 0);  // the word before depth
    storeBE16(h + header::depth, depth);
    storeBE32(h + header::rootNode, root);
    storeBE32(h + header::firstLeaf, first);
    storeBE32(h + header::lastLeaf, last);
}

// The leftmost node of each index level, from the root down.
std::vector<std::uint32_t> indexLevelStarts(TreeFile& tree) {
    std::vector<std::uint32_t> starts;
    std::uint32_t node = treeRootNode(tree.header);
    for (std::uint16_t height = treeDepth(tree.header); height >= 2 && height <= kMaxDepth; --height) {
        const auto buffer = loadNode(tree, node);
        if (!buffer || nodeKind(*buffer) != kIndexNode || nodeHeight(*buffer) != height || !nodeLayoutSound(*buffer) ||
            nodeRecordCount(*buffer) == 0)
            break;
        starts.push_back(node);
        const auto child = indexRecordChild(tree, nodeRecord(*buffer, 0));
        if (!child) break;
        node = *child;
    }
    return starts;
}

// Calls visit on each node of the level that begins at start; a damaged
// sibling ends the walk.
template <typename Visit>
void walkLevel(TreeFile& tree, std::uint32_t start, std::uint8_t height, Visit visit) {
    std::uint32_t node = start;
    for (std::uint32_t steps = 0; node != 0 && steps < tree.nodeLimit(); ++steps) {
        const auto buffer = loadNode(tree, node);
        if (!buffer || nodeKind(*buffer) != kIndexNode || nodeHeight(*buffer) != height) return;
        visit(node);
        node = nodeFLink(*buffer);
    }
}

void discardIndex(TreeFile& tree) {
    for (std::uint32_t start : indexLevelStarts(tree)) {
        const auto first = loadNode(tree, start);
        if (!first) continue;
        std::vector<std::uint32_t> level;
        walkLevel(tree, start, nodeHeight(*first), [&](std::uint32_t node) { level.push_back(node); });
        for (std::uint32_t node : level) freeTreeNode(tree, node);
    }
    setTreeShape(tree, treeRootNode(tree.header), treeDepth(tree.header) == 0 ? 0 : 1, treeFirstLeaf(tree.header),
                 treeLastLeaf(tree.header));
}

// Builds the level above children; false when a node could not be had.
EditFault buildLevel(TreeFile& tree, const std::vector<LevelNode>& children, std::uint8_t height,
                     std::vector<LevelNode>& parents) {
    const std::uint16_t perNode = indexRecordsPerNode(tree);
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < children.size(); i += perNode) {
        const auto node = allocateTreeNode(tree);
        if (!node) return EditFault::Damaged;
        numbers.push_back(*node);
    }
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        NodeBuffer node;
        initNode(node, kIndexNode, height);
        setNodeBLink(node, k == 0 ? 0 : numbers[k - 1]);
        setNodeFLink(node, k + 1 == numbers.size() ? 0 : numbers[k + 1]);
        for (std::size_t i = k * perNode; i < children.size() && i < (k + 1) * perNode; ++i) {
            const auto record = indexRecordFor(tree, children[i].firstRecord, children[i].number);
            if (!record || !insertRecord(node, nodeRecordCount(node), *record)) return EditFault::Damaged;
        }
        if (!writeNode(tree, numbers[k], node)) return EditFault::Damaged;
        const auto first = nodeRecord(node, 0);
        parents.push_back({numbers[k], {first.begin(), first.end()}});
    }
    return EditFault::None;
}

}  // namespace

std::optional<std::vector<std::uint32_t>> leafChain(TreeFile& tree) {
    std::vector<std::uint32_t> leaves;
    std::uint32_t previous = 0;
    for (std::uint32_t node = treeFirstLeaf(tree.header); node != 0;) {
        const auto leaf = leaves.size() < tree.nodeLimit() ? loadNode(tree, node) : std::nullopt;
        if (!leaf || nodeKind(*leaf) != kLeafNode || nodeHeight(*leaf) != 1 || nodeBLink(*leaf) != previous)
            return std::nullopt;
        leaves.push_back(node);
        previous = node;
        node = nodeFLink(*leaf);
    }
    return leaves;
}

std::uint32_t indexNodeCount(TreeFile& tree) {
    std::uint32_t count = 0;
    for (std::uint32_t start : indexLevelStarts(tree)) {
        const auto first = loadNode(tree, start);
        if (first) walkLevel(tree, start, nodeHeight(*first), [&](std::uint32_t) { ++count; });
    }
    return count;
}

std::uint32_t indexNodesFor(const TreeFile& tree, std::uint32_t leaves) {
    const std::uint32_t perNode = indexRecordsPerNode(tree);
    std::uint32_t total = 0;
    for (std::uint32_t level = leaves; level > 1;) {
        level = (level + perNode - 1) / perNode;
        total += level;
    }
    return total;
}

EditFault rebuildIndex(TreeFile& tree) {
    tree.indexCurrent = false;
    const auto leaves = leafChain(tree);
    if (!leaves) return EditFault::Damaged;
    discardIndex(tree);
    if (leaves->empty()) {
        setTreeShape(tree, 0, 0, 0, 0);
        if (!writeHeaderNode(tree)) return EditFault::Damaged;
        tree.indexCurrent = true;
        return EditFault::None;
    }
    std::vector<LevelNode> level;
    for (std::uint32_t leaf : *leaves) {
        const auto buffer = loadNode(tree, leaf);
        if (!buffer || nodeRecordCount(*buffer) == 0 || !nodeLayoutSound(*buffer)) return EditFault::Damaged;
        const auto first = nodeRecord(*buffer, 0);
        level.push_back({leaf, {first.begin(), first.end()}});
    }
    std::uint8_t height = 1;
    while (level.size() > 1) {
        if (height >= kMaxDepth) return EditFault::Damaged;
        std::vector<LevelNode> parents;
        if (const EditFault fault = buildLevel(tree, level, ++height, parents); fault != EditFault::None) return fault;
        level = std::move(parents);
    }
    setTreeShape(tree, level.front().number, height, leaves->front(), leaves->back());
    if (!writeHeaderNode(tree)) return EditFault::Damaged;
    tree.indexCurrent = true;
    return EditFault::None;
}

}  // namespace korvane
