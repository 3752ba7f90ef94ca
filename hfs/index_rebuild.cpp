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

void set_tree_shape(TreeFile& tree, std::uint32_t root, std::uint16_t depth, std::uint32_t first, std::uint32_t last) {
    std::uint8_t* h = tree.header.data();
    store_be16(h + 12, 0);  // the word before depth
    store_be16(h + header::depth, depth);
    store_be32(h + header::rootNode, root);
    store_be32(h + header::firstLeaf, first);
    store_be32(h + header::lastLeaf, last);
}

// The leftmost node of each index level, from the root down.
std::vector<std::uint32_t> index_level_starts(TreeFile& tree) {
    std::vector<std::uint32_t> starts;
    std::uint32_t node = tree_root_node(tree.header);
    for (std::uint16_t height = tree_depth(tree.header); height >= 2 && height <= kMaxDepth; --height) {
        const auto buffer = load_node(tree, node);
        if (!buffer || node_kind(*buffer) != kIndexNode || node_height(*buffer) != height ||
            !node_layout_sound(*buffer) || node_record_count(*buffer) == 0)
            break;
        starts.push_back(node);
        const auto child = index_record_child(tree, node_record(*buffer, 0));
        if (!child) break;
        node = *child;
    }
    return starts;
}

// Calls visit on each node of the level that begins at start; a damaged
// sibling ends the walk.
template <typename Visit>
void walk_level(TreeFile& tree, std::uint32_t start, std::uint8_t height, Visit visit) {
    std::uint32_t node = start;
    for (std::uint32_t steps = 0; node != 0 && steps < tree.node_limit(); ++steps) {
        const auto buffer = load_node(tree, node);
        if (!buffer || node_kind(*buffer) != kIndexNode || node_height(*buffer) != height) return;
        visit(node);
        node = node_f_link(*buffer);
    }
}

void discard_index(TreeFile& tree) {
    for (std::uint32_t start : index_level_starts(tree)) {
        const auto first = load_node(tree, start);
        if (!first) continue;
        std::vector<std::uint32_t> level;
        walk_level(tree, start, node_height(*first), [&](std::uint32_t node) { level.push_back(node); });
        for (std::uint32_t node : level) free_tree_node(tree, node);
    }
    set_tree_shape(tree, tree_root_node(tree.header), tree_depth(tree.header) == 0 ? 0 : 1,
                   tree_first_leaf(tree.header), tree_last_leaf(tree.header));
}

// Builds the level above children; false when a node could not be had.
EditFault build_level(TreeFile& tree, const std::vector<LevelNode>& children, std::uint8_t height,
                      std::vector<LevelNode>& parents) {
    const std::uint16_t perNode = index_records_per_node(tree);
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < children.size(); i += perNode) {
        const auto node = allocate_tree_node(tree);
        if (!node) return EditFault::Damaged;
        numbers.push_back(*node);
    }
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        NodeBuffer node;
        init_node(node, kIndexNode, height);
        set_node_b_link(node, k == 0 ? 0 : numbers[k - 1]);
        set_node_f_link(node, k + 1 == numbers.size() ? 0 : numbers[k + 1]);
        for (std::size_t i = k * perNode; i < children.size() && i < (k + 1) * perNode; ++i) {
            const auto record = index_record_for(tree, children[i].firstRecord, children[i].number);
            if (!record || !insert_record(node, node_record_count(node), *record)) return EditFault::Damaged;
        }
        if (!write_node(tree, numbers[k], node)) return EditFault::Damaged;
        const auto first = node_record(node, 0);
        parents.push_back({numbers[k], {first.begin(), first.end()}});
    }
    return EditFault::None;
}

}  // namespace

std::optional<std::vector<std::uint32_t>> leaf_chain(TreeFile& tree) {
    std::vector<std::uint32_t> leaves;
    std::uint32_t previous = 0;
    NodeBuffer copy;
    for (std::uint32_t node = tree_first_leaf(tree.header); node != 0;) {
        // Every change walks the chain: the held copy is read in place.
        const NodeBuffer* leaf = leaves.size() < tree.node_limit() ? held_node(tree, node) : nullptr;
        if (leaf == nullptr && leaves.size() < tree.node_limit() && read_tree_node(tree, node, copy)) leaf = &copy;
        if (leaf == nullptr || node_kind(*leaf) != kLeafNode || node_height(*leaf) != 1 ||
            node_b_link(*leaf) != previous)
            return std::nullopt;
        leaves.push_back(node);
        previous = node;
        node = node_f_link(*leaf);
    }
    return leaves;
}

std::uint32_t index_node_count(TreeFile& tree) {
    std::uint32_t count = 0;
    for (std::uint32_t start : index_level_starts(tree)) {
        const auto first = load_node(tree, start);
        if (first) walk_level(tree, start, node_height(*first), [&](std::uint32_t) { ++count; });
    }
    return count;
}

std::uint32_t index_nodes_for(const TreeFile& tree, std::uint32_t leaves) {
    const std::uint32_t perNode = index_records_per_node(tree);
    std::uint32_t total = 0;
    for (std::uint32_t level = leaves; level > 1;) {
        level = (level + perNode - 1) / perNode;
        total += level;
    }
    return total;
}

EditFault rebuild_index(TreeFile& tree) {
    tree.indexCurrent = false;
    const auto leaves = leaf_chain(tree);
    if (!leaves) return EditFault::Damaged;
    discard_index(tree);
    if (leaves->empty()) {
        set_tree_shape(tree, 0, 0, 0, 0);
        if (!write_header_node(tree)) return EditFault::Damaged;
        tree.indexCurrent = true;
        return EditFault::None;
    }
    std::vector<LevelNode> level;
    for (std::uint32_t leaf : *leaves) {
        const auto buffer = load_node(tree, leaf);
        if (!buffer || node_record_count(*buffer) == 0 || !node_layout_sound(*buffer)) return EditFault::Damaged;
        const auto first = node_record(*buffer, 0);
        level.push_back({leaf, {first.begin(), first.end()}});
    }
    std::uint8_t height = 1;
    while (level.size() > 1) {
        if (height >= kMaxDepth) return EditFault::Damaged;
        std::vector<LevelNode> parents;
        if (const EditFault fault = build_level(tree, level, ++height, parents); fault != EditFault::None) return fault;
        level = std::move(parents);
    }
    set_tree_shape(tree, level.front().number, height, leaves->front(), leaves->back());
    if (!write_header_node(tree)) return EditFault::Damaged;
    tree.indexCurrent = true;
    return EditFault::None;
}

}  // namespace korvane
