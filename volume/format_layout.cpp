#include "volume/format_layout.h"

#include <algorithm>
#include <string>

#include "hfs/btree_node.h"
#include "hfs/catalog_records.h"
#include "hfs/mdb_image.h"
#include "util/byte_order.h"
#include "volume/partition_map.h"

namespace korvane {
namespace {

constexpr std::uint32_t kLargestBlockCount = 65535;
constexpr std::uint64_t kLargestForkBytes = 0x7FFFFFFF;
// Sectors at the end of the volume the block count leaves out: the alternate
// header, the sector after it and slack, as the layout has always kept them.
constexpr std::uint32_t kReservedVolumeSectors = 20;
// The desktop files need a few blocks beyond both tree files.
constexpr std::uint32_t kDesktopFileBlocks = 16;
constexpr std::uint32_t kHeaderMapNodes = header::allocationMapSize * 8;
// A map node's record runs from the descriptor to its two offsets and two
// spare bytes: 492 bytes, 3936 nodes.
constexpr std::uint16_t kMapRecordStart = kNodeDescriptorSize;
constexpr std::uint16_t kMapRecordEnd = kNodeSize - 6;
constexpr std::uint32_t kMapNodeBits = (kMapRecordEnd - kMapRecordStart) * 8u;
// The header node's records: header record, reserved record, map; free space.
constexpr std::array<std::uint16_t, 4> kHeaderRecordOffsets{0x000E, 0x0078, 0x00F8, 0x01F8};

// Finder window of the root folder: rectangle, flags, location and view.
constexpr std::uint16_t kRootWindowTop = 80, kRootWindowLeft = 48, kRootWindowBottom = 272, kRootWindowRight = 480;
constexpr std::uint16_t kRootFinderFlags = 0x0100;
constexpr std::uint16_t kRootLocationV = 112, kRootLocationH = 584;
constexpr std::uint16_t kRootView = 0x0100;
constexpr std::uint8_t kThreadKeyLength = 7;

void store_text(std::uint8_t* field, std::string_view text) { std::copy(text.begin(), text.end(), field); }

void store_offsets(SectorBytes& node, std::span<const std::uint16_t> offsets) {
    for (std::size_t i = 0; i < offsets.size(); ++i) store_be16(node.data() + kNodeSize - 2 * (i + 1), offsets[i]);
}

void store_descriptor(SectorBytes& node, std::uint32_t fLink, std::int8_t kind, std::uint8_t height,
                      std::uint16_t records) {
    store_be32(node.data(), fLink);
    node[8] = static_cast<std::uint8_t>(kind);
    node[9] = height;
    store_be16(node.data() + 10, records);
}

void mark_nodes_used(SectorBytes& node, std::size_t mapOffset, std::uint32_t count) {
    for (std::uint32_t n = 0; n < count; ++n) node[mapOffset + n / 8] |= static_cast<std::uint8_t>(0x80u >> (n % 8));
}

// Map nodes beyond the header's own map, so that every node of the file is mapped.
std::uint32_t map_nodes_needed(std::uint32_t total_nodes) {
    if (total_nodes <= kHeaderMapNodes) return 0;
    return (total_nodes - kHeaderMapNodes + kMapNodeBits - 1) / kMapNodeBits;
}

struct TreeShape {
    std::uint32_t total_nodes = 0;
    std::uint32_t fixedNodes = 1;  // the header, and the root leaf of the catalog
    std::uint16_t maxKeyLength = 0;
    bool catalog = false;
};

SectorBytes tree_header_node(const TreeShape& tree, std::uint32_t mapNodes) {
    SectorBytes node{};
    const std::uint32_t used = tree.fixedNodes + mapNodes;
    store_descriptor(node, mapNodes > 0 ? tree.fixedNodes : 0, kHeaderNode, 0, 3);
    std::uint8_t* h = node.data();
    if (tree.catalog) {
        store_be16(h + header::depth, 1);
        store_be32(h + header::rootNode, 1);
        store_be32(h + header::leafRecords, 2);
        store_be32(h + header::firstLeaf, 1);
        store_be32(h + header::lastLeaf, 1);
    }
    store_be16(h + header::nodeSize, kNodeSize);
    store_be16(h + header::maxKeyLength, tree.maxKeyLength);
    store_be32(h + header::total_nodes, tree.total_nodes);
    store_be32(h + header::freeNodes, tree.total_nodes - used);
    mark_nodes_used(node, header::allocation_map, used);
    store_offsets(node, kHeaderRecordOffsets);
    return node;
}

// Map node i (0 = the first) of a tree: its record maps the nodes after those
// the header and the map nodes before it map; all of them are free.
SectorBytes map_node(const TreeShape& tree, std::uint32_t i, std::uint32_t mapNodes) {
    SectorBytes node{};
    const std::uint32_t next = i + 1 < mapNodes ? tree.fixedNodes + i + 1 : 0;
    store_descriptor(node, next, kMapNode, 0, 1);
    const std::array<std::uint16_t, 2> offsets{kMapRecordStart, kMapRecordEnd};
    store_offsets(node, offsets);
    return node;
}

// The key of a catalog leaf record at node offset at; returns the offset of
// the record data after it.
std::size_t store_catalog_key(SectorBytes& node, std::size_t at, std::uint8_t keyLength, std::uint32_t parentID,
                              std::string_view name) {
    node[at] = keyLength;
    store_be32(node.data() + at + 2, parentID);
    node[at + 6] = static_cast<std::uint8_t>(name.size());
    store_text(node.data() + at + 7, name);
    return at + record_data_offset(keyLength);
}

SectorBytes root_leaf_node(std::string_view mac_name, std::uint32_t now) {
    SectorBytes node{};
    store_descriptor(node, 0, kLeafNode, 1, 2);
    const std::size_t folder = kNodeDescriptorSize;
    std::uint8_t* d = node.data() + store_catalog_key(node, folder, static_cast<std::uint8_t>(mac_name.size() + 6),
                                                      kRootParentID, mac_name);
    d[0] = kDirectoryRecord;
    store_be32(d + dirrec::dir_id, kRootDirectoryID);
    store_be32(d + dirrec::created, now);
    store_be32(d + dirrec::modified, now + 1);
    store_be32(d + dirrec::backedUp, now + 2);
    for (const auto& [offset, value] : {std::pair{22, kRootWindowTop},
                                        {24, kRootWindowLeft},
                                        {26, kRootWindowBottom},
                                        {28, kRootWindowRight},
                                        {30, kRootFinderFlags},
                                        {32, kRootLocationV},
                                        {34, kRootLocationH},
                                        {36, kRootView}})
        store_be16(d + offset, value);
    const std::size_t thread = static_cast<std::size_t>(d - node.data()) + kDirectoryRecordSize;
    std::uint8_t* t = node.data() + store_catalog_key(node, thread, kThreadKeyLength, kRootDirectoryID, {});
    t[0] = kDirectoryThreadRecord;
    store_be32(t + thdrec::parentID, kRootParentID);
    t[thdrec::name] = static_cast<std::uint8_t>(mac_name.size());
    store_text(t + thdrec::name + 1, mac_name);
    const std::size_t free = static_cast<std::size_t>(t - node.data()) + kThreadRecordSize;
    const std::array<std::uint16_t, 3> offsets{static_cast<std::uint16_t>(folder), static_cast<std::uint16_t>(thread),
                                               static_cast<std::uint16_t>(free)};
    store_offsets(node, offsets);
    return node;
}

SectorBytes master_directory_block(const FormatParameters& params, FormatStyle style, std::string_view mac_name,
                                   std::uint32_t now) {
    SectorBytes b{};
    std::uint8_t* m = b.data();
    const std::uint16_t blocks = format_allocation_blocks(params, style);
    const std::uint32_t treeBytes = kTreeFileBlocks * params.block_size;
    store_be16(m + mdb::drSigWord, kHfsSignature);
    store_be32(m + mdb::drCrDate, now);
    store_be32(m + mdb::drLsMod, now + 1);
    store_be32(m + mdb::drVolBkUp, now + 2);
    store_be16(m + mdb::drAtrb, kVolumeAttributesUnmounted);
    store_be16(m + mdb::drVBMSt, 3);
    store_be16(m + mdb::drNmAlBlks, blocks);
    store_be32(m + mdb::drAlBlkSiz, params.block_size);
    store_be32(m + mdb::drClpSiz, 4 * params.block_size);
    store_be16(m + mdb::drAlBlSt, static_cast<std::uint16_t>(params.bitmapSectors + 3));
    store_be32(m + mdb::drNxtCNID, 17);
    store_be16(m + mdb::drFreeBks, static_cast<std::uint16_t>(blocks - 2 * kTreeFileBlocks));
    m[mdb::drVN] = static_cast<std::uint8_t>(mac_name.size());
    store_text(m + mdb::drVN + 1, mac_name);
    for (std::size_t field : {mdb::drXTClpSiz, mdb::drCTClpSiz, mdb::drXTFlSize, mdb::drCTFlSize})
        store_be32(m + field, treeBytes);
    store_be16(m + mdb::drXTExtRec + 2, kTreeFileBlocks);
    store_be16(m + mdb::drCTExtRec, kTreeFileBlocks);
    store_be16(m + mdb::drCTExtRec + 2, kTreeFileBlocks);
    return b;
}

void add_tree_file(std::vector<SectorImage>& sectors, std::uint32_t firstSector, const TreeShape& tree,
                   std::string_view mac_name, std::uint32_t now) {
    const std::uint32_t mapNodes = map_nodes_needed(tree.total_nodes);
    sectors.push_back({firstSector, tree_header_node(tree, mapNodes)});
    if (tree.catalog) sectors.push_back({firstSector + 1, root_leaf_node(mac_name, now)});
    for (std::uint32_t i = 0; i < mapNodes; ++i)
        sectors.push_back({firstSector + tree.fixedNodes + i, map_node(tree, i, mapNodes)});
}

}  // namespace

std::optional<FormatParameters> format_parameters(std::uint32_t capacity, std::uint32_t hfsStart) {
    FormatParameters params;
    params.capacity = capacity;
    params.hfsStart = hfsStart;
    params.sectorsPerBlock = 2;
    while (capacity / params.sectorsPerBlock >= kLargestBlockCount) ++params.sectorsPerBlock;
    params.block_size = kFormatSectorBytes * params.sectorsPerBlock;
    params.bitmapSectors = (capacity / params.sectorsPerBlock) / 4096 + 1;
    // The zeroed start of the medium must hold every structure, and the
    // volume room for both tree files and the desktop files.
    const std::uint64_t structures = std::uint64_t{hfsStart} + 3ull + params.bitmapSectors + kReservedVolumeSectors +
                                     (2ull * kTreeFileBlocks + kDesktopFileBlocks) * params.sectorsPerBlock;
    if (capacity < structures) return std::nullopt;
    // Each tree file is 256 blocks, and a fork's length a signed 32-bit number:
    // this caps the medium near 512 GB.
    if (std::uint64_t{kTreeFileBlocks} * params.block_size > kLargestForkBytes) return std::nullopt;
    return params;
}

VolumeSpan volume_span(const FormatParameters& params, FormatStyle style) {
    // A bare volume takes the whole medium, up to and with its last sector.
    if (style == FormatStyle::Bare) return {0, params.capacity + 1};
    return {params.hfsStart, params.capacity - params.hfsStart};
}

std::uint32_t format_zeroed_sectors(const FormatParameters& params) {
    constexpr std::uint32_t kZeroedSectorsPerBlock = 750;
    constexpr std::uint32_t kRequest = 64;
    // Behind copied drivers the tree files may lie beyond the usual 750 blocks.
    const std::uint64_t trees =
            std::uint64_t{params.hfsStart} + 3 + params.bitmapSectors + 2ull * kTreeFileBlocks * params.sectorsPerBlock;
    const std::uint64_t zeroed =
            std::max<std::uint64_t>(std::uint64_t{kZeroedSectorsPerBlock} * params.sectorsPerBlock, trees);
    return static_cast<std::uint32_t>(
            std::min<std::uint64_t>((zeroed + kRequest - 1) / kRequest * kRequest, params.capacity));
}

std::uint16_t format_allocation_blocks(const FormatParameters& params, FormatStyle style) {
    const VolumeSpan span = volume_span(params, style);
    const std::uint32_t usable = span.sectors - params.bitmapSectors - 2 - (kReservedVolumeSectors - 2);
    return static_cast<std::uint16_t>(std::min(usable / params.sectorsPerBlock, kLargestBlockCount));
}

SectorBytes map_entry(std::uint32_t start, std::uint32_t sectors, std::string_view name, std::string_view type,
                      std::uint32_t status, std::uint32_t bootChecksum, std::uint32_t mapEntries) {
    SectorBytes e{};
    store_text(e.data() + pm::pmSig, "PM");
    store_be32(e.data() + pm::pmMapBlkCnt, mapEntries);
    store_be32(e.data() + pm::pmPyPartStart, start);
    store_be32(e.data() + pm::pmPartBlkCnt, sectors);
    store_text(e.data() + pm::pmPartName, name);
    store_text(e.data() + pm::pmParType, type);
    store_be32(e.data() + pm::pmDataCnt, sectors);
    store_be32(e.data() + pm::pmPartStatus, status);
    store_be32(e.data() + pm::pmBootCksum, bootChecksum);
    return e;
}

SectorBytes descriptor_map(const FormatParameters& params, std::span<const std::array<std::uint8_t, 8>> descriptors) {
    SectorBytes map{};
    std::uint8_t* d = map.data();
    store_text(d + ddm::sbSig, "ER");
    store_be16(d + ddm::sbBlkSize, kFormatSectorBytes);
    store_be32(d + ddm::sbBlkCount, params.capacity);
    store_be16(d + ddm::sbDrvrCount, static_cast<std::uint16_t>(descriptors.size()));
    for (std::size_t i = 0; i < descriptors.size(); ++i)
        std::copy(descriptors[i].begin(), descriptors[i].end(), d + ddm::ddBlock + 8 * i);
    return map;
}

SectorBytes hfs_map_entry(const FormatParameters& params, std::uint32_t mapEntries) {
    return map_entry(params.hfsStart, params.capacity - params.hfsStart, "MacOS", "Apple_HFS", 0x37, 0, mapEntries);
}

std::vector<SectorImage> partition_map_sectors(const FormatParameters& params) {
    std::array<std::uint8_t, 8> driver{};
    store_be32(driver.data(), kDriverPartitionStart);
    store_be16(driver.data() + 4, 13);
    store_be16(driver.data() + 6, 1);
    return {{0, descriptor_map(params, std::span(&driver, 1))},
            {1, map_entry(kMapPartitionStart, kMapPartitionSectors, "Apple", "Apple_partition_map", 0x37, 0, 3)},
            {2,
             map_entry(kDriverPartitionStart, kDriverPartitionSectors, "Macintosh", "Apple_Driver43", 0x7F, 0xFFFF, 3)},
            {3, hfs_map_entry(params, 3)}};
}

std::vector<std::uint8_t> driver_image(const FormatParameters& params) {
    std::vector<std::uint8_t> image(kDriverImageSectors * kFormatSectorBytes, 0);
    store_be32(image.data() + 24, params.capacity);
    return image;
}

std::vector<SectorImage> volume_structures(const FormatParameters& params, FormatStyle style, std::string_view mac_name,
                                           std::uint32_t now) {
    const VolumeSpan span = volume_span(params, style);
    const SectorBytes header = master_directory_block(params, style, mac_name, now);
    SectorImage bitmap{span.start + 3, {}};
    std::fill_n(bitmap.bytes.begin(), 2 * kTreeFileBlocks / 8, 0xFF);
    std::vector<SectorImage> sectors{{span.start + 2, header}, {span.start + span.sectors - 2, header}, bitmap};
    const std::uint32_t extentsStart = span.start + 3 + params.bitmapSectors;
    const std::uint32_t total_nodes = kTreeFileBlocks * params.sectorsPerBlock;
    add_tree_file(sectors, extentsStart, {total_nodes, 1, kExtentsKeyLength, false}, mac_name, now);
    add_tree_file(sectors, extentsStart + kTreeFileBlocks * params.sectorsPerBlock,
                  {total_nodes, 2, kMaxCatalogKeyLength, true}, mac_name, now);
    return sectors;
}

SectorBytes empty_tree_header(std::uint32_t total_nodes, std::uint16_t maxKeyLength) {
    return tree_header_node({total_nodes, 1, maxKeyLength, false}, 0);
}

}  // namespace korvane
