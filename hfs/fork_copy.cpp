#include "hfs/fork_copy.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/notices.h"
#include "device/sector_io.h"
#include "hfs/leaf_cursor.h"
#include "hfs/tree_descent.h"
#include "hfs/working_copies.h"

namespace korvane {
namespace {

using ExtentRecord = std::array<std::uint8_t, kExtentRecordSize>;

constexpr std::uint32_t kSectorBytes = 512;
// The progress bar is worth drawing only for forks longer than five transfers.
constexpr std::uint32_t kProgressTransfers = 5;

struct ForkWalk {
    std::uint32_t remaining = 0;
    std::uint32_t blocksSoFar = 0;  // logical blocks of the fork walked so far
    std::uint32_t totalSectors = 0;
    bool showProgress = false;
    EscapePolling escape = EscapePolling::Off;
    ForkCopyResult result;
};

std::uint32_t sectors_of(std::uint64_t bytes) {
    return static_cast<std::uint32_t>((bytes + kSectorBytes - 1) / kSectorBytes);
}

// Allocation blocks moved at a time: about one transfer, at least one block.
std::uint32_t blocks_per_piece(const HfsContext& ctx) {
    const std::uint64_t transferBytes = std::uint64_t{ctx.device.sectorsPerTransfer} * kSectorBytes;
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, transferBytes / ctx.geometry.allocBlockSize));
}

// Moves a run (block_count blocks from startBlock), piece by piece, as far as
// the fork's bytes reach. False when the walk must stop here (a failed PC
// write, or Esc).
bool copy_run(HfsContext& ctx, std::uint16_t startBlock, std::uint32_t block_count, int fd, ForkWalk& walk) {
    const std::uint32_t piece = blocks_per_piece(ctx);
    for (std::uint32_t done = 0; done < block_count && walk.remaining > 0; done += piece) {
        if (walk.escape == EscapePolling::BetweenPieces && walk.result.copied > 0 && ctx.host.escape_requested()) {
            walk.result.stopped = true;
            return false;
        }
        const std::uint64_t pieceBytes =
                std::uint64_t{std::min(piece, block_count - done)} * ctx.geometry.allocBlockSize;
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(walk.remaining, pieceBytes));
        if (walk.showProgress) show_progress(ctx, sectors_of(walk.remaining), walk.totalSectors);
        const RunResult run = read_run_to_file(ctx, fd, static_cast<std::uint16_t>(startBlock + done), n);
        walk.result.unreadableSectors += run.unreadableSectors;
        if (!run.ok) {
            walk.result.pcWriteFailed = true;
            walk.result.pcWriteError = run.writeError;
            return false;
        }
        walk.remaining -= n;
        walk.result.copied += n;
    }
    return true;
}

// Copies the runs of one extent record. False when the walk must stop here
// (an extent outside the volume, a failed PC write, or Esc).
bool copy_record_runs(HfsContext& ctx, const ExtentRecord& record, int fd, ForkWalk& walk) {
    for (int i = 0; i < 3 && walk.remaining > 0; ++i) {
        const ExtentDescriptor extent = extent_descriptor(ExtentRecordBytes(record), i);
        if (extent.startBlock == 0 && extent.block_count == 0) break;
        if (!extent_inside_volume(ctx, extent)) {
            walk.result.extentOutsideVolume = true;
            return false;
        }
        walk.blocksSoFar += extent.block_count;
        if (!copy_run(ctx, extent.startBlock, extent.block_count, fd, walk)) return false;
    }
    return true;
}

}  // namespace

bool extent_inside_volume(const HfsContext& ctx, const ExtentDescriptor& extent) {
    if (std::uint32_t{extent.startBlock} + extent.block_count > ctx.mdb.allocation_blocks()) return false;
    // Reads never leave the volume's partition, whatever the header claims.
    const VolumeGeometry& g = ctx.geometry;
    if (g.partitionSectors == 0) return true;
    const std::uint64_t end =
            g.firstAllocSector + (std::uint64_t{extent.startBlock} + extent.block_count) * g.sectorsPerBlock;
    return g.firstAllocSector >= g.partitionStart && end <= std::uint64_t{g.partitionStart} + g.partitionSectors;
}

ForkCopyResult copy_fork_to_file(HfsContext& ctx, ExtentRecordBytes firstRecord, int fd, std::uint32_t fileID,
                                 std::uint32_t byteCount, std::uint8_t forkType, EscapePolling escape) {
    ForkWalk walk;
    walk.remaining = byteCount;
    walk.escape = escape;
    walk.totalSectors = sectors_of(byteCount);
    walk.showProgress = walk.totalSectors > kProgressTransfers * ctx.device.sectorsPerTransfer;
    if (ctx.geometry.allocBlockSize == 0) return walk.result;
    ExtentRecord record;
    std::copy(firstRecord.begin(), firstRecord.end(), record.begin());
    // Each record must add blocks, so a volume's block count bounds the walk
    // even when the extents tree hands back records that loop.
    for (std::uint32_t records = 0; records <= ctx.mdb.allocation_blocks(); ++records) {
        const std::uint32_t blocksBefore = walk.blocksSoFar;
        if (!copy_record_runs(ctx, record, fd, walk)) break;
        if (walk.remaining == 0) break;
        // The extents file is described by the volume header alone, and a
        // record that adds nothing cannot lead any further.
        if (fileID == kExtentsFileID || walk.blocksSoFar == blocksBefore || walk.blocksSoFar > 0xFFFF) {
            walk.result.extentsMissing = true;
            break;
        }
        const std::uint8_t* next =
                find_extent_record(ctx, fileID, static_cast<std::uint16_t>(walk.blocksSoFar), forkType);
        if (next == nullptr) {
            walk.result.extentsMissing = true;
            break;
        }
        std::memcpy(record.data(), next, kExtentRecordSize);
    }
    walk.result.complete = walk.remaining == 0;
    return walk.result;
}

const std::uint8_t* find_extent_record(HfsContext& ctx, std::uint32_t fileID, std::uint16_t startBlock,
                                       std::uint8_t forkType) {
    TreeFile& tree = ctx.extentsTree;
    if (!tree.is_open() && !open_extents_tree(ctx)) return nullptr;
    repair_free_nodes(tree.header);
    const KeyOrder order = extents_key_order(fileID, forkType, startBlock);
    const auto leaf = descend_to_leaf(ctx, tree, order);
    if (!leaf) return nullptr;
    LeafCursor cursor(ctx, tree);
    if (!cursor.start_at(*leaf)) return nullptr;
    // Keys ascend along the leaves: the search ends at the first one past the key sought.
    while (const auto record = cursor.next()) {
        const auto c = order(record->bytes);
        if (!c) {
            ++ctx.damagedNodes;
            continue;
        }
        if (*c > 0) return nullptr;
        if (*c < 0 || !parse_extents_key(record->bytes)) continue;
        if ((tree.nodeNumber != record->node || !tree.nodeValid) && !read_node(tree, record->node)) return nullptr;
        tree.recordIndex = record->index;
        const auto inNode = record_bytes(tree.node, record->index);
        return inNode ? inNode->data() + 8 : nullptr;
    }
    return nullptr;
}

}  // namespace korvane
