#include "hfs/volume_check.h"

#include <vector>

#include "device/sector_io.h"
#include "hfs/allocation_check.h"
#include "hfs/catalog_check.h"

namespace korvane {
namespace {

constexpr std::uint32_t kBlocksPerBitmapSector = kSectorSize * 8;

// The volume's allocation blocks must end inside the sectors it may occupy.
void check_volume_end(const HfsContext& ctx, CheckReport& report) {
    const VolumeGeometry& geometry = ctx.geometry;
    if (geometry.partitionSectors == 0) return;
    const std::uint64_t end = std::uint64_t{geometry.firstAllocSector} +
                              std::uint64_t{ctx.mdb.allocation_blocks()} * geometry.sectorsPerBlock;
    if (end > std::uint64_t{geometry.partitionStart} + geometry.partitionSectors) {
        report.add("The volume's " + std::to_string(ctx.mdb.allocation_blocks()) +
                   " allocation blocks (drNmAlBlks) reach past the end of its partition.");
    }
}

// The bitmap as it is on the medium: drVBMSt sectors from the volume start,
// one bit per allocation block. Empty when it cannot be read.
std::vector<std::uint8_t> read_volume_bitmap(HfsContext& ctx, CheckReport& report) {
    const std::uint32_t blocks = ctx.mdb.allocation_blocks();
    const std::uint32_t sectors = (blocks + kBlocksPerBitmapSector - 1) / kBlocksPerBitmapSector;
    if (std::uint32_t{ctx.mdb.bitmap_start()} + sectors > ctx.mdb.first_allocation_sector()) {
        report.add(
                "The bitmap of " + std::to_string(blocks) +
                " blocks does not fit between its first sector (drVBMSt) and the first allocation block (drAlBlSt).");
    }
    std::vector<std::uint8_t> bitmap(std::size_t{sectors} * kSectorSize);
    const std::uint32_t volume_start = ctx.geometry.mdbSector >= 2 ? ctx.geometry.mdbSector - 2 : 0;
    DeviceRequest request;
    request.sector = volume_start + ctx.mdb.bitmap_start();
    request.count = static_cast<std::uint16_t>(sectors);
    request.buffer = bitmap.data();
    if (sectors > 0 && transfer(ctx, request) != 0) {
        report.add("The volume bitmap could not be read.");
        return {};
    }
    return bitmap;
}

}  // namespace

CheckReport check_volume(HfsContext& ctx) {
    CheckReport report;
    check_volume_end(ctx, report);
    if (!ctx.catalogTree.is_open()) {
        report.add("The catalog could not be read.");
        return report;
    }
    const std::vector<ForkInfo> forks = check_catalog(ctx, report);
    OverflowRecords overflow;
    if (ctx.extentsTree.is_open()) {
        overflow = check_extents_tree(ctx, report);
    } else {
        report.add("The extents tree could not be read.");
    }
    const std::vector<std::uint8_t> bitmap = read_volume_bitmap(ctx, report);
    check_allocation(ctx, forks, overflow, bitmap, report);
    return report;
}

}  // namespace korvane
