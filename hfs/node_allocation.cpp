#include "hfs/node_allocation.h"

#include <unistd.h>

#include <algorithm>

#include "hfs/node_edit.h"
#include "hfs/volume.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

// A map node's one record fills the node up to its two table entries and
// two spare bytes: bits for 3936 nodes.
inline constexpr std::uint16_t kMapNodeRecordEnd = kNodeSize - 6;

struct BitPlace {
    MapPart part;
    std::uint32_t byte = 0;
    std::uint8_t mask = 0;
};

std::optional<BitPlace> placeOf(const std::vector<MapPart>& map, std::uint32_t node) {
    for (const MapPart& part : map) {
        if (node >= part.firstNode && node - part.firstNode < std::uint32_t{part.length} * 8) {
            const std::uint32_t bit = node - part.firstNode;
            return BitPlace{part, part.offset + bit / 8, static_cast<std::uint8_t>(0x80u >> (bit % 8))};
        }
    }
    return std::nullopt;
}

std::uint32_t totalNodes(const TreeFile& tree) { return treeTotalNodes(tree.header); }

void setFreeNodes(TreeFile& tree, std::uint32_t free) {
    storeBE32(tree.header.data() + header::freeNodes, std::min(free, totalNodes(tree)));
}

bool setNodeBit(TreeFile& tree, const std::vector<MapPart>& map, std::uint32_t node, bool inUse) {
    const auto place = placeOf(map, node);
    if (!place) return false;
    auto apply = [&](NodeBuffer& buffer) {
        buffer[place->byte] = static_cast<std::uint8_t>(inUse ? buffer[place->byte] | place->mask
                                                                : buffer[place->byte] & ~place->mask);
    };
    if (place->part.mapNode == 0) {
        apply(tree.header);
        return true;
    }
    auto mapNode = loadNode(tree, place->part.mapNode);
    if (!mapNode) return false;
    apply(*mapNode);
    return writeNode(tree, place->part.mapNode, *mapNode);
}

// The first clear bit among nodes 1 .. limit - 1.
std::optional<std::uint32_t> firstClearBit(TreeFile& tree, const std::vector<MapPart>& map, std::uint32_t limit) {
    for (const MapPart& part : map) {
        const auto buffer = part.mapNode == 0 ? std::optional<NodeBuffer>(tree.header) : loadNode(tree, part.mapNode);
        if (!buffer) return std::nullopt;
        for (std::uint32_t bit = 0; bit < std::uint32_t{part.length} * 8; ++bit) {
            const std::uint32_t node = part.firstNode + bit;
            if (node >= limit) return std::nullopt;
            if (node == 0) continue;
            const std::uint8_t byte = (*buffer)[part.offset + bit / 8];
            if (byte == 0xFF) {
                bit |= 7;  // the whole byte is in use
                continue;
            }
            if ((byte & (0x80u >> (bit % 8))) == 0) return node;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<NodeBuffer> loadNode(TreeFile& tree, std::uint32_t n) {
    if (!tree.isOpen() || n >= tree.nodeLimit()) return std::nullopt;
    // The engine reads every leaf for each change: it reads them from memory.
    if (tree.memoryCopy.size() != tree.fileSize) {
        auto contents = readWorkingFile(tree);
        if (!contents) return std::nullopt;
        tree.memoryCopy = std::move(*contents);
    }
    NodeBuffer buffer;
    const auto at = tree.memoryCopy.begin() + static_cast<std::ptrdiff_t>(std::size_t{n} * kNodeSize);
    std::copy(at, at + kNodeSize, buffer.begin());
    return buffer;
}

bool writeHeaderNode(TreeFile& tree) {
    if (!tree.isOpen()) return false;
    if (tree.holdsMemoryCopy()) {
        std::copy(tree.header.begin(), tree.header.end(), tree.memoryCopy.begin());
        return true;
    }
    return pwrite(tree.handle, tree.header.data(), kNodeSize, 0) == static_cast<ssize_t>(kNodeSize);
}

std::optional<std::vector<MapPart>> allocationMap(TreeFile& tree) {
    std::vector<MapPart> map{{0, header::allocationMap, header::allocationMapSize, 0}};
    std::uint32_t next = nodeFLink(tree.header);
    while (next != 0) {
        const auto node = loadNode(tree, next);
        if (!node || nodeKind(*node) != kMapNode || map.size() > tree.nodeLimit() || !nodeLayoutSound(*node) ||
            nodeRecordCount(*node) == 0)
            return std::nullopt;
        const std::uint16_t start = recordOffset(*node, 0);
        const std::uint16_t end = recordOffset(*node, 1);
        map.push_back({next, start, static_cast<std::uint16_t>(end - start), mapCapacity(map)});
        next = nodeFLink(*node);
    }
    return map;
}

std::uint32_t mapCapacity(const std::vector<MapPart>& map) {
    return map.empty() ? 0 : map.back().firstNode + std::uint32_t{map.back().length} * 8;
}

std::optional<bool> nodeInUse(TreeFile& tree, std::uint32_t node) {
    const auto map = allocationMap(tree);
    if (!map) return std::nullopt;
    const auto place = placeOf(*map, node);
    if (!place) return std::nullopt;
    const auto buffer = place->part.mapNode == 0 ? std::optional<NodeBuffer>(tree.header) : loadNode(tree, place->part.mapNode);
    if (!buffer) return std::nullopt;
    return ((*buffer)[place->byte] & place->mask) != 0;
}

std::optional<std::uint32_t> countFreeNodes(TreeFile& tree) {
    const auto map = allocationMap(tree);
    if (!map) return std::nullopt;
    std::uint32_t free = 0;
    for (const MapPart& part : *map) {
        const auto buffer = part.mapNode == 0 ? std::optional<NodeBuffer>(tree.header) : loadNode(tree, part.mapNode);
        if (!buffer) return std::nullopt;
        for (std::uint32_t bit = 0; bit < std::uint32_t{part.length} * 8; ++bit) {
            const std::uint32_t node = part.firstNode + bit;
            if (node == 0) continue;
            if (node >= totalNodes(tree)) return free;
            if (((*buffer)[part.offset + bit / 8] & (0x80u >> (bit % 8))) == 0) ++free;
        }
    }
    return free;
}

std::optional<std::uint32_t> allocateTreeNode(TreeFile& tree) {
    const auto map = allocationMap(tree);
    if (!map) return std::nullopt;
    const auto node = firstClearBit(tree, *map, std::min(totalNodes(tree), tree.nodeLimit()));
    if (!node || !setNodeBit(tree, *map, *node, true)) return std::nullopt;
    const std::uint32_t free = treeFreeNodes(tree.header);
    setFreeNodes(tree, free == 0 ? 0 : free - 1);
    return node;
}

bool freeTreeNode(TreeFile& tree, std::uint32_t node) {
    const auto map = allocationMap(tree);
    if (!map || node == 0 || !setNodeBit(tree, *map, node, false)) return false;
    setFreeNodes(tree, treeFreeNodes(tree.header) + 1);
    NodeBuffer zeros{};
    return writeNode(tree, node, zeros);
}

bool extendAllocationMap(TreeFile& tree) {
    for (;;) {
        auto map = allocationMap(tree);
        if (!map) return false;
        const std::uint32_t capacity = mapCapacity(*map);
        if (capacity >= totalNodes(tree)) return true;
        // The new map node describes itself when no node the map already
        // covers is free.
        auto node = firstClearBit(tree, *map, capacity);
        if (!node) node = capacity;
        NodeBuffer mapNode;
        initNode(mapNode, kMapNode, 0);
        storeBE16(mapNode.data() + 10, 1);
        storeBE16(mapNode.data() + kNodeSize - 4, kMapNodeRecordEnd);
        const MapPart& last = map->back();
        if (last.mapNode == 0) {
            setNodeFLink(tree.header, *node);
        } else {
            auto previous = loadNode(tree, last.mapNode);
            if (!previous) return false;
            setNodeFLink(*previous, *node);
            if (!writeNode(tree, last.mapNode, *previous)) return false;
        }
        if (!writeNode(tree, *node, mapNode)) return false;
        map->push_back({*node, kNodeDescriptorSize, kMapNodeRecordEnd - kNodeDescriptorSize, capacity});
        if (!setNodeBit(tree, *map, *node, true)) return false;
        const std::uint32_t free = treeFreeNodes(tree.header);
        setFreeNodes(tree, free == 0 ? 0 : free - 1);
    }
}

}  // namespace korvane
