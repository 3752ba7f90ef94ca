#include "volume/volume_info.h"

#include "util/byte_order.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

// The first sector of a B-tree file: its first extent's start block, on the medium.
std::uint64_t first_sector_of(const HfsContext& ctx, std::span<const std::uint8_t, 12> extents) {
    const VolumeGeometry& geometry = ctx.geometry;
    return std::uint64_t{load_be16(extents.data())} * geometry.sectorsPerBlock + geometry.firstAllocSector;
}

}  // namespace

std::vector<VolumeFigure> volume_figures(const HfsContext& ctx) {
    const MdbImage& header = ctx.mdb;
    const VolumeGeometry& geometry = ctx.geometry;
    const std::uint64_t blocks = header.allocation_blocks();
    const std::uint32_t sectorSize = ctx.device.sectorSize;
    return {
            {"Volume Size:", blocks * geometry.allocBlockSize},
            {"Free space:", std::uint64_t{header.free_blocks()} * geometry.allocBlockSize},
            {"Number of files:", header.file_count()},
            {"Number of folders:", header.directory_count()},
            {"Next File ID:", header.next_catalog_id()},
            {"MDB Offset:", geometry.mdbSector},
            {"Partitions:", 1},
            {"Cluster Size:", header.allocation_block_size()},
            {"Number of Sectors:", blocks * geometry.sectorsPerBlock},
            {"Extensions Offset:", first_sector_of(ctx, header.extents_extents())},
            {"Extensions Size (sectors):", header.extents_file_size() / sectorSize},
            {"Catalog Offset:", first_sector_of(ctx, header.catalog_extents())},
            {"Catalog Size (sectors):", header.catalog_file_size() / sectorSize},
    };
}

void volume_info_dialog(HfsContext& ctx) {
    if (!require_open_volume(ctx)) return;
    VolumeInfoDialog dialog;
    dialog.figures = volume_figures(ctx);
    ctx.host.run_dialog(dialog);
}

}  // namespace korvane
