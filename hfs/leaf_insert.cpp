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

bool is_sound_leaf(const NodeBuffer& node) { return node_kind(node) == kLeafNode && node_layout_sound(node); }

// The child of an index node to follow for key: the last whose key does not
// sort after it, or the first when the key sorts before them all.
std::optional<std::uint32_t> child_for(const TreeFile& tree, const NodeBuffer& node,
                                       std::span<const std::uint8_t> key) {
    std::optional<std::uint32_t> chosen;
    for (std::uint16_t i = 0; i < node_record_count(node); ++i) {
        const auto record = node_record(node, i);
        const auto order = compare_keys(tree, record, key);
        if (!order) return std::nullopt;
        if (*order > 0 && chosen) break;
        chosen = index_record_child(tree, record);
        if (!chosen || *order > 0) break;
    }
    return chosen;
}

// Position of key within one leaf: the first record that does not sort before it.
std::optional<LeafPosition> position_in_leaf(const TreeFile& tree, std::uint32_t leaf, const NodeBuffer& node,
                                             std::span<const std::uint8_t> key) {
    const std::uint16_t count = node_record_count(node);
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto order = compare_keys(tree, node_record(node, i), key);
        if (!order) return std::nullopt;
        if (*order >= 0) return LeafPosition{leaf, i, *order == 0};
    }
    return LeafPosition{leaf, count, false};
}

void set_header_field(TreeFile& tree, std::size_t offset, std::uint32_t value) {
    store_be32(tree.header.data() + offset, value);
}

EditFault start_first_leaf(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> record) {
    const auto leaf = allocate_node_for(ctx, tree);
    if (!leaf) return tree.is_catalog ? EditFault::NoCatalogRoom : EditFault::NoExtentsRoom;
    NodeBuffer node;
    init_node(node, kLeafNode, 1);
    if (!insert_record(node, 0, record)) return EditFault::Damaged;
    set_header_field(tree, header::firstLeaf, *leaf);
    set_header_field(tree, header::lastLeaf, *leaf);
    set_header_field(tree, header::rootNode, *leaf);
    store_be16(tree.header.data() + header::depth, 1);
    return write_node(tree, *leaf, node) ? EditFault::None : EditFault::Damaged;
}

// Makes the extents working copy when needed and records what the medium holds.
bool prepare_tree(HfsContext& ctx, TreeFile& tree) {
    if (!start_modification(ctx)) return false;
    if (tree.is_catalog) return true;
    if (!tree.is_open()) open_extents_tree(ctx);
    return start_extents_modification(ctx);
}

EditResult finish(HfsContext& ctx, EditFault fault, EditResult success) {
    if (fault == EditFault::None) return success;
    if (fault != EditFault::Refused) refuse_change(ctx, edit_fault_text(fault));
    return EditResult::Failed;
}

}  // namespace

std::optional<LeafPosition> find_insert_position(TreeFile& tree, std::span<const std::uint8_t> key) {
    std::uint32_t node = tree_root_node(tree.header);
    const std::uint16_t depth = tree_depth(tree.header);
    if (node == 0 || depth == 0) return LeafPosition{};
    if (depth > kMaxDepth) return std::nullopt;
    for (std::uint16_t height = depth; height > 1; --height) {
        const auto index = load_node(tree, node);
        if (!index || node_kind(*index) != kIndexNode || !node_layout_sound(*index) || node_record_count(*index) == 0)
            return std::nullopt;
        const auto child = child_for(tree, *index, key);
        if (!child) return std::nullopt;
        node = *child;
    }
    for (std::uint32_t steps = 0; steps < tree.node_limit(); ++steps) {
        const auto leaf = load_node(tree, node);
        if (!leaf || !is_sound_leaf(*leaf)) return std::nullopt;
        const auto position = position_in_leaf(tree, node, *leaf, key);
        if (!position || position->index < node_record_count(*leaf) || node_f_link(*leaf) == 0) return position;
        // An index built before a split may lead to the left of the leaf.
        const auto next = load_node(tree, node_f_link(*leaf));
        if (!next || !is_sound_leaf(*next) || node_record_count(*next) == 0) return std::nullopt;
        const auto order = compare_keys(tree, node_record(*next, 0), key);
        if (!order) return std::nullopt;
        if (*order > 0) return position;
        node = node_f_link(*leaf);
    }
    return std::nullopt;
}

std::optional<LeafPosition> find_record(TreeFile& tree, std::span<const std::uint8_t> key) {
    const auto position = find_insert_position(tree, key);
    if (!position || !position->found || !read_node(tree, position->leaf)) return std::nullopt;
    tree.recordIndex = position->index;
    return position;
}

EditFault split_leaf(HfsContext& ctx, TreeFile& tree, std::uint32_t leaf) {
    auto a = load_node(tree, leaf);
    if (!a || !is_sound_leaf(*a) || node_record_count(*a) < 2) return EditFault::Damaged;
    const auto b = allocate_node_for(ctx, tree);
    if (!b) return tree.is_catalog ? EditFault::NoCatalogRoom : EditFault::NoExtentsRoom;
    const std::uint16_t n = node_record_count(*a);
    const auto keep = static_cast<std::uint16_t>((n + 1) / 2);
    const std::uint32_t oldNext = node_f_link(*a);
    NodeBuffer right;
    init_node(right, node_kind(*a), node_height(*a));
    set_node_f_link(right, oldNext);
    set_node_b_link(right, leaf);
    if (!move_records(0, keep, right, *a)) return EditFault::Damaged;
    set_node_record_count(right, static_cast<std::uint16_t>(n - keep));
    keep_records(*a, keep);
    set_node_f_link(*a, *b);
    if (!write_node(tree, leaf, *a) || !write_node(tree, *b, right)) return EditFault::Damaged;
    if (oldNext == 0) {
        set_header_field(tree, header::lastLeaf, *b);
        return write_header_node(tree) ? EditFault::None : EditFault::Damaged;
    }
    auto next = load_node(tree, oldNext);
    if (!next) return EditFault::Damaged;
    set_node_b_link(*next, *b);
    return write_node(tree, oldNext, *next) ? EditFault::None : EditFault::Damaged;
}

// The index holds each leaf's number and first key, nothing else: a record
// added or removed behind a leaf's first one, with no split, leaves it as a
// rebuild would make it again (a thousand files copied into one folder would
// otherwise rebuild it a thousand times).
bool keeps_index(const TreeFile& tree, int splits, std::uint16_t index) {
    return tree.indexCurrent && splits == 0 && index > 0;
}

EditFault insert_into_tree(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                           std::span<const std::uint8_t> data, bool& existed) {
    existed = false;
    const std::vector<std::uint8_t> record = leaf_record(key, data);
    if (record.size() > kLargestRecord) return EditFault::Damaged;
    const auto first = find_insert_position(tree, key);
    if (!first) return EditFault::Damaged;
    if (first->found) {
        existed = true;
        return EditFault::None;
    }
    // Room for two splits and the index they lead to, before anything changes.
    if (const EditFault fault = ensure_free_nodes(ctx, tree, 2); fault != EditFault::None) return fault;
    for (int splits = 0; splits <= 2; ++splits) {
        const auto position = find_insert_position(tree, key);
        if (!position) return EditFault::Damaged;
        if (position->leaf == 0) {
            const EditFault fault = start_first_leaf(ctx, tree, record);
            return fault != EditFault::None ? fault : rebuild_index(tree);
        }
        auto leaf = load_node(tree, position->leaf);
        if (!leaf || !is_sound_leaf(*leaf)) return EditFault::Damaged;
        if (insert_record(*leaf, position->index, record)) {
            if (!write_node(tree, position->leaf, *leaf)) return EditFault::Damaged;
            return keeps_index(tree, splits, position->index) ? EditFault::None : rebuild_index(tree);
        }
        if (const EditFault fault = split_leaf(ctx, tree, position->leaf); fault != EditFault::None) return fault;
    }
    return EditFault::Damaged;
}

EditFault remove_from_tree(HfsContext&, TreeFile& tree, std::span<const std::uint8_t> key, bool& missing) {
    const auto position = find_insert_position(tree, key);
    if (!position) return EditFault::Damaged;
    missing = !position->found;
    if (missing) return EditFault::None;
    auto leaf = load_node(tree, position->leaf);
    if (!leaf || !is_sound_leaf(*leaf)) return EditFault::Damaged;
    if (node_record_count(*leaf) > 1) {
        if (!remove_record(*leaf, position->index) || !write_node(tree, position->leaf, *leaf))
            return EditFault::Damaged;
        return keeps_index(tree, 0, position->index) ? EditFault::None : rebuild_index(tree);
    }
    // The leaf becomes empty: it leaves the chain and is freed.
    const std::uint32_t previous = node_b_link(*leaf);
    const std::uint32_t next = node_f_link(*leaf);
    if (!free_tree_node(tree, position->leaf)) return EditFault::Damaged;
    if (next != 0) {
        auto node = load_node(tree, next);
        if (!node) return EditFault::Damaged;
        set_node_b_link(*node, previous);
        if (!write_node(tree, next, *node)) return EditFault::Damaged;
    } else {
        set_header_field(tree, header::lastLeaf, previous);
    }
    if (previous != 0) {
        auto node = load_node(tree, previous);
        if (!node) return EditFault::Damaged;
        set_node_f_link(*node, next);
        if (!write_node(tree, previous, *node)) return EditFault::Damaged;
    } else {
        set_header_field(tree, header::firstLeaf, next);
    }
    return rebuild_index(tree);
}

EditResult insert_tree_record(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                              std::span<const std::uint8_t> data) {
    if (!prepare_tree(ctx, tree)) return EditResult::Failed;
    bool existed = false;
    const EditFault fault = insert_into_tree(ctx, tree, key, data, existed);
    return finish(ctx, fault, existed ? EditResult::Exists : EditResult::Done);
}

EditResult delete_tree_record(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key) {
    if (!prepare_tree(ctx, tree)) return EditResult::Failed;
    bool missing = false;
    const EditFault fault = remove_from_tree(ctx, tree, key, missing);
    return finish(ctx, fault, missing ? EditResult::NotFound : EditResult::Done);
}

EditResult replace_record_data(HfsContext& ctx, TreeFile& tree, std::span<const std::uint8_t> key,
                               std::span<const std::uint8_t> data) {
    if (!prepare_tree(ctx, tree)) return EditResult::Failed;
    const auto position = find_insert_position(tree, key);
    if (!position) return finish(ctx, EditFault::Damaged, EditResult::Failed);
    if (!position->found) return EditResult::NotFound;
    auto leaf = load_node(tree, position->leaf);
    if (!leaf || !is_sound_leaf(*leaf)) return finish(ctx, EditFault::Damaged, EditResult::Failed);
    // The key as stored: the caller's may differ in case.
    const auto stored = node_record(*leaf, position->index);
    if (stored.empty() || std::size_t{stored[0]} + 1 > stored.size())
        return finish(ctx, EditFault::Damaged, EditResult::Failed);
    const std::vector<std::uint8_t> stored_key(stored.begin(), stored.begin() + stored[0] + 1);
    const std::vector<std::uint8_t> record = leaf_record(stored_key, data);
    if (replace_record(*leaf, position->index, record)) {
        const bool written = write_node(tree, position->leaf, *leaf);
        return finish(ctx, written ? EditFault::None : EditFault::Damaged, EditResult::Done);
    }
    bool missing = false;
    bool existed = false;
    EditFault fault = remove_from_tree(ctx, tree, stored_key, missing);
    if (fault == EditFault::None) fault = insert_into_tree(ctx, tree, stored_key, data, existed);
    return finish(ctx, fault, EditResult::Done);
}

EditResult insert_leaf_record(HfsContext& ctx, std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
    return insert_tree_record(ctx, ctx.catalogTree, key, data);
}

EditResult append_thread_record(HfsContext& ctx, std::span<const std::uint8_t> key,
                                std::span<const std::uint8_t> thread) {
    return insert_tree_record(ctx, ctx.catalogTree, key, thread);
}

EditResult delete_record(HfsContext& ctx, std::span<const std::uint8_t> key) {
    return delete_tree_record(ctx, ctx.catalogTree, key);
}

}  // namespace korvane
