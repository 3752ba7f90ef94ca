#include "hfs/node_edit.h"

#include <algorithm>
#include <cstring>

#include "util/byte_order.h"

namespace korvane {
namespace {

std::size_t table_entry(std::uint16_t i) { return kNodeSize - 2 - 2 * std::size_t{i}; }

void set_record_offset(NodeBuffer& node, std::uint16_t i, std::size_t offset) {
    store_be16(node.data() + table_entry(i), static_cast<std::uint16_t>(offset));
}

// Where the offset table begins for a node of count records.
std::size_t table_start(std::uint16_t count) { return kNodeSize - 2 * (std::size_t{count} + 1); }

}  // namespace

void init_node(NodeBuffer& node, std::int8_t kind, std::uint8_t height) {
    node.fill(0);
    node[8] = static_cast<std::uint8_t>(kind);
    node[9] = height;
    set_record_offset(node, 0, kNodeDescriptorSize);
}

void set_node_f_link(NodeBuffer& node, std::uint32_t next) { store_be32(node.data(), next); }
void set_node_b_link(NodeBuffer& node, std::uint32_t previous) { store_be32(node.data() + 4, previous); }
void set_node_record_count(NodeBuffer& node, std::uint16_t count) { store_be16(node.data() + 10, count); }

bool node_layout_sound(const NodeBuffer& node) {
    const std::uint16_t count = node_record_count(node);
    if (count > kMaxRecordsPerNode) return false;
    if (record_offset(node, 0) != kNodeDescriptorSize) return false;
    for (std::uint16_t i = 0; i < count; ++i)
        if (record_offset(node, i + 1) <= record_offset(node, i)) return false;
    return record_offset(node, count) <= table_start(count);
}

std::span<const std::uint8_t> node_record(const NodeBuffer& node, std::uint16_t i) {
    const std::uint16_t start = record_offset(node, i);
    const std::uint16_t end = record_offset(node, i + 1);
    if (i >= node_record_count(node) || end <= start || end > kNodeSize) return {};
    return {node.data() + start, std::size_t{end} - start};
}

std::vector<std::uint8_t> leaf_record(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> record(key.begin(), key.end());
    if (record.size() % 2 != 0) record.push_back(0);
    record.insert(record.end(), data.begin(), data.end());
    if (record.size() % 2 != 0) record.push_back(0);
    return record;
}

bool record_fits(const NodeBuffer& node, std::size_t recordSize) {
    const std::uint16_t count = node_record_count(node);
    if (count >= kMaxRecordsPerNode) return false;
    return record_offset(node, count) + recordSize <= table_start(count + 1);
}

bool insert_record(NodeBuffer& node, std::uint16_t index, std::span<const std::uint8_t> record) {
    const std::uint16_t count = node_record_count(node);
    if (!node_layout_sound(node) || index > count || record.empty() || !record_fits(node, record.size())) return false;
    const std::size_t at = record_offset(node, index);
    const std::size_t end = record_offset(node, count);
    std::memmove(node.data() + at + record.size(), node.data() + at, end - at);
    std::memcpy(node.data() + at, record.data(), record.size());
    for (std::uint16_t i = count + 1; i > index; --i)
        set_record_offset(node, i, record_offset(node, i - 1) + record.size());
    set_node_record_count(node, count + 1);
    return true;
}

bool remove_record(NodeBuffer& node, std::uint16_t index) {
    const std::uint16_t count = node_record_count(node);
    if (!node_layout_sound(node) || index >= count) return false;
    const std::size_t at = record_offset(node, index);
    const std::size_t length = record_offset(node, index + 1) - at;
    const std::size_t end = record_offset(node, count);
    std::memmove(node.data() + at, node.data() + at + length, end - at - length);
    std::memset(node.data() + end - length, 0, length);
    for (std::uint16_t i = index; i < count; ++i) set_record_offset(node, i, record_offset(node, i + 1) - length);
    set_record_offset(node, count, 0);
    set_node_record_count(node, count - 1);
    return true;
}

bool replace_record(NodeBuffer& node, std::uint16_t index, std::span<const std::uint8_t> record) {
    if (!node_layout_sound(node) || index >= node_record_count(node)) return false;
    const std::span<const std::uint8_t> old = node_record(node, index);
    if (old.size() != record.size()) return false;
    std::memcpy(node.data() + record_offset(node, index), record.data(), record.size());
    return true;
}

bool move_records(std::uint16_t to, std::uint16_t from, NodeBuffer& destination, const NodeBuffer& source) {
    const std::uint16_t count = node_record_count(source);
    if (!node_layout_sound(source) || from > count || to > kMaxRecordsPerNode) return false;
    const std::size_t start = to == 0 ? kNodeDescriptorSize : record_offset(destination, to);
    const std::size_t first = record_offset(source, from);
    const std::size_t length = record_offset(source, count) - first;
    const auto moved = static_cast<std::uint16_t>(count - from);
    if (std::size_t{to} + moved > kMaxRecordsPerNode || start < kNodeDescriptorSize ||
        start + length > table_start(static_cast<std::uint16_t>(to + moved)))
        return false;
    // source and destination may be the same node (closing a gap).
    std::memmove(destination.data() + start, source.data() + first, length);
    for (std::uint16_t k = 0; k <= moved; ++k)
        set_record_offset(destination, to + k, start + record_offset(source, from + k) - first);
    return true;
}

void keep_records(NodeBuffer& node, std::uint16_t keep) {
    const std::uint16_t count = node_record_count(node);
    if (keep >= count) return;
    const std::size_t end = record_offset(node, keep);
    std::memset(node.data() + end, 0, table_start(count) - end);
    for (std::uint16_t i = keep + 1; i <= count; ++i) set_record_offset(node, i, 0);
    set_node_record_count(node, keep);
}

}  // namespace korvane
