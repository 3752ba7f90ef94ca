#include "volume/brute_force.h"

#include <algorithm>
#include <vector>

#include "core/messages.h"
#include "device/sector_io.h"
#include "volume/medium_reader.h"
#include "volume/volume_header.h"

namespace korvane {
namespace {

constexpr std::uint16_t kSearchSectors = 64;

// One chunk of the search. A chunk that cannot be read as a whole (it may
// reach past the end of a small medium) is read sector by sector, so a
// header in its readable part is still found.
std::vector<std::uint8_t> read_search_chunk(HfsContext& ctx, std::uint32_t sector) {
    DeviceSectors chunk = read_device_sectors(ctx, sector, kSearchSectors);
    if (chunk.ok) return std::move(chunk.bytes);
    const std::size_t sector_bytes = chunk.bytes.size() / kSearchSectors;
    for (std::uint16_t i = 0; i < kSearchSectors; ++i) {
        DeviceSectors single = read_device_sectors(ctx, sector + i, 1);
        if (single.ok) std::copy(single.bytes.begin(), single.bytes.end(), chunk.bytes.begin() + i * sector_bytes);
    }
    return std::move(chunk.bytes);
}

}  // namespace

std::optional<std::uint32_t> find_header_block(std::span<const std::uint8_t> blocks, std::uint32_t firstBlock) {
    constexpr std::size_t kBlock = 512;
    for (std::size_t offset = 0; offset + kBlock <= blocks.size(); offset += kBlock) {
        std::uint32_t block = firstBlock + static_cast<std::uint32_t>(offset / kBlock);
        if (block >= kBruteForceBlocks) break;
        // The header lies two blocks into its volume: blocks 0 and 1 cannot hold it.
        if (block >= 2 && accepts_volume_header(blocks.subspan(offset, kBlock))) return block;
    }
    return std::nullopt;
}

std::int32_t brute_force_search(HfsContext& ctx) {
    const std::uint16_t sectorSize = ctx.device.sectorSize;
    if (sectorSize != 512 && sectorSize != 1024) return 0;
    install_transfer_routine(ctx, 512);  // the search reads the medium's own sectors
    const std::uint32_t unitsPerSector = sectorSize / 512u;
    std::optional<std::uint32_t> found;
    std::vector<std::uint8_t> header;
    for (std::uint32_t sector = 0; !found && sector * unitsPerSector < kBruteForceBlocks; sector += kSearchSectors) {
        ctx.host.busy_tick();
        const std::vector<std::uint8_t> bytes = read_search_chunk(ctx, sector);
        found = find_header_block(bytes, sector * unitsPerSector);
        if (found) {
            const std::size_t offset = (*found - sector * unitsPerSector) * 512u;
            header.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                          bytes.begin() + static_cast<std::ptrdiff_t>(offset + 512));
        }
    }
    install_transfer_routine(ctx, sectorSize);
    ctx.noVolumeReason = message(Msg::kNoVolumeHeader);
    if (!found) return 0;
    std::copy(header.begin(), header.end(), ctx.mdb.bytes.begin());
    VolumeGeometry geometry;
    if (!derive_geometry(ctx.mdb, *found - 2, geometry)) return 0;
    // Without a map the volume may take the whole medium.
    const auto capacity = read_drive_capacity(ctx);
    geometry.partitionSectors =
            capacity ? static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity->sectors512(), UINT32_MAX)) : 0;
    ctx.geometry = geometry;
    ctx.noVolumeReason.clear();
    if (ctx.device.capacity == 0) ctx.device.capacity = capacity_from_header(ctx.mdb.allocation_blocks(), ctx.geometry);
    return static_cast<std::int32_t>(ctx.geometry.firstAllocSector);
}

std::uint32_t capacity_from_header(std::uint16_t allocation_blocks, const VolumeGeometry& geometry) {
    std::uint64_t sectors = std::uint64_t{allocation_blocks} * geometry.sectorsPerBlock + geometry.firstAllocSector;
    return sectors > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(sectors);
}

}  // namespace korvane
