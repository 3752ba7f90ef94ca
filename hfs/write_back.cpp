#include "hfs/write_back.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/allocation.h"
#include "hfs/journaled_sectors.h"
#include "hfs/node_allocation.h"
#include "hfs/volume_bitmap.h"

namespace korvane {
namespace {

inline constexpr const char* kWriteFailed =
        "Error writing to the medium: the volume on it is now out of date and may be damaged.";
inline constexpr const char* kCannotWrite = "The changes cannot be written to this volume: nothing was changed.";

// Sectors of a tree file to write, contiguous on the medium.
struct SectorRun {
    std::uint32_t sector = 0;
    std::uint32_t firstSectorOfFile = 0;
    std::uint16_t count = 0;
};

struct TreePlan {
    TreeFile* tree = nullptr;
    std::vector<std::uint8_t> contents;
    std::vector<SectorRun> runs;
};

MediumTree& medium_of(HfsContext& ctx, const TreeFile& tree) {
    return tree.is_catalog ? ctx.volume.mediumCatalog : ctx.volume.mediumExtents;
}

bool sector_changed(const std::vector<std::uint8_t>& contents, const MediumTree& medium, std::size_t sector) {
    const std::size_t at = sector * kSectorSize;
    if (!medium.known || at + kSectorSize > medium.bytes.size()) return true;
    return std::memcmp(contents.data() + at, medium.bytes.data() + at, kSectorSize) != 0;
}

// Adds sector (of the file) at medium sector to the plan, joining the previous run when it continues it.
void add_sector(TreePlan& plan, std::uint32_t fileSector, std::uint32_t mediumSector) {
    if (!plan.runs.empty()) {
        SectorRun& last = plan.runs.back();
        if (last.firstSectorOfFile + last.count == fileSector && last.sector + last.count == mediumSector &&
            last.count < 0xFFFF) {
            ++last.count;
            return;
        }
    }
    plan.runs.push_back({mediumSector, fileSector, 1});
}

// The writes that bring one tree file on the medium up to date; nothing when
// they cannot be made (a copy not read whole, extents that do not cover the
// file, sectors outside the volume).
std::optional<TreePlan> plan_tree(HfsContext& ctx, TreeFile& tree) {
    TreePlan plan{&tree, {}, {}};
    if (!tree.is_open()) return plan;
    // The engine records the extents file's medium contents before its first
    // change; a copy made since only for reading has nothing to write.
    if (!tree.is_catalog && !medium_of(ctx, tree).known) return plan;
    if (!write_header_node(tree)) return std::nullopt;
    auto contents = read_working_file(tree);
    if (!contents) return std::nullopt;
    plan.contents = std::move(*contents);
    const MediumTree& medium = medium_of(ctx, tree);
    const std::size_t sectors = plan.contents.size() / kSectorSize;
    std::vector<std::uint32_t> changed;
    for (std::size_t s = 0; s < sectors; ++s)
        if (sector_changed(plan.contents, medium, s)) changed.push_back(static_cast<std::uint32_t>(s));
    if (changed.empty()) return plan;
    // A copy with sectors that could not be read would put zeros over them.
    if (!medium.known && !tree.complete) return std::nullopt;
    const VolumeGeometry& g = ctx.geometry;
    const std::uint32_t blocksNeeded = (tree.fileSize + g.allocBlockSize - 1) / g.allocBlockSize;
    const auto extents =
            tree.is_catalog ? fork_extents(ctx, ctx.mdb.catalog_extents(), kCatalogFileID, kDataFork, blocksNeeded)
                            : fork_extents(ctx, ctx.mdb.extents_extents(), kExtentsFileID, kDataFork, blocksNeeded);
    if (!extents) return std::nullopt;
    std::size_t extent = 0;
    std::uint32_t extentFirstSector = 0;  // file sector where the current extent begins
    for (std::uint32_t s : changed) {
        while (extent < extents->size() &&
               s >= extentFirstSector + std::uint32_t{(*extents)[extent].block_count} * g.sectorsPerBlock) {
            extentFirstSector += std::uint32_t{(*extents)[extent].block_count} * g.sectorsPerBlock;
            ++extent;
        }
        if (extent == extents->size()) return std::nullopt;
        const ExtentDescriptor& e = (*extents)[extent];
        if (std::uint32_t{e.startBlock} + e.block_count > ctx.mdb.allocation_blocks()) return std::nullopt;
        const std::uint32_t sector = g.firstAllocSector + e.startBlock * g.sectorsPerBlock + (s - extentFirstSector);
        if (!volume_range(ctx).contains(sector, 1)) return std::nullopt;
        add_sector(plan, s, sector);
    }
    return plan;
}

void add_tree_writes(std::vector<SectorWrite>& writes, const TreePlan& plan) {
    for (const SectorRun& run : plan.runs) {
        const std::uint8_t* bytes = plan.contents.data() + std::size_t{run.firstSectorOfFile} * kSectorSize;
        writes.push_back({run.sector, run.count, bytes});
    }
}

// An extents copy made only for reading was not planned (no contents):
// what the medium holds of it is still unknown, not empty.
void record_medium_tree(HfsContext& ctx, const TreePlan& plan) {
    if (!plan.tree->is_open() || plan.contents.empty()) return;
    MediumTree& medium = medium_of(ctx, *plan.tree);
    medium.bytes = plan.contents;
    medium.known = true;
}

bool header_changed(const HfsContext& ctx) {
    return !ctx.volume.mediumHeader || ctx.volume.mediumHeader->bytes != ctx.mdb.bytes;
}

// Every write of the write-back, in the order they are made: the header,
// the bitmap, the extents file, the catalog file, and last the alternate
// header in the volume's own second-to-last sector (a write-back cut short
// then leaves the alternate as it was, so more interruptions leave a volume
// that opens and checks clean).
std::vector<SectorWrite> planned_writes(HfsContext& ctx, const TreePlan& extents, const TreePlan& catalog) {
    std::vector<SectorWrite> writes;
    const bool header = header_changed(ctx);
    if (header) writes.push_back({ctx.geometry.mdbSector, 1, ctx.mdb.bytes.data()});
    const Volume& volume = ctx.volume;
    if (volume.bitmapLoaded && volume.bitmapChanged) {
        const auto sectors = static_cast<std::uint16_t>(volume.bitmap.size() / kSectorSize);
        writes.push_back({ctx.geometry.mdbSector + 1, sectors, volume.bitmap.data()});
    }
    add_tree_writes(writes, extents);
    add_tree_writes(writes, catalog);
    if (header) {
        const SectorRange& range = volume_range(ctx);
        writes.push_back({range.first + range.count - 2, 1, ctx.mdb.bytes.data()});
    }
    return writes;
}

bool make_writes(HfsContext& ctx, const std::vector<SectorWrite>& writes) {
    for (const SectorWrite& write : writes) {
        ctx.host.busy_tick();
        if (!volume_device(ctx).write(write.sector, write.count, write.bytes)) return false;
    }
    return true;
}

// The medium holds what the engine has: the next write-back compares with
// it. Only after every write succeeded: a write-back that failed half-way
// writes all of its sectors again when it is retried, and a change that is
// then dropped is put back from the journal to what these records hold.
void record_medium_state(HfsContext& ctx, const TreePlan& extents, const TreePlan& catalog) {
    ctx.volume.mediumHeader = ctx.mdb;
    record_medium_tree(ctx, extents);
    record_medium_tree(ctx, catalog);
}

void end_modification(HfsContext& ctx) {
    if (ctx.volume.journal) ctx.volume.journal->end_change();
    release_bitmap(ctx);
    ctx.volume.modifying = false;
}

bool report_write_failure(HfsContext& ctx) {
    show_notice(ctx, kWriteFailed);
    ctx.outcome.failureReported = true;
    return false;
}

}  // namespace

bool write_back(HfsContext& ctx) {
    set_status(ctx, std::string(message(Msg::kUpdatingStructures)).c_str(), nullptr);
    recount_free_blocks(ctx);
    const auto extents = plan_tree(ctx, ctx.extentsTree);
    const auto catalog = plan_tree(ctx, ctx.catalogTree);
    if (!extents || !catalog) return refuse_change(ctx, kCannotWrite);
    const std::vector<SectorWrite> writes = planned_writes(ctx, *extents, *catalog);
    if (writes.empty()) {
        end_modification(ctx);
        return true;
    }
    if (!volume_writable(ctx)) return refuse_change(ctx, kCannotWrite);
    // The journal takes every write before the first reaches the medium.
    if (ctx.volume.journal && !ctx.volume.journal->journal_ahead(writes)) return refuse_change(ctx, kCannotWrite);
    if (!make_writes(ctx, writes)) return report_write_failure(ctx);
    record_medium_state(ctx, *extents, *catalog);
    end_modification(ctx);
    return true;
}

bool write_tree_file(HfsContext& ctx, TreeFile& tree) {
    const auto plan = plan_tree(ctx, tree);
    if (!plan) return refuse_change(ctx, kCannotWrite);
    std::vector<SectorWrite> writes;
    add_tree_writes(writes, *plan);
    if (!make_writes(ctx, writes)) return report_write_failure(ctx);
    record_medium_tree(ctx, *plan);
    return true;
}

}  // namespace korvane
