#include "hfs/btree_node.h"

#include "util/byte_order.h"

namespace korvane {

std::uint32_t nodeFLink(const NodeBuffer& node) { return loadBE32(node.data()); }
std::uint32_t nodeBLink(const NodeBuffer& node) { return loadBE32(node.data() + 4); }
std::int8_t nodeKind(const NodeBuffer& node) { return static_cast<std::int8_t>(node[8]); }
std::uint8_t nodeHeight(const NodeBuffer& node) { return node[9]; }
std::uint16_t nodeRecordCount(const NodeBuffer& node) { return loadBE16(node.data() + 10); }

std::uint16_t recordOffset(const NodeBuffer& node, std::uint16_t i) {
    if (i > kMaxRecordsPerNode) return 0;
    return loadBE16(node.data() + kNodeSize - 2 - 2 * std::size_t{i});
}

std::optional<std::span<const std::uint8_t>> recordBytes(const NodeBuffer& node, std::uint16_t i) {
    const std::uint16_t count = nodeRecordCount(node);
    if (i >= count || count > kMaxRecordsPerNode) return std::nullopt;
    // Records end where the offset table begins (one entry per record plus
    // the free-space entry).
    const std::size_t tableStart = kNodeSize - 2 * (std::size_t{count} + 1);
    const std::size_t offset = recordOffset(node, i);
    if (offset < kNodeDescriptorSize || offset >= tableStart) return std::nullopt;
    return std::span<const std::uint8_t>(node.data() + offset, tableStart - offset);
}

std::uint16_t treeDepth(const NodeBuffer& h) { return loadBE16(h.data() + header::depth); }
std::uint32_t treeRootNode(const NodeBuffer& h) { return loadBE32(h.data() + header::rootNode); }
std::uint32_t treeLeafRecords(const NodeBuffer& h) { return loadBE32(h.data() + header::leafRecords); }
std::uint32_t treeFirstLeaf(const NodeBuffer& h) { return loadBE32(h.data() + header::firstLeaf); }
std::uint32_t treeLastLeaf(const NodeBuffer& h) { return loadBE32(h.data() + header::lastLeaf); }
std::uint32_t treeTotalNodes(const NodeBuffer& h) { return loadBE32(h.data() + header::totalNodes); }
std::uint32_t treeFreeNodes(const NodeBuffer& h) { return loadBE32(h.data() + header::freeNodes); }

void repairFreeNodes(NodeBuffer& h) {
    if (treeFreeNodes(h) > treeTotalNodes(h)) storeBE32(h.data() + header::freeNodes, 0);
}

}  // namespace korvane
