#include "hfs/volume_check.h"

#include <vector>

#include "device/sector_io.h"
#include "hfs/allocation_check.h"
#include "hfs/catalog_check.h"

namespace korvane {
namespace {

constexpr std::uint32_t kBlocksPerBitmapSector = kSectorSize * 8;

// The volume's allocation blocks must end inside the sectors it may occupy.
void checkVolumeEnd(const HfsContext& ctx, CheckReport& report) {
    const VolumeGeometry& geometry = ctx.geometry;
    if (geometry.partitionSectors == 0) return;
    const std::uint64_t end =
        std::uint64_t{geometry.firstAllocSector} + std::uint64_t{ctx.mdb.allocationBlocks()} * geometry.sectorsPerBlock;
    if (end > std::uint64_t{geometry.partitionStart} + geometry.partitionSectors) {
        report.add("The volume's " + std::to_string(ctx.mdb.allocationBlocks()) +
                   " allocation blocks (drNmAlBlks) reach past the end of its partition.");
    }
}

// The bitmap as it is on the medium: drVBMSt sectors from the volume start,
// one bit per allocation block. Empty when it cannot be read.
std::vector<std::uint8_t> readVolumeBitmap(HfsContext& ctx, CheckReport& report) {
    const std::uint32_t blocks = ctx.mdb.allocationBlocks();
    const std::uint32_t sectors = (blocks + kBlocksPerBitmapSector - 1) / kBlocksPerBitmapSector;
    if (std::uint32_t{ctx.mdb.bitmapStart()} + sectors > ctx.mdb.firstAllocationSector()) {
        report.add("The bitmap of " + std::to_string(blocks) +
                   " blocks does not fit between its first sector (drVBMSt) and the first allocation block (drAlBlSt).");
    }
    std::vector<std::uint8_t> bitmap(std::size_t{sectors} * kSectorSize);
    const std::uint32_t volumeStart = ctx.geometry.mdbSector >= 2 ? ctx.geometry.mdbSector - 2 : 0;
    DeviceRequest request;
    request.sector = volumeStart + ctx.mdb.bitmapStart();
    request.count = static_cast<std::uint16_t>(sectors);
    request.buffer = bitmap.data();
    if (sectors > 0 && transfer(ctx, request) != 0) {
        report.add("The volume bitmap could not be read.");
        return {};
    }
    return bitmap;
}

}  // namespace

CheckReport checkVolume(HfsContext& ctx) {
    CheckReport report;
    checkVolumeEnd(ctx, report);
    if (!ctx.catalogTree.isOpen()) {
        report.add("The catalog could not be read.");
        return report;
    }
    const std::vector<ForkInfo> forks = checkCatalog(ctx, report);
    OverflowRecords overflow;
    if (ctx.extentsTree.isOpen()) {
        overflow = checkExtentsTree(ctx, report);
    } else {
        report.add("The extents tree could not be read.");
    }
    const std::vector<std::uint8_t> bitmap = readVolumeBitmap(ctx, report);
    checkAllocation(ctx, forks, overflow, bitmap, report);
    return report;
}

}  // namespace korvane
