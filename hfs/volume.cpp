#include "hfs/volume.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "core/notices.h"
#include "hfs/drive_sectors.h"
#include "hfs/journaled_sectors.h"
#include "hfs/hfs_context.h"
#include "hfs/volume_bitmap.h"

namespace korvane {
namespace {

inline constexpr const char* kReadOnlyVolume = "This volume is opened read-only: nothing was changed.";
inline constexpr const char* kCatalogNotWhole = "The catalog could not be read completely: nothing was changed.";
inline constexpr const char* kExtentsNotWhole = "The extents file could not be read completely: nothing was changed.";
inline constexpr const char* kBitmapNotRead = "The volume bitmap could not be read: nothing was changed.";

SectorRange rangeOfVolume(HfsContext& ctx) {
    if (ctx.geometry.partitionSectors != 0) return {ctx.geometry.partitionStart, ctx.geometry.partitionSectors};
    return {0, mediumSectors(ctx)};
}

// The header, the allocation blocks and the alternate header (the range's
// second-to-last sector) must all lie inside the range, in that order.
bool volumeFitsRange(HfsContext& ctx) {
    const SectorRange& range = volumeRange(ctx);
    if (range.count < 2 || ctx.geometry.mdbSector < range.first + 2) return false;
    const std::uint64_t allocationEnd =
        ctx.geometry.firstAllocSector + std::uint64_t{ctx.mdb.allocationBlocks()} * ctx.geometry.sectorsPerBlock;
    return allocationEnd <= std::uint64_t{range.first} + range.count - 2;
}

bool restoreWorkingFile(TreeFile& tree, const MediumTree& medium) {
    if (!medium.known || !tree.isOpen()) return true;
    const auto size = static_cast<ssize_t>(medium.bytes.size());
    const bool ok = ftruncate(tree.handle, size) == 0 && pwrite(tree.handle, medium.bytes.data(), medium.bytes.size(), 0) == size;
    tree.fileSize = static_cast<std::uint32_t>(medium.bytes.size());
    tree.memoryCopy = medium.bytes;
    tree.indexCurrent = false;
    std::copy_n(medium.bytes.begin(), std::min(medium.bytes.size(), kNodeSize), tree.header.begin());
    tree.nodeValid = false;
    return ok;
}

bool recordMediumTree(const TreeFile& tree, MediumTree& medium) {
    if (medium.known) return true;
    auto bytes = readWorkingFile(tree);
    if (!bytes) return false;
    medium.bytes = std::move(*bytes);
    medium.known = true;
    return true;
}

}  // namespace

SectorDevice& volumeDevice(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (!volume.device) {
        volume.range = rangeOfVolume(ctx);
        auto drive = std::make_unique<DriveSectors>(ctx, volume.range);
        const std::string journal = selectedDriveJournal(ctx);
        if (journal.empty()) {
            volume.device = std::move(drive);
        } else {
            auto journaled = std::make_unique<JournaledSectors>(ctx, std::move(drive), journal, ctx.journal.limit);
            volume.journal = journaled.get();
            volume.device = std::move(journaled);
        }
    }
    return *volume.device;
}

const SectorRange& volumeRange(HfsContext& ctx) {
    volumeDevice(ctx);
    return ctx.volume.range;
}

// Discovery marks a volume whose header claims more than its partition holds;
// the engine checks the header against the range by itself too.
bool volumeWritable(HfsContext& ctx) { return !ctx.geometry.readOnlyVolume && volumeFitsRange(ctx); }

void forgetVolume(HfsContext& ctx) { ctx.volume = Volume{}; }

std::optional<std::vector<std::uint8_t>> readWorkingFile(const TreeFile& tree) {
    if (!tree.isOpen()) return std::nullopt;
    if (tree.memoryCopy.size() == tree.fileSize) return tree.memoryCopy;
    std::vector<std::uint8_t> bytes(tree.fileSize);
    if (pread(tree.handle, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) return std::nullopt;
    return bytes;
}

bool startModification(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (volume.modifying) return true;
    if (!volumeWritable(ctx)) return refuseChange(ctx, kReadOnlyVolume);
    const TreeFile& catalog = ctx.catalogTree;
    if (!catalog.isOpen() || !catalog.complete || !recordMediumTree(catalog, volume.mediumCatalog))
        return refuseChange(ctx, kCatalogNotWhole);
    if (!loadBitmap(ctx)) return refuseChange(ctx, kBitmapNotRead);
    if (!volume.mediumHeader) volume.mediumHeader = ctx.mdb;
    volume.modifying = true;
    return true;
}

bool startExtentsModification(HfsContext& ctx) {
    const TreeFile& extents = ctx.extentsTree;
    if (!extents.complete || !recordMediumTree(extents, ctx.volume.mediumExtents))
        return refuseChange(ctx, kExtentsNotWhole);
    return true;
}

void discardChanges(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (volume.journal) volume.journal->dropChange();
    if (volume.mediumHeader) ctx.mdb = *volume.mediumHeader;
    restoreWorkingFile(ctx.catalogTree, volume.mediumCatalog);
    restoreWorkingFile(ctx.extentsTree, volume.mediumExtents);
    releaseBitmap(ctx);
    volume.modifying = false;
}

bool refuseChange(HfsContext& ctx, const char* text) {
    const std::string refusal = ctx.volume.journal ? ctx.volume.journal->takeRefusal() : std::string();
    show_notice(ctx, refusal.empty() ? std::string(text) : refusal);
    ctx.outcome.failureReported = true;
    discardChanges(ctx);
    return false;
}

}  // namespace korvane
