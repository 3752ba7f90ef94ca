#include "volume/volume_info.h"

#include "util/byte_order.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

// The first sector of a B-tree file: its first extent's start block, on the medium.
std::uint64_t firstSectorOf(const HfsContext& ctx, std::span<const std::uint8_t, 12> extents) {
    const VolumeGeometry& geometry = ctx.geometry;
    return std::uint64_t{loadBE16(extents.data())} * geometry.sectorsPerBlock + geometry.firstAllocSector;
}

}  // namespace

std::vector<VolumeFigure> volumeFigures(const HfsContext& ctx) {
    const MdbImage& header = ctx.mdb;
    const VolumeGeometry& geometry = ctx.geometry;
    const std::uint64_t blocks = header.allocationBlocks();
    const std::uint32_t sectorSize = ctx.device.sectorSize;
    return {
            {"Volume Size:", blocks * geometry.allocBlockSize},
            {"Free space:", std::uint64_t{header.freeBlocks()} * geometry.allocBlockSize},
            {"Number of files:", header.fileCount()},
            {"Number of folders:", header.directoryCount()},
            {"Next File ID:", header.nextCatalogID()},
            {"MDB Offset:", geometry.mdbSector},
            {"Partitions:", 1},
            {"Cluster Size:", header.allocationBlockSize()},
            {"Number of Sectors:", blocks * geometry.sectorsPerBlock},
            {"Extensions Offset:", firstSectorOf(ctx, header.extentsExtents())},
            {"Extensions Size (sectors):", header.extentsFileSize() / sectorSize},
            {"Catalog Offset:", firstSectorOf(ctx, header.catalogExtents())},
            {"Catalog Size (sectors):", header.catalogFileSize() / sectorSize},
    };
}

void volumeInfoDialog(HfsContext& ctx) {
    if (!requireOpenVolume(ctx)) return;
    VolumeInfoDialog dialog;
    dialog.figures = volumeFigures(ctx);
    ctx.host.run_dialog(dialog);
}

}  // namespace korvane
