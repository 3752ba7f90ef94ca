#include "volume/discovery.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "device/sector_io.h"
#include "hfs/current_directory.h"
#include "hfs/undo.h"
#include "hfs/working_copies.h"
#include "util/char_tables.h"
#include "volume/medium_reader.h"
#include "volume/partition_dialog_choice.h"
#include "volume/volume_header.h"

namespace korvane {
namespace {

constexpr std::size_t kHeaderOffset = 1024;  // the volume header lies 1024 bytes into the volume

bool isAddressableSectorSize(std::uint32_t size) { return size == 512 || size == 1024; }

constexpr const char* kHeaderUnreadable = "The volume header cannot be read from the medium.";
constexpr const char* kPartitionTooSmall = "The partition is too small to hold a volume.";
constexpr const char* kVolumeOutOfReach = "The volume lies beyond the sectors Korvane can address.";
constexpr const char* kVolumeLargerThanPartition =
    "The volume header claims more room than its partition holds: the volume is opened for reading only.";

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
        // Discovery ends by clearing the status line: a notice stays seen.
        set_status(ctx, text, nullptr);
        show_notice(ctx, text);
    }
    if (ctx.device.capacity == 0) ctx.device.capacity = map.blockCount;
}

// The sectors the volume may occupy: the chosen partition of a map, or the
// whole medium (0 sectors when its size is not known).
void setPartitionBounds(HfsContext& ctx, const MapPartition* partition, std::optional<DriveCapacity> capacity) {
    const std::uint64_t units = std::max<std::uint32_t>(ctx.device.sectorSize, 512) / 512;
    std::uint64_t start = 0;
    std::uint64_t sectors = capacity ? capacity->sectors512() : 0;
    if (partition) {
        start = partition->start * units;
        // A partition of no blocks still has a place: it must not read as "not known".
        sectors = std::max<std::uint64_t>(partition->blocks * units, 1);
        if (capacity && start < capacity->sectors512()) sectors = std::min(sectors, capacity->sectors512() - start);
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    ctx.geometry.partitionStart = static_cast<std::uint32_t>(std::min(start, kMax));
    ctx.geometry.partitionSectors = static_cast<std::uint32_t>(std::min(sectors, kMax));
}

// A header that claims more allocation blocks than its partition holds
// describes a volume that writes would carry outside the partition.
void checkVolumeFitsPartition(HfsContext& ctx) {
    VolumeGeometry& g = ctx.geometry;
    if (g.partitionSectors == 0) return;
    const std::uint64_t end = std::uint64_t{g.firstAllocSector} + std::uint64_t{ctx.mdb.allocationBlocks()} * g.sectorsPerBlock;
    if (end <= std::uint64_t{g.partitionStart} + g.partitionSectors) return;
    g.readOnlyVolume = true;
    g.readOnlyReason = kVolumeLargerThanPartition;
    show_notice(ctx, kVolumeLargerThanPartition);
}

std::string severalPartitionsText(std::size_t count) {
    return "The medium holds " + std::to_string(count) +
           " HFS partitions and none was chosen: choose one when asked (korvane-cmd: --partition N).";
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
    const VolumeGeometry& bounds = ctx.geometry;
    if (bounds.partitionSectors != 0 && (headerSector512 < bounds.partitionStart ||
                                         headerSector512 >= std::uint64_t{bounds.partitionStart} + bounds.partitionSectors)) {
        ctx.noVolumeReason = kPartitionTooSmall;
        return 0;
    }
    bool accepted = false;
    bool anyRead = false;
    DeviceSectors sector;
    // A volume beyond what a 32-bit sector number reaches cannot be addressed.
    if (isAddressableSectorSize(sectorSize) && headerSector512 + 1 < std::numeric_limits<std::int32_t>::max()) {
        for (int attempt = 0; attempt < kHeaderReadAttempts && !accepted; ++attempt) {
            sector = readDeviceSectors(ctx, static_cast<std::uint32_t>(headerByte / sectorSize), 1);
            anyRead |= sector.ok;
            accepted = acceptsVolumeHeader(std::span(sector.bytes).subspan(headerByte % sectorSize));
        }
    }
    ctx.host.busy_tick();
    if (!accepted) {
        const auto problem = volumeHeaderProblem(std::span(sector.bytes).subspan(headerByte % sectorSize));
        ctx.noVolumeReason = anyRead ? problem.value_or("") : kHeaderUnreadable;
        std::int32_t dos = detectDosMedium(ctx);
        ctx.host.busy_tick();
        if (dos < 0) ctx.noVolumeReason = message(Msg::kDosVolume);
        return dos;
    }
    std::copy_n(sector.bytes.begin() + static_cast<std::ptrdiff_t>(headerByte % sectorSize), kSectorSize,
                ctx.mdb.bytes.begin());
    installTransferRoutine(ctx, static_cast<std::uint16_t>(sectorSize));
    const std::uint32_t volumeStart512 = static_cast<std::uint32_t>(headerSector512 - 2);
    if (!deriveGeometry(ctx.mdb, volumeStart512, ctx.geometry) || ctx.geometry.firstAllocSector == 0 ||
        ctx.geometry.firstAllocSector > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        ctx.noVolumeReason = kVolumeOutOfReach;
        return 0;
    }
    return static_cast<std::int32_t>(ctx.geometry.firstAllocSector);
}

namespace {

// Reads the maps and the header: the volume's first allocation sector, 0 (with
// the reason in ctx.noVolumeReason) or a negative value for MS-DOS media.
std::int32_t findVolume(HfsContext& ctx) {
    if (ctx.state.target_id == kNoDrive) return 0;
    const std::optional<DriveCapacity> capacity = readDriveCapacity(ctx);
    if (capacity && !isAddressableSectorSize(capacity->blockLength)) {
        ctx.noVolumeReason = "The drive's sectors of " + std::to_string(capacity->blockLength) +
                             " bytes are not supported: Korvane reads media with 512- or 1024-byte sectors.";
        return 0;
    }
    // A change that was interrupted is settled before anything of the volume is read.
    offerRollback(ctx);
    PartitionMapReading map = readPartitionMap(ctx);
    if (map.result < 2) {
        setPartitionBounds(ctx, map.partitions.empty() ? nullptr : &map.partitions.front(), capacity);
        return readVolumeHeader(ctx, map.result > 0 ? map.volumeStart : 0);
    }
    const std::optional<std::uint32_t> chosen = choosePartition(ctx, map.partitions);
    if (ctx.state.target_id == kNoDrive) return 0;
    const auto partition = std::find_if(map.partitions.begin(), map.partitions.end(),
                                        [&](const MapPartition& p) { return chosen && p.start == *chosen; });
    setPartitionBounds(ctx, partition == map.partitions.end() ? nullptr : &*partition, capacity);
    // Without a choice only the start of the medium is looked at.
    const std::int32_t found = readVolumeHeader(ctx, chosen.value_or(0));
    if (!chosen && found == 0) ctx.noVolumeReason = severalPartitionsText(map.partitions.size());
    return found;
}

}  // namespace

void openFoundVolume(HfsContext& ctx, std::int32_t firstAllocSector) {
    ctx.noVolumeReason.clear();
    checkVolumeFitsPartition(ctx);
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
    ctx.geometry = VolumeGeometry{};
    ctx.noVolumeReason.clear();
    installTransferRoutine(ctx, 512);
    set_status(ctx, message(Msg::kAnalyzingVolume).data(), kPleaseWait.data());
    ctx.host.busy_tick();

    const std::int32_t found = findVolume(ctx);
    if (found == 0) {
        if (state.target_id == kNoDrive && ctx.noVolumeReason.empty()) ctx.noVolumeReason = message(Msg::kSelectDriveInMenu);
        if (ctx.noVolumeReason.empty()) ctx.noVolumeReason = message(Msg::kNotMacintoshVolume);
        state.volume_start = 0;
        state.brute_force_enabled = true;
        state.target_id = kNoDrive;
        return 0;
    }
    if (found < 0) {
        state.volume_start = found;
        set_status(ctx, message(Msg::kDosVolume).data(), nullptr);
        return found;
    }
    ctx.noVolumeReason.clear();
    openFoundVolume(ctx, found);
    logVolumeName(ctx);
    return found;
}

}  // namespace korvane
