#include "hfs/tree_descent.h"

#include <unordered_set>
#include <vector>

namespace korvane {
namespace {

// HFS trees are at most 8 levels deep; a deeper descent is a cycle.
inline constexpr int kMaxTreeDepth = 16;

// The child of one index node to follow, or nothing when the node is damaged.
// Index keys are the first keys of their children.
std::optional<std::uint32_t> child_to_follow(const NodeBuffer& node, const KeyOrder& order) {
    std::optional<std::uint32_t> previous;
    const std::uint16_t count = node_record_count(node);
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto record = record_bytes(node, i);
        if (!record) return std::nullopt;
        const auto c = order(*record);
        const auto child = index_record_child(*record);
        if (!c || !child) return std::nullopt;
        if (*c < 0) {
            previous = child;
            continue;
        }
        if (*c == 0) return child;
        return previous.value_or(*child);
    }
    return previous;
}

// The leaves in index order, from the index nodes of the given level down
// (level 1 = leaves, which are not read). False when the index is damaged.
bool collect_leaves(TreeFile& tree, std::uint32_t n, int level, std::unordered_set<std::uint32_t>& seen,
                    std::vector<std::uint32_t>& leaves) {
    if (level <= 1) {
        leaves.push_back(n);
        return true;
    }
    if (level > kMaxTreeDepth || !seen.insert(n).second) return false;
    if (!read_node(tree, n) || node_kind(tree.node) != kIndexNode) return false;
    const NodeBuffer node = tree.node;  // the children below replace the buffer
    const std::uint16_t count = node_record_count(node);
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto record = record_bytes(node, i);
        const auto child = record ? index_record_child(*record) : std::nullopt;
        if (!child || !collect_leaves(tree, *child, level - 1, seen, leaves)) return false;
    }
    return true;
}

}  // namespace

std::optional<std::uint32_t> descend_from(HfsContext& ctx, TreeFile& tree, const KeyOrder& order) {
    for (int level = 0; level < kMaxTreeDepth; ++level) {
        if (!tree.nodeValid) break;
        if (node_kind(tree.node) == kLeafNode) return tree.nodeNumber;
        const auto child = node_kind(tree.node) == kIndexNode ? child_to_follow(tree.node, order) : std::nullopt;
        if (!child || !read_node(tree, *child)) break;
    }
    ++ctx.damagedNodes;
    return std::nullopt;
}

std::optional<std::uint32_t> descend_to_leaf(HfsContext& ctx, TreeFile& tree, const KeyOrder& order) {
    const std::uint32_t root = tree_root_node(tree.header);
    const std::uint16_t depth = tree_depth(tree.header);
    if (root == 0 || depth == 0) return std::nullopt;  // an empty tree
    if (!read_node(tree, root) || (node_kind(tree.node) == kLeafNode) != (depth == 1)) {
        ++ctx.damagedNodes;
        return std::nullopt;
    }
    return descend_from(ctx, tree, order);
}

std::optional<std::uint32_t> index_successor(HfsContext& ctx, TreeFile& tree, std::uint32_t n) {
    if (!tree.indexSuccessors) {
        std::vector<std::uint32_t> leaves;
        std::unordered_set<std::uint32_t> seen;
        const std::uint32_t root = tree_root_node(tree.header);
        const int depth = tree_depth(tree.header);
        tree.indexSuccessors.emplace();
        if (root != 0 && depth > 0 && collect_leaves(tree, root, depth, seen, leaves)) {
            for (std::size_t i = 0; i < leaves.size(); ++i) {
                (*tree.indexSuccessors)[leaves[i]] = i + 1 < leaves.size() ? leaves[i + 1] : 0;
            }
        } else if (root != 0) {
            ++ctx.damagedNodes;
        }
    }
    const auto found = tree.indexSuccessors->find(n);
    if (found == tree.indexSuccessors->end()) return std::nullopt;
    return found->second;
}

}  // namespace korvane
