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

ExtentRecord recordOf(ExtentRecordBytes bytes) {
    ExtentRecord record;
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
}

void setDescriptor(std::uint8_t* record, int i, ExtentDescriptor extent) {
    storeBE16(record + 4 * i, extent.startBlock);
    storeBE16(record + 4 * i + 2, extent.blockCount);
}

// Puts extent after the used descriptors of a 12-byte record: joined to the
// last one when it continues it, else in the first free slot. False when
// the record is full.
bool appendToRecord(std::uint8_t* record, ExtentDescriptor extent) {
    int used = 0;
    while (used < 3 && loadBE16(record + 4 * used + 2) != 0) ++used;
    if (used > 0) {
        const ExtentDescriptor last{loadBE16(record + 4 * (used - 1)), loadBE16(record + 4 * (used - 1) + 2)};
        if (std::uint32_t{last.startBlock} + last.blockCount == extent.startBlock &&
            std::uint32_t{last.blockCount} + extent.blockCount <= 0xFFFF) {
            setDescriptor(record, used - 1, {last.startBlock, static_cast<std::uint16_t>(last.blockCount + extent.blockCount)});
            return true;
        }
    }
    if (used == 3) return false;
    setDescriptor(record, used, extent);
    return true;
}

std::uint32_t recordBlocks(const std::uint8_t* record) {
    std::uint32_t blocks = 0;
    for (int i = 0; i < 3; ++i) blocks += loadBE16(record + 4 * i + 2);
    return blocks;
}

// The fork's last overflow record, when it ends where the new extent begins
// and can take it: the leaf is changed and written.
std::optional<bool> extendLastRecord(TreeFile& tree, ExtentDescriptor extent, std::uint32_t fileID,
                                     std::uint16_t forkStart, std::uint8_t forkType) {
    const auto leaves = leafChain(tree);
    if (!leaves) return std::nullopt;
    for (std::uint32_t leafNumber : *leaves) {
        auto leaf = loadNode(tree, leafNumber);
        if (!leaf || !nodeLayoutSound(*leaf)) return std::nullopt;
        for (std::uint16_t i = 0; i < nodeRecordCount(*leaf); ++i) {
            const auto bytes = nodeRecord(*leaf, i);
            const auto key = parseExtentsKey(bytes);
            if (!key || key->fileID != fileID || key->forkType != forkType || key->startBlock >= forkStart) continue;
            std::vector<std::uint8_t> record(bytes.begin(), bytes.end());
            std::uint8_t* extents = record.data() + 8;
            if (key->startBlock + recordBlocks(extents) != forkStart || !appendToRecord(extents, extent)) continue;
            if (!replaceRecord(*leaf, i, record) || !writeNode(tree, leafNumber, *leaf)) return std::nullopt;
            return true;
        }
    }
    return false;
}

// Places a new extent of the catalog file, whose fork now has forkBlocks blocks.
EditFault appendCatalogExtent(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t forkBlocks) {
    std::uint8_t* record = ctx.mdb.field(mdb::drCTExtRec);
    const bool overflowUsed = recordBlocks(record) < forkBlocks;
    if (!overflowUsed && appendToRecord(record, extent)) return EditFault::None;
    return placeExtentRecord(ctx, extent, kCatalogFileID, static_cast<std::uint16_t>(forkBlocks), kDataFork);
}

}  // namespace

std::uint32_t physicalSector(HfsContext& ctx, std::uint32_t logicalSector, ExtentRecordBytes first,
                             std::uint32_t fileID, std::uint8_t forkType) {
    const std::uint32_t perBlock = ctx.geometry.sectorsPerBlock;
    if (perBlock == 0) return 0;
    ExtentRecord record = recordOf(first);
    std::uint32_t left = logicalSector;
    std::uint32_t sum = 0;
    for (std::uint32_t records = 0; records < kMaxForkRecords; ++records) {
        const std::uint32_t sumBefore = sum;
        for (int i = 0; i < 3; ++i) {
            const ExtentDescriptor extent = extentDescriptor(ExtentRecordBytes(record), i);
            const std::uint32_t k = std::uint32_t{extent.blockCount} * perBlock;
            sum += k;
            if (k != 0 && sum > logicalSector) {
                // A damaged extent must not send a read outside the volume.
                if (!extentInsideVolume(ctx, extent)) return 0;
                return ctx.geometry.firstAllocSector + extent.startBlock * perBlock + left;
            }
            left -= k;
        }
        // A record that adds nothing cannot lead any further.
        if (fileID == kExtentsFileID || sum == sumBefore || sum / perBlock > 0xFFFF) return 0;
        const std::uint8_t* next = findExtentRecord(ctx, fileID, static_cast<std::uint16_t>(sum / perBlock), forkType);
        if (next == nullptr) return 0;
        std::memcpy(record.data(), next, kExtentRecordSize);
    }
    return 0;
}

std::optional<std::vector<ExtentDescriptor>> forkExtents(HfsContext& ctx, ExtentRecordBytes firstRecord,
                                                         std::uint32_t fileID, std::uint8_t forkType,
                                                         std::uint32_t blocksNeeded) {
    std::vector<ExtentDescriptor> extents;
    ExtentRecord record = recordOf(firstRecord);
    std::uint32_t blocks = 0;
    for (std::uint32_t records = 0; records < kMaxForkRecords; ++records) {
        for (int i = 0; i < 3 && blocks < blocksNeeded; ++i) {
            const ExtentDescriptor extent = extentDescriptor(ExtentRecordBytes(record), i);
            if (extent.blockCount == 0) break;
            extents.push_back(extent);
            blocks += extent.blockCount;
        }
        if (blocks >= blocksNeeded) return extents;
        if (fileID == kExtentsFileID || blocks > 0xFFFF) return std::nullopt;
        const std::uint8_t* next = findExtentRecord(ctx, fileID, static_cast<std::uint16_t>(blocks), forkType);
        if (next == nullptr) return std::nullopt;
        std::memcpy(record.data(), next, kExtentRecordSize);
    }
    return std::nullopt;
}

EditFault placeExtentRecord(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t fileID, std::uint16_t forkStart,
                            std::uint8_t forkType) {
    TreeFile& tree = ctx.extentsTree;
    if (!tree.isOpen()) openExtentsTree(ctx);
    if (!tree.isOpen()) return EditFault::Damaged;
    if (!startExtentsModification(ctx)) return EditFault::Refused;
    const auto extended = extendLastRecord(tree, extent, fileID, forkStart, forkType);
    if (!extended) return EditFault::Damaged;
    if (*extended) return EditFault::None;
    std::array<std::uint8_t, kExtentRecordSize> data{};
    setDescriptor(data.data(), 0, extent);
    bool existed = false;
    const EditFault fault = insertIntoTree(ctx, tree, extentsKey(forkType, fileID, forkStart), data, existed);
    if (fault != EditFault::None) return fault;
    if (existed) return EditFault::Damaged;  // a record for those blocks already exists
    incrementBE32(tree.header.data() + header::leafRecords);
    return writeHeaderNode(tree) ? EditFault::None : EditFault::Damaged;
}

bool addExtentRecord(HfsContext& ctx, ExtentDescriptor extent, std::uint32_t fileID, std::uint16_t forkStart,
                     std::uint8_t forkType) {
    if (!startModification(ctx)) return false;
    const EditFault fault = placeExtentRecord(ctx, extent, fileID, forkStart, forkType);
    if (fault == EditFault::None) return true;
    if (fault != EditFault::Refused) refuseChange(ctx, editFaultText(fault));
    return false;
}

EditFault growCatalog(HfsContext& ctx) {
    TreeFile& tree = ctx.catalogTree;
    const std::uint32_t size = ctx.mdb.catalogFileSize();
    const std::uint32_t blockSize = ctx.geometry.allocBlockSize;
    if (blockSize == 0 || size % blockSize != 0 || size != tree.fileSize || !loadBitmap(ctx))
        return EditFault::NoCatalogRoom;
    const std::uint64_t blocks = std::max<std::uint64_t>(1, 2 * std::uint64_t{size} / blockSize);
    std::uint32_t forkBlocks = size / blockSize;
    if (forkBlocks + blocks > 0xFFFF) return EditFault::NoCatalogRoom;
    // The free space may come in several runs; each is one more extent.
    for (std::uint32_t remaining = static_cast<std::uint32_t>(blocks); remaining > 0;) {
        const auto run = findFreeRun(ctx, static_cast<std::uint16_t>(remaining));
        if (!run) return EditFault::NoCatalogRoom;
        markBlocks(ctx, run->start, run->count, true);
        const EditFault fault = appendCatalogExtent(ctx, {run->start, run->count}, forkBlocks);
        if (fault != EditFault::None) return fault == EditFault::NoExtentsRoom ? EditFault::NoCatalogRoom : fault;
        remaining -= run->count;
        forkBlocks += run->count;
    }
    const std::uint32_t newSize = size + static_cast<std::uint32_t>(blocks * blockSize);
    const std::uint32_t added = (newSize - size) / kNodeSize;
    if (ftruncate(tree.handle, newSize) != 0) return EditFault::Damaged;
    storeBE32(ctx.mdb.field(mdb::drCTFlSize), newSize);
    if (!tree.memoryCopy.empty()) tree.memoryCopy.resize(newSize, 0);
    tree.fileSize = newSize;
    storeBE32(tree.header.data() + header::totalNodes, treeTotalNodes(tree.header) + added);
    storeBE32(tree.header.data() + header::freeNodes, treeFreeNodes(tree.header) + added);
    if (!extendAllocationMap(tree) || !writeHeaderNode(tree)) return EditFault::NoCatalogRoom;
    recountFreeBlocks(ctx);
    return EditFault::None;
}

std::optional<std::uint32_t> allocateNodeFor(HfsContext& ctx, TreeFile& tree) {
    if (auto node = allocateTreeNode(tree)) return node;
    if (!tree.isCatalog || growCatalog(ctx) != EditFault::None) return std::nullopt;
    return allocateTreeNode(tree);
}

EditFault ensureFreeNodes(HfsContext& ctx, TreeFile& tree, std::uint32_t splits) {
    const auto leaves = leafChain(tree);
    if (!leaves) return EditFault::Damaged;
    const std::uint32_t newLeaves = leaves->empty() ? 1 : splits;
    const std::uint32_t needed = newLeaves + indexNodesFor(tree, static_cast<std::uint32_t>(leaves->size()) + newLeaves);
    const std::uint32_t reusable = indexNodeCount(tree);
    // Growth triples the catalog, so a few rounds always suffice when space exists.
    for (int round = 0; round < 8; ++round) {
        const auto free = countFreeNodes(tree);
        if (!free) return EditFault::Damaged;
        if (*free + reusable >= needed) return EditFault::None;
        if (!tree.isCatalog) return EditFault::NoExtentsRoom;
        if (const EditFault fault = growCatalog(ctx); fault != EditFault::None) return fault;
    }
    return EditFault::NoCatalogRoom;
}

std::optional<std::uint32_t> allocateCatalogNode(HfsContext& ctx) {
    if (!startModification(ctx)) return std::nullopt;
    const auto node = allocateNodeFor(ctx, ctx.catalogTree);
    if (!node) refuseChange(ctx, editFaultText(EditFault::NoCatalogRoom));
    return node;
}

void freeCatalogNode(HfsContext& ctx, std::uint32_t node) { freeTreeNode(ctx.catalogTree, node); }

}  // namespace korvane
