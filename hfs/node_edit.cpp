#include "hfs/node_edit.h"

#include <algorithm>
#include <cstring>

#include "util/byte_order.h"

namespace korvane {
namespace {

std::size_t tableEntry(std::uint16_t i) { return kNodeSize - 2 - 2 * std::size_t{i}; }

void setRecordOffset(NodeBuffer& node, std::uint16_t i, std::size_t offset) {
    storeBE16(node.data() + tableEntry(i), static_cast<std::uint16_t>(offset));
}

// Where the offset table begins for a node of count records.
std::size_t tableStart(std::uint16_t count) { return kNodeSize - 2 * (std::size_t{count} + 1); }

}  // namespace

void initNode(NodeBuffer& node, std::int8_t kind, std::uint8_t height) {
    node.fill(0);
    node[8] = static_cast<std::uint8_t>(kind);
    node[9] = height;
    setRecordOffset(node, 0, kNodeDescriptorSize);
}

void setNodeFLink(NodeBuffer& node, std::uint32_t next) { storeBE32(node.data(), next); }
void setNodeBLink(NodeBuffer& node, std::uint32_t previous) { storeBE32(node.data() + 4, previous); }
void setNodeRecordCount(NodeBuffer& node, std::uint16_t count) { storeBE16(node.data() + 10, count); }

bool nodeLayoutSound(const NodeBuffer& node) {
    const std::uint16_t count = nodeRecordCount(node);
    if (count > kMaxRecordsPerNode) return false;
    if (recordOffset(node, 0) != kNodeDescriptorSize) return false;
    for (std::uint16_t i = 0; i < count; ++i)
        if (recordOffset(node, i + 1) <= recordOffset(node, i)) return false;
    return recordOffset(node, count) <= tableStart(count);
}

std::span<const std::uint8_t> nodeRecord(const NodeBuffer& node, std::uint16_t i) {
    const std::uint16_t start = recordOffset(node, i);
    const std::uint16_t end = recordOffset(node, i + 1);
    if (i >= nodeRecordCount(node) || end <= start || end > kNodeSize) return {};
    return {node.data() + start, std::size_t{end} - start};
}

std::vector<std::uint8_t> leafRecord(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> record(key.begin(), key.end());
    if (record.size() % 2 != 0) record.push_back(0);
    record.insert(record.end(), data.begin(), data.end());
    if (record.size() % 2 != 0) record.push_back(0);
    return record;
}

bool recordFits(const NodeBuffer& node, std::size_t recordSize) {
    const std::uint16_t count = nodeRecordCount(node);
    if (count >= kMaxRecordsPerNode) return false;
    return recordOffset(node, count) + recordSize <= tableStart(count + 1);
}

bool insertRecord(NodeBuffer& node, std::uint16_t index, std::span<const std::uint8_t> record) {
    const std::uint16_t count = nodeRecordCount(node);
    if (!nodeLayoutSound(node) || index > count || record.empty() || !recordFits(node, record.size())) return false;
    const std::size_t at = recordOffset(node, index);
    const std::size_t end = recordOffset(node, count);
    std::memmove(node.data() + at + record.size(), node.data() + at, end - at);
    std::memcpy(node.data() + at, record.data(), record.size());
    for (std::uint16_t i = count + 1; i > index; --i) setRecordOffset(node, i, recordOffset(node, i - 1) + record.size());
    setNodeRecordCount(node, count + 1);
    return true;
}

bool removeRecord(NodeBuffer& node, std::uint16_t index) {
    const std::uint16_t count = nodeRecordCount(node);
    if (!nodeLayoutSound(node) || index >= count) return false;
    const std::size_t at = recordOffset(node, index);
    const std::size_t length = recordOffset(node, index + 1) - at;
    const std::size_t end = recordOffset(node, count);
    std::memmove(node.data() + at, node.data() + at + length, end - at - length);
    std::memset(node.data() + end - length, 0, length);
    for (std::uint16_t i = index; i < count; ++i) setRecordOffset(node, i, recordOffset(node, i + 1) - length);
    setRecordOffset(node, count, 0);
    setNodeRecordCount(node, count - 1);
    return true;
}

bool replaceRecord(NodeBuffer& node, std::uint16_t index, std::span<const std::uint8_t> record) {
    if (!nodeLayoutSound(node) || index >= nodeRecordCount(node)) return false;
    const std::span<const std::uint8_t> old = nodeRecord(node, index);
    if (old.size() != record.size()) return false;
    std::memcpy(node.data() + recordOffset(node, index), record.data(), record.size());
    return true;
}

bool moveRecords(std::uint16_t to, std::uint16_t from, NodeBuffer& destination, const NodeBuffer& source) {
    const std::uint16_t count = nodeRecordCount(source);
    if (!nodeLayoutSound(source) || from > count || to > kMaxRecordsPerNode) return false;
    const std::size_t start = to == 0 ? kNodeDescriptorSize : recordOffset(destination, to);
    const std::size_t first = recordOffset(source, from);
    const std::size_t length = recordOffset(source, count) - first;
    const auto moved = static_cast<std::uint16_t>(count - from);
    if (std::size_t{to} + moved > kMaxRecordsPerNode || start < kNodeDescriptorSize ||
        start + length > tableStart(static_cast<std::uint16_t>(to + moved)))
        return false;
    // source and destination may be the same node (closing a gap).
    std::memmove(destination.data() + start, source.data() + first, length);
    for (std::uint16_t k = 0; k <= moved; ++k)
        setRecordOffset(destination, to + k, start + recordOffset(source, from + k) - first);
    return true;
}

void keepRecords(NodeBuffer& node, std::uint16_t keep) {
    const std::uint16_t count = nodeRecordCount(node);
    if (keep >= count) return;
    const std::size_t end = recordOffset(node, keep);
    std::memset(node.data() + end, 0, tableStart(count) - end);
    for (std::uint16_t i = keep + 1; i <= count; ++i) setRecordOffset(node, i, 0);
    setNodeRecordCount(node, keep);
}

}  // namespace korvane
