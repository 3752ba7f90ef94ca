#include "hfs/volume.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "core/notices.h"
#include "hfs/drive_sectors.h"
#include "hfs/hfs_context.h"
#include "hfs/journaled_sectors.h"
#include "hfs/volume_bitmap.h"

namespace korvane {
namespace {

inline constexpr const char* kReadOnlyVolume = "This volume is opened read-only: nothing was changed.";
inline constexpr const char* kCatalogNotWhole = "The catalog could not be read completely: nothing was changed.";
inline constexpr const char* kExtentsNotWhole = "The extents file could not be read completely: nothing was changed.";
inline constexpr const char* kBitmapNotRead = "The volume bitmap could not be read: nothing was changed.";

SectorRange range_of_volume(HfsContext& ctx) {
    if (ctx.geometry.partitionSectors != 0) return {ctx.geometry.partitionStart, ctx.geometry.partitionSectors};
    return {0, medium_sectors(ctx)};
}

// The header, the allocation blocks and the alternate header (the range's
// second-to-last sector) must all lie inside the range, in that order.
bool volume_fits_range(HfsContext& ctx) {
    const SectorRange& range = volume_range(ctx);
    if (range.count < 2 || ctx.geometry.mdbSector < range.first + 2) return false;
    const std::uint64_t allocationEnd =
            ctx.geometry.firstAllocSector + std::uint64_t{ctx.mdb.allocation_blocks()} * ctx.geometry.sectorsPerBlock;
    return allocationEnd <= std::uint64_t{range.first} + range.count - 2;
}

// Another owner's device, for the volume to write through for a while.
class BorrowedSectors : public SectorDevice {
public:
    explicit BorrowedSectors(SectorDevice& device) : device_(device) {}
    bool read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) override {
        return device_.read(sector, count, buffer);
    }
    bool write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) override {
        return device_.write(sector, count, buffer);
    }

private:
    SectorDevice& device_;
};

bool restore_working_file(TreeFile& tree, const MediumTree& medium) {
    if (!medium.known || !tree.is_open()) return true;
    const auto size = static_cast<ssize_t>(medium.bytes.size());
    const bool ok = ftruncate(tree.handle, size) == 0 &&
                    pwrite(tree.handle, medium.bytes.data(), medium.bytes.size(), 0) == size;
    tree.fileSize = static_cast<std::uint32_t>(medium.bytes.size());
    tree.memoryCopy = medium.bytes;
    tree.indexCurrent = false;
    std::copy_n(medium.bytes.begin(), std::min(medium.bytes.size(), kNodeSize), tree.header.begin());
    tree.nodeValid = false;
    return ok;
}

bool record_medium_tree(const TreeFile& tree, MediumTree& medium) {
    if (medium.known) return true;
    auto bytes = read_working_file(tree);
    if (!bytes) return false;
    medium.bytes = std::move(*bytes);
    medium.known = true;
    return true;
}

}  // namespace

std::unique_ptr<SectorDevice> make_drive_device(HfsContext& ctx, SectorRange range, JournaledSectors*& journal) {
    auto drive = std::make_unique<DriveSectors>(ctx, range);
    const std::string path = selected_drive_journal(ctx);
    journal = nullptr;
    if (path.empty()) return drive;
    auto journaled = std::make_unique<JournaledSectors>(ctx, std::move(drive), path, ctx.journal.limit);
    journal = journaled.get();
    return journaled;
}

SectorDevice& volume_device(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (!volume.device) {
        volume.range = range_of_volume(ctx);
        volume.device = make_drive_device(ctx, volume.range, volume.journal);
    }
    return *volume.device;
}

void borrow_volume_device(HfsContext& ctx, JournaledSectors& device) {
    Volume& volume = ctx.volume;
    volume.range = range_of_volume(ctx);
    volume.device = std::make_unique<BorrowedSectors>(device);
    volume.journal = &device;
}

void give_back_volume_device(HfsContext& ctx) {
    ctx.volume.device.reset();
    ctx.volume.journal = nullptr;
}

const SectorRange& volume_range(HfsContext& ctx) {
    volume_device(ctx);
    return ctx.volume.range;
}

// Discovery marks a volume whose header claims more than its partition holds;
// the engine checks the header against the range by itself too.
bool volume_writable(HfsContext& ctx) { return !ctx.geometry.readOnlyVolume && volume_fits_range(ctx); }

void forget_volume(HfsContext& ctx) { ctx.volume = Volume{}; }

std::optional<std::vector<std::uint8_t>> read_working_file(const TreeFile& tree) {
    if (!tree.is_open()) return std::nullopt;
    if (tree.memoryCopy.size() == tree.fileSize) return tree.memoryCopy;
    std::vector<std::uint8_t> bytes(tree.fileSize);
    if (pread(tree.handle, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) return std::nullopt;
    return bytes;
}

bool start_modification(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (volume.modifying) return true;
    if (!volume_writable(ctx)) return refuse_change(ctx, kReadOnlyVolume);
    const TreeFile& catalog = ctx.catalogTree;
    if (!catalog.is_open() || !catalog.complete || !record_medium_tree(catalog, volume.mediumCatalog))
        return refuse_change(ctx, kCatalogNotWhole);
    if (!load_bitmap(ctx)) return refuse_change(ctx, kBitmapNotRead);
    if (!volume.mediumHeader) volume.mediumHeader = ctx.mdb;
    volume.modifying = true;
    return true;
}

bool start_extents_modification(HfsContext& ctx) {
    const TreeFile& extents = ctx.extentsTree;
    if (!extents.complete || !record_medium_tree(extents, ctx.volume.mediumExtents))
        return refuse_change(ctx, kExtentsNotWhole);
    return true;
}

void discard_changes(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (volume.journal) volume.journal->drop_change();
    if (volume.mediumHeader) ctx.mdb = *volume.mediumHeader;
    restore_working_file(ctx.catalogTree, volume.mediumCatalog);
    restore_working_file(ctx.extentsTree, volume.mediumExtents);
    release_bitmap(ctx);
    volume.modifying = false;
}

bool refuse_change(HfsContext& ctx, const char* text) {
    const std::string refusal = ctx.volume.journal ? ctx.volume.journal->take_refusal() : std::string();
    show_notice(ctx, refusal.empty() ? std::string(text) : refusal);
    ctx.outcome.failureReported = true;
    discard_changes(ctx);
    return false;
}

}  // namespace korvane
