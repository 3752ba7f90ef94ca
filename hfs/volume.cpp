#include "hfs/volume.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "core/notices.h"
#include "device/sector_io.h"
#include "hfs/hfs_context.h"
#include "hfs/volume_bitmap.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

inline constexpr const char* kReadOnlyVolume = "This volume is opened read-only: nothing was changed.";
inline constexpr const char* kCatalogNotWhole = "The catalog could not be read completely: nothing was changed.";
inline constexpr const char* kExtentsNotWhole = "The extents file could not be read completely: nothing was changed.";
inline constexpr const char* kBitmapNotRead = "The volume bitmap could not be read: nothing was changed.";

// The selected drive through the sector layer's transfer (its retries and
// its 1024-byte conversion). Writes outside range are refused, never sent.
class DriveSectors : public SectorDevice {
public:
    DriveSectors(DeviceContext& ctx, SectorRange range) : ctx_(ctx), target_(ctx.state.target_id), range_(range) {}

    bool read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) override {
        return move(kOpRead, sector, count, buffer);
    }

    bool write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) override {
        if (!range_.contains(sector, count)) return false;
        std::vector<std::uint8_t> copy(buffer, buffer + std::size_t{count} * kSectorSize);
        return move(kOpWrite, sector, count, copy.data());
    }

private:
    bool move(std::uint16_t operation, std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
        const std::uint16_t chunk = std::max<std::uint16_t>(1, ctx_.device.sectorsPerTransfer);
        while (count > 0) {
            const std::uint16_t n = std::min(count, chunk);
            DeviceRequest request;
            request.operation = operation;
            request.target = target_;
            request.sector = sector;
            request.count = n;
            request.buffer = buffer;
            if (transfer(ctx_, request) != 0) return false;
            sector += n;
            count = static_cast<std::uint16_t>(count - n);
            buffer += std::size_t{n} * kSectorSize;
        }
        return true;
    }

    DeviceContext& ctx_;
    std::uint8_t target_;
    SectorRange range_;
};

// 512-byte sectors of the whole medium, as the drive reports them now.
std::uint32_t mediumSectors(DeviceContext& ctx) {
    std::array<std::uint8_t, 512> answer{};
    if (ctx.transport && ctx.transport->readCapacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) ==
                             kStatusDone) {
        const std::uint64_t blocks = std::uint64_t{loadBE32(answer.data())} + 1;
        const std::uint64_t length = loadBE32(answer.data() + 4);
        const std::uint64_t sectors = blocks * length / kSectorSize;
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, std::numeric_limits<std::uint32_t>::max()));
    }
    return static_cast<std::uint32_t>(std::uint64_t{ctx.device.capacity} * ctx.device.sectorSize / kSectorSize);
}

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
        volume.device = std::make_unique<DriveSectors>(ctx, volume.range);
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
    if (volume.mediumHeader) ctx.mdb = *volume.mediumHeader;
    restoreWorkingFile(ctx.catalogTree, volume.mediumCatalog);
    restoreWorkingFile(ctx.extentsTree, volume.mediumExtents);
    releaseBitmap(ctx);
    volume.modifying = false;
}

bool refuseChange(HfsContext& ctx, const char* text) {
    show_notice(ctx, text);
    ctx.outcome.failureReported = true;
    discardChanges(ctx);
    return false;
}

}  // namespace korvane
