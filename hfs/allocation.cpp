#include "hfs/allocation.h"

#include <unistd.h>

#include <array>
#include <cstring>

#include "hfs/fork_copy.h"
#include "hfs/index_rebuild.h"
#include "hfs/leaf_insert.h"
#include "hfs/node_allocation.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "hfs/volume_bitmap.h"
#include "hfs/working_copies.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

using ExtentRecord = std::array<std::uint8_t, kExtentRecordSize>;

// Each record adds blocks, so a fork has fewer records than a volume has blocks.
inline constexpr std::uint32_t kMaxForkRecords = 0x10000;

ExtentRecord record_of(ExtentRecordBytes bytes) {
    ExtentRecord record;
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
}

void set_descriptor(std::uint8_t* record, int i, ExtentDescriptor extent) {
    store_be16(record + 4 * i, extent.startBlock);
    store_be16(record + 4 * i + 2, extent.block_count);
}

// Puts extent after the used descriptors of a 12-byte record: joined to the
// last one when it continues it, else in the first free slot. False when
// the record is full.
bool append_to_record(std::uint8_t* record, ExtentDescriptor extent) {
    int used = 0;
    while (used < 3 && load_be16(record + 4 * used + 2) != 0) ++used;
    if (used > 0) {
        const ExtentDescriptor last{load_be16(record + 4 * (used - 1)), load_be16(record + 4 * (used - 1) + 2)};
        if (std::uint32_t{last.startBlock} + last.block_count == extent.startBlock &&
            std::uint32_t{last.block_count} + extent.block_count <= 0xFFFF) {
            set_descriptor(record, used - 1,
                           {last.startBlock, static_cast<std::uint16_t>(last.block_count + extent.block_count)});
            return true;
        }
    }
    if (used == 3) return false;
    set_descriptor(record, used, extent);
    return true;
}

std::uint32_t record_blocks(const std::uint8_t* record) {
    std::uint32_t blocks = 0;
    for (int i = 0; i < 3; ++i) blocks += load_be16(record + 4 * i + 2);
    return blocks;
}

// The fork's last overflow record, when it ends where the new extent begins
// and can take it: the leaf is changed and written.
std::optional<bool> extend_last_record(TreeFile& tree, ExtentDescriptor extent, std::uint32_t fileID,
                                       std::uint16_t forkStart, std::uint8_t forkType) {
    const auto leaves = leaf_chain(tree);
    if (!leaves) return std::nullopt;
    for (std::uint32_t leafNumber : *leaves) {
        auto leaf = load_node(tree, leafNumber);
        if (!leaf || !node_layout_sound(*leaf)) return std::nullopt;
        for (std::uint16_t i = 0; i < node_record_count(*leaf); ++i) {
            const auto bytes = node_record(*leaf, i);
            const auto key = parse_extents_key(bytes);
            if (!key || key->fileID != fileID || key->forkType != forkType || key->startBlock >= forkStart) continue;
            std::vector<std::uint8_t> record(bytes.begin(), bytes.end());
            std::uint8_t* extents = record.data() + 8;
            if (key->startBlock + record_blocks(extents) != forkStart || !append_to_record(extents, extent)) continue;
            if (!replace_record(*leaf, i, record) || !write_node(tree, leafNumber, *leaf)) return std::nullopt;
            return true;
        }
    }
    return false;
}

// Places a new extent of the catalog file, whose fork now has forkBlocks blocks.
EditFault append_catalog_extent(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t forkBlocks) {
    std::uint8_t* record = ctx.mdb.field(mdb::drCTExtRec);
    const bool overflowUsed = record_blocks(record) < forkBlocks;
    if (!overflowUsed && append_to_record(record, extent)) return EditFault::None;
    return place_extent_record(ctx, extent, kCatalogFileID, static_cast<std::uint16_t>(forkBlocks), kDataFork);
}

}  // namespace

std::uint32_t physical_sector(HfsContext& ctx, std::uint32_t logicalSector, ExtentRecordBytes first,
                              std::uint32_t fileID, std::uint8_t forkType) {
    const std::uint32_t perBlock = ctx.geometry.sectorsPerBlock;
    if (perBlock == 0) return 0;
    ExtentRecord record = record_of(first);
    std::uint32_t left = logicalSector;
    std::uint32_t sum = 0;
    for (std::uint32_t records = 0; records < kMaxForkRecords; ++records) {
        const std::uint32_t sumBefore = sum;
        for (int i = 0; i < 3; ++i) {
            const ExtentDescriptor extent = extent_descriptor(ExtentRecordBytes(record), i);
            const std::uint32_t k = std::uint32_t{extent.block_count} * perBlock;
            sum += k;
            if (k != 0 && sum > logicalSector) {
                // A damaged extent must not send a read outside the volume.
                if (!extent_inside_volume(ctx, extent)) return 0;
                return ctx.geometry.firstAllocSector + extent.startBlock * perBlock + left;
            }
            left -= k;
        }
        // A record that adds nothing cannot lead any further.
        if (fileID == kExtentsFileID || sum == sumBefore || sum / perBlock > 0xFFFF) return 0;
        const std::uint8_t* next =
                find_extent_record(ctx, fileID, static_cast<std::uint16_t>(sum / perBlock), forkType);
        if (next == nullptr) return 0;
        std::memcpy(record.data(), next, kExtentRecordSize);
    }
    return 0;
}

std::optional<std::vector<ExtentDescriptor>> fork_extents(HfsContext& ctx, ExtentRecordBytes firstRecord,
                                                          std::uint32_t fileID, std::uint8_t forkType,
                                                          std::uint32_t blocksNeeded) {
    std::vector<ExtentDescriptor> extents;
    ExtentRecord record = record_of(firstRecord);
    std::uint32_t blocks = 0;
    for (std::uint32_t records = 0; records < kMaxForkRecords; ++records) {
        for (int i = 0; i < 3 && blocks < blocksNeeded; ++i) {
            const ExtentDescriptor extent = extent_descriptor(ExtentRecordBytes(record), i);
            if (extent.block_count == 0) break;
            extents.push_back(extent);
            blocks += extent.block_count;
        }
        if (blocks >= blocksNeeded) return extents;
        if (fileID == kExtentsFileID || blocks > 0xFFFF) return std::nullopt;
        const std::uint8_t* next = find_extent_record(ctx, fileID, static_cast<std::uint16_t>(blocks), forkType);
        if (next == nullptr) return std::nullopt;
        std::memcpy(record.data(), next, kExtentRecordSize);
    }
    return std::nullopt;
}

EditFault place_extent_record(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t fileID, std::uint16_t forkStart,
                              std::uint8_t forkType) {
    TreeFile& tree = ctx.extentsTree;
    if (!tree.is_open()) open_extents_tree(ctx);
    if (!tree.is_open()) return EditFault::Damaged;
    if (!start_extents_modification(ctx)) return EditFault::Refused;
    const auto extended = extend_last_record(tree, extent, fileID, forkStart, forkType);
    if (!extended) return EditFault::Damaged;
    if (*extended) return EditFault::None;
    std::array<std::uint8_t, kExtentRecordSize> data{};
    set_descriptor(data.data(), 0, extent);
    bool existed = false;
    const EditFault fault = insert_into_tree(ctx, tree, extents_key(forkType, fileID, forkStart), data, existed);
    if (fault != EditFault::None) return fault;
    if (existed) return EditFault::Damaged;  // a record for those blocks already exists
    increment_be32(tree.header.data() + header::leafRecords);
    return write_header_node(tree) ? EditFault::None : EditFault::Damaged;
}

bool add_extent_record(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t fileID, std::uint16_t forkStart,
                       std::uint8_t forkType) {
    if (!start_modification(ctx)) return false;
    const EditFault fault = place_extent_record(ctx, extent, fileID, forkStart, forkType);
    if (fault == EditFault::None) return true;
    if (fault != EditFault::Refused) refuse_change(ctx, edit_fault_text(fault));
    return false;
}

EditFault grow_catalog(HfsContext& ctx) {
    TreeFile& tree = ctx.catalogTree;
    const std::uint32_t size = ctx.mdb.catalog_file_size();
    const std::uint32_t block_size = ctx.geometry.allocBlockSize;
    if (block_size == 0 || size % block_size != 0 || size != tree.fileSize || !load_bitmap(ctx))
        return EditFault::NoCatalogRoom;
    const std::uint64_t blocks = std::max<std::uint64_t>(1, 2 * std::uint64_t{size} / block_size);
    std::uint32_t forkBlocks = size / block_size;
    if (forkBlocks + blocks > 0xFFFF) return EditFault::NoCatalogRoom;
    // The free space may come in several runs; each is one more extent.
    for (std::uint32_t remaining = static_cast<std::uint32_t>(blocks); remaining > 0;) {
        const auto run = find_free_run(ctx, static_cast<std::uint16_t>(remaining));
        if (!run) return EditFault::NoCatalogRoom;
        mark_blocks(ctx, run->start, run->count, true);
        const EditFault fault = append_catalog_extent(ctx, {run->start, run->count}, forkBlocks);
        if (fault != EditFault::None) return fault == EditFault::NoExtentsRoom ? EditFault::NoCatalogRoom : fault;
        remaining -= run->count;
        forkBlocks += run->count;
    }
    const std::uint32_t newSize = size + static_cast<std::uint32_t>(blocks * block_size);
    const std::uint32_t added = (newSize - size) / kNodeSize;
    if (ftruncate(tree.handle, newSize) != 0) return EditFault::Damaged;
    store_be32(ctx.mdb.field(mdb::drCTFlSize), newSize);
    if (!tree.memoryCopy.empty()) tree.memoryCopy.resize(newSize, 0);
    tree.fileSize = newSize;
    store_be32(tree.header.data() + header::total_nodes, tree_total_nodes(tree.header) + added);
    store_be32(tree.header.data() + header::freeNodes, tree_free_nodes(tree.header) + added);
    if (!extend_allocation_map(tree) || !write_header_node(tree)) return EditFault::NoCatalogRoom;
    recount_free_blocks(ctx);
    return EditFault::None;
}

std::optional<std::uint32_t> allocate_node_for(HfsContext& ctx, TreeFile& tree) {
    if (auto node = allocate_tree_node(tree)) return node;
    if (!tree.is_catalog || grow_catalog(ctx) != EditFault::None) return std::nullopt;
    return allocate_tree_node(tree);
}

EditFault ensure_free_nodes(HfsContext& ctx, TreeFile& tree, std::uint32_t splits) {
    const auto leaves = leaf_chain(tree);
    if (!leaves) return EditFault::Damaged;
    const std::uint32_t newLeaves = leaves->empty() ? 1 : splits;
    const std::uint32_t needed =
            newLeaves + index_nodes_for(tree, static_cast<std::uint32_t>(leaves->size()) + newLeaves);
    const std::uint32_t reusable = index_node_count(tree);
    // Growth triples the catalog, so a few rounds always suffice when space exists.
    for (int round = 0; round < 8; ++round) {
        const auto free = count_free_nodes(tree);
        if (!free) return EditFault::Damaged;
        if (*free + reusable >= needed) return EditFault::None;
        if (!tree.is_catalog) return EditFault::NoExtentsRoom;
        if (const EditFault fault = grow_catalog(ctx); fault != EditFault::None) return fault;
    }
    return EditFault::NoCatalogRoom;
}

std::optional<std::uint32_t> allocate_catalog_node(HfsContext& ctx) {
    if (!start_modification(ctx)) return std::nullopt;
    const auto node = allocate_node_for(ctx, ctx.catalogTree);
    if (!node) refuse_change(ctx, edit_fault_text(EditFault::NoCatalogRoom));
    return node;
}

void free_catalog_node(HfsContext& ctx, std::uint32_t node) { free_tree_node(ctx.catalogTree, node); }

}  // namespace korvane
