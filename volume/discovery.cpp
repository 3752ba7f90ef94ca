#include "volume/discovery.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "device/sector_io.h"
#include "hfs/current_directory.h"
#include "hfs/working_copies.h"
#include "util/char_tables.h"
#include "volume/medium_reader.h"
#include "volume/partition_dialog_choice.h"
#include "volume/volume_header.h"

namespace korvane {
namespace {

constexpr std::size_t kHeaderOffset = 1024;  // the volume header lies 1024 bytes into the volume

bool isAddressableSectorSize(std::uint32_t size) { return size == 512 || size == 1024; }

// The drive's block length wins; the map's only when the drive gives none.
void settleSectorSize(HfsContext& ctx, const PartitionMapReading& map, std::optional<std::uint16_t> drive) {
    if (map.result == kNoDescriptorMap) return;
    if (!drive) {
        if (isAddressableSectorSize(map.blockSize)) ctx.device.sectorSize = map.blockSize;
        ctx.device.capacity = map.blockCount;
        return;
    }
    if (map.blockSize != *drive) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The partition map states %u bytes per block; the drive's %u bytes per sector are used.",
                      static_cast<unsigned>(map.blockSize), static_cast<unsigned>(*drive));
        set_status(ctx, text, nullptr);
    }
    if (ctx.device.capacity == 0) ctx.device.capacity = map.blockCount;
}

void logVolumeName(HfsContext& ctx) {
    if (!ctx.log.is_open()) return;
    ctx.log.write("*log " + translated(ctx.mdb.volumeName(), mac_to_ansi) + "\n");
}

}  // namespace

PartitionMapReading readPartitionMap(HfsContext& ctx) {
    const std::optional<std::uint16_t> drive = driveBlockLength(ctx);
    if (drive) ctx.device.sectorSize = *drive;
    DeviceSectors blocks = readDeviceSectors(ctx, 0, kMapReadBlocks);
    PartitionMapReading map = parsePartitionMap(blocks.bytes, ctx.device.sectorSize);
    settleSectorSize(ctx, map, drive);
    return map;
}

std::int32_t detectDosMedium(HfsContext& ctx) {
    DeviceSectors sector0 = readDeviceSectors(ctx, 0, 1);
    return dosMediumResult(sector0.bytes);
}

std::int32_t readVolumeHeader(HfsContext& ctx, std::uint32_t volumeStart) {
    const std::uint32_t sectorSize = ctx.device.sectorSize;
    const std::uint64_t headerByte = std::uint64_t{volumeStart} * sectorSize + kHeaderOffset;
    const std::uint64_t headerSector512 = headerByte / 512;
    bool accepted = false;
    DeviceSectors sector;
    // A volume beyond what a 32-bit sector number reaches cannot be addressed.
    if (isAddressableSectorSize(sectorSize) && headerSector512 + 1 < std::numeric_limits<std::int32_t>::max()) {
        for (int attempt = 0; attempt < kHeaderReadAttempts && !accepted; ++attempt) {
            sector = readDeviceSectors(ctx, static_cast<std::uint32_t>(headerByte / sectorSize), 1);
            accepted = acceptsVolumeHeader(std::span(sector.bytes).subspan(headerByte % sectorSize));
        }
    }
    ctx.host.busy_tick();
    if (!accepted) {
        std::int32_t dos = detectDosMedium(ctx);
        ctx.host.busy_tick();
        return dos;
    }
    std::copy_n(sector.bytes.begin() + static_cast<std::ptrdiff_t>(headerByte % sectorSize), kSectorSize,
                ctx.mdb.bytes.begin());
    installTransferRoutine(ctx, static_cast<std::uint16_t>(sectorSize));
    const std::uint32_t volumeStart512 = static_cast<std::uint32_t>(headerSector512 - 2);
    if (!deriveGeometry(ctx.mdb, volumeStart512, ctx.geometry)) return 0;
    if (ctx.geometry.firstAllocSector == 0 ||
        ctx.geometry.firstAllocSector > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(ctx.geometry.firstAllocSector);
}

void openFoundVolume(HfsContext& ctx, std::int32_t firstAllocSector) {
    ctx.state.volume_start = firstAllocSector;
    ctx.state.brute_force_enabled = false;
    openCatalogTree(ctx);
    enterRootDirectory(ctx);
    ctx.state.first_shown = 0;
    ctx.state.end_shown = 0;
    set_status(ctx, nullptr, nullptr);
}

std::int32_t analyzeVolume(HfsContext& ctx) {
    AppState& state = ctx.state;
    state.first_shown = 0;
    state.end_shown = 0;
    state.volume_start = 0;
    installTransferRoutine(ctx, 512);
    set_status(ctx, message(45).data(), kPleaseWait.data());
    ctx.host.busy_tick();

    PartitionMapReading map = readPartitionMap(ctx);
    std::uint32_t volumeStart = map.result > 0 ? map.volumeStart : 0;
    if (map.result >= 2) {
        std::optional<std::uint32_t> chosen = choosePartition(ctx, map.partitions);
        volumeStart = chosen.value_or(0);
    }
    std::int32_t found = state.target_id == kNoDrive ? 0 : readVolumeHeader(ctx, volumeStart);

    if (found == 0) {
        state.volume_start = 0;
        state.brute_force_enabled = true;
        state.target_id = kNoDrive;
        return 0;
    }
    if (found < 0) {
        state.volume_start = found;
        set_status(ctx, message(53).data(), nullptr);
        return found;
    }
    openFoundVolume(ctx, found);
    logVolumeName(ctx);
    return found;
}

}  // namespace korvane
