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

std::optional<BitPlace> place_of(const std::vector<MapPart>& map, std::uint32_t node) {
    for (const MapPart& part : map) {
        if (node >= part.firstNode && node - part.firstNode < std::uint32_t{part.length} * 8) {
            const std::uint32_t bit = node - part.firstNode;
            return BitPlace{part, part.offset + bit / 8, static_cast<std::uint8_t>(0x80u >> (bit % 8))};
        }
    }
    return std::nullopt;
}

std::uint32_t total_nodes(const TreeFile& tree) { return tree_total_nodes(tree.header); }

void set_free_nodes(TreeFile& tree, std::uint32_t free) {
    store_be32(tree.header.data() + header::freeNodes, std::min(free, total_nodes(tree)));
}

bool set_node_bit(TreeFile& tree, const std::vector<MapPart>& map, std::uint32_t node, bool inUse) {
    const auto place = place_of(map, node);
    if (!place) return false;
    auto apply = [&](NodeBuffer& buffer) {
        buffer[place->byte] = static_cast<std::uint8_t>(inUse ? buffer[place->byte] | place->mask
                                                              : buffer[place->byte] & ~place->mask);
    };
    if (place->part.map_node == 0) {
        apply(tree.header);
        return true;
    }
    auto map_node = load_node(tree, place->part.map_node);
    if (!map_node) return false;
    apply(*map_node);
    return write_node(tree, place->part.map_node, *map_node);
}

// The first clear bit among nodes 1 .. limit - 1.
std::optional<std::uint32_t> first_clear_bit(TreeFile& tree, const std::vector<MapPart>& map, std::uint32_t limit) {
    for (const MapPart& part : map) {
        const auto buffer =
                part.map_node == 0 ? std::optional<NodeBuffer>(tree.header) : load_node(tree, part.map_node);
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

std::optional<NodeBuffer> load_node(TreeFile& tree, std::uint32_t n) {
    if (!tree.is_open() || n >= tree.node_limit()) return std::nullopt;
    // The engine reads every leaf for each change: it reads them from memory.
    if (tree.memoryCopy.size() != tree.fileSize) {
        auto contents = read_working_file(tree);
        if (!contents) return std::nullopt;
        tree.memoryCopy = std::move(*contents);
    }
    NodeBuffer buffer;
    const auto at = tree.memoryCopy.begin() + static_cast<std::ptrdiff_t>(std::size_t{n} * kNodeSize);
    std::copy(at, at + kNodeSize, buffer.begin());
    return buffer;
}

bool write_header_node(TreeFile& tree) {
    if (!tree.is_open()) return false;
    if (tree.holds_memory_copy()) {
        std::copy(tree.header.begin(), tree.header.end(), tree.memoryCopy.begin());
        return true;
    }
    return pwrite(tree.handle, tree.header.data(), kNodeSize, 0) == static_cast<ssize_t>(kNodeSize);
}

std::optional<std::vector<MapPart>> allocation_map(TreeFile& tree) {
    std::vector<MapPart> map{{0, header::allocation_map, header::allocationMapSize, 0}};
    std::uint32_t next = node_f_link(tree.header);
    while (next != 0) {
        const auto node = load_node(tree, next);
        if (!node || node_kind(*node) != kMapNode || map.size() > tree.node_limit() || !node_layout_sound(*node) ||
            node_record_count(*node) == 0)
            return std::nullopt;
        const std::uint16_t start = record_offset(*node, 0);
        const std::uint16_t end = record_offset(*node, 1);
        map.push_back({next, start, static_cast<std::uint16_t>(end - start), map_capacity(map)});
        next = node_f_link(*node);
    }
    return map;
}

std::uint32_t map_capacity(const std::vector<MapPart>& map) {
    return map.empty() ? 0 : map.back().firstNode + std::uint32_t{map.back().length} * 8;
}

std::optional<bool> node_in_use(TreeFile& tree, std::uint32_t node) {
    const auto map = allocation_map(tree);
    if (!map) return std::nullopt;
    const auto place = place_of(*map, node);
    if (!place) return std::nullopt;
    const auto buffer =
            place->part.map_node == 0 ? std::optional<NodeBuffer>(tree.header) : load_node(tree, place->part.map_node);
    if (!buffer) return std::nullopt;
    return ((*buffer)[place->byte] & place->mask) != 0;
}

std::optional<std::uint32_t> count_free_nodes(TreeFile& tree) {
    const auto map = allocation_map(tree);
    if (!map) return std::nullopt;
    std::uint32_t free = 0;
    for (const MapPart& part : *map) {
        const auto buffer =
                part.map_node == 0 ? std::optional<NodeBuffer>(tree.header) : load_node(tree, part.map_node);
        if (!buffer) return std::nullopt;
        for (std::uint32_t bit = 0; bit < std::uint32_t{part.length} * 8; ++bit) {
            const std::uint32_t node = part.firstNode + bit;
            if (node == 0) continue;
            if (node >= total_nodes(tree)) return free;
            if (((*buffer)[part.offset + bit / 8] & (0x80u >> (bit % 8))) == 0) ++free;
        }
    }
    return free;
}

std::optional<std::uint32_t> allocate_tree_node(TreeFile& tree) {
    const auto map = allocation_map(tree);
    if (!map) return std::nullopt;
    const auto node = first_clear_bit(tree, *map, std::min(total_nodes(tree), tree.node_limit()));
    if (!node || !set_node_bit(tree, *map, *node, true)) return std::nullopt;
    const std::uint32_t free = tree_free_nodes(tree.header);
    set_free_nodes(tree, free == 0 ? 0 : free - 1);
    return node;
}

bool free_tree_node(TreeFile& tree, std::uint32_t node) {
    const auto map = allocation_map(tree);
    if (!map || node == 0 || !set_node_bit(tree, *map, node, false)) return false;
    set_free_nodes(tree, tree_free_nodes(tree.header) + 1);
    NodeBuffer zeros{};
    return write_node(tree, node, zeros);
}

bool extend_allocation_map(TreeFile& tree) {
    for (;;) {
        auto map = allocation_map(tree);
        if (!map) return false;
        const std::uint32_t capacity = map_capacity(*map);
        if (capacity >= total_nodes(tree)) return true;
        // The new map node describes itself when no node the map already
        // covers is free.
        auto node = first_clear_bit(tree, *map, capacity);
        if (!node) node = capacity;
        NodeBuffer map_node;
        init_node(map_node, kMapNode, 0);
        store_be16(map_node.data() + 10, 1);
        store_be16(map_node.data() + kNodeSize - 4, kMapNodeRecordEnd);
        const MapPart& last = map->back();
        if (last.map_node == 0) {
            set_node_f_link(tree.header, *node);
        } else {
            auto previous = load_node(tree, last.map_node);
            if (!previous) return false;
            set_node_f_link(*previous, *node);
            if (!write_node(tree, last.map_node, *previous)) return false;
        }
        if (!write_node(tree, *node, map_node)) return false;
        map->push_back({*node, kNodeDescriptorSize, kMapNodeRecordEnd - kNodeDescriptorSize, capacity});
        if (!set_node_bit(tree, *map, *node, true)) return false;
        const std::uint32_t free = tree_free_nodes(tree.header);
        set_free_nodes(tree, free == 0 ? 0 : free - 1);
    }
}

}  // namespace korvane
