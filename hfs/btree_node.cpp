#include "hfs/btree_node.h"

#include "util/byte_order.h"

namespace korvane {

std::uint32_t node_f_link(const NodeBuffer& node) { return load_be32(node.data()); }
std::uint32_t node_b_link(const NodeBuffer& node) { return load_be32(node.data() + 4); }
std::int8_t node_kind(const NodeBuffer& node) { return static_cast<std::int8_t>(node[8]); }
std::uint8_t node_height(const NodeBuffer& node) { return node[9]; }
std::uint16_t node_record_count(const NodeBuffer& node) { return load_be16(node.data() + 10); }

std::uint16_t record_offset(const NodeBuffer& node, std::uint16_t i) {
    if (i > kMaxRecordsPerNode) return 0;
    return load_be16(node.data() + kNodeSize - 2 - 2 * std::size_t{i});
}

std::optional<std::span<const std::uint8_t>> record_bytes(const NodeBuffer& node, std::uint16_t i) {
    const std::uint16_t count = node_record_count(node);
    if (i >= count || count > kMaxRecordsPerNode) return std::nullopt;
    // Records end where the offset table begins (one entry per record plus
    // the free-space entry).
    const std::size_t table_start = kNodeSize - 2 * (std::size_t{count} + 1);
    const std::size_t offset = record_offset(node, i);
    if (offset < kNodeDescriptorSize || offset >= table_start) return std::nullopt;
    return std::span<const std::uint8_t>(node.data() + offset, table_start - offset);
}

std::uint16_t tree_depth(const NodeBuffer& h) { return load_be16(h.data() + header::depth); }
std::uint32_t tree_root_node(const NodeBuffer& h) { return load_be32(h.data() + header::rootNode); }
std::uint32_t tree_leaf_records(const NodeBuffer& h) { return load_be32(h.data() + header::leafRecords); }
std::uint32_t tree_first_leaf(const NodeBuffer& h) { return load_be32(h.data() + header::firstLeaf); }
std::uint32_t tree_last_leaf(const NodeBuffer& h) { return load_be32(h.data() + header::lastLeaf); }
std::uint32_t tree_total_nodes(const NodeBuffer& h) { return load_be32(h.data() + header::total_nodes); }
std::uint32_t tree_free_nodes(const NodeBuffer& h) { return load_be32(h.data() + header::freeNodes); }

void repair_free_nodes(NodeBuffer& h) {
    if (tree_free_nodes(h) > tree_total_nodes(h)) store_be32(h.data() + header::freeNodes, 0);
}

}  // namespace korvane
