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

bool is_addressable_sector_size(std::uint32_t size) { return size == 512 || size == 1024; }

constexpr const char* kHeaderUnreadable = "The volume header cannot be read from the medium.";
constexpr const char* kPartitionTooSmall = "The partition is too small to hold a volume.";
constexpr const char* kVolumeOutOfReach = "The volume lies beyond the sectors Korvane can address.";
constexpr const char* kVolumeLargerThanPartition =
        "The volume header claims more room than its partition holds: the volume is opened for reading only.";

// The drive's block length wins; the map's only when the drive gives none.
void settle_sector_size(HfsContext& ctx, const PartitionMapReading& map, std::optional<std::uint16_t> drive) {
    if (map.result == kNoDescriptorMap) return;
    if (!drive) {
        if (is_addressable_sector_size(map.block_size)) ctx.device.sectorSize = map.block_size;
        ctx.device.capacity = map.block_count;
        return;
    }
    if (map.block_size != *drive) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The partition map states %u bytes per block; the drive's %u bytes per sector are used.",
                      static_cast<unsigned>(map.block_size), static_cast<unsigned>(*drive));
        // Discovery ends by clearing the status line: a notice stays seen.
        set_status(ctx, text, nullptr);
        show_notice(ctx, text);
    }
    if (ctx.device.capacity == 0) ctx.device.capacity = map.block_count;
}

// The sectors the volume may occupy: the chosen partition of a map, or the
// whole medium (0 sectors when its size is not known).
void set_partition_bounds(HfsContext& ctx, const MapPartition* partition, std::optional<DriveCapacity> capacity) {
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
void check_volume_fits_partition(HfsContext& ctx) {
    VolumeGeometry& g = ctx.geometry;
    if (g.partitionSectors == 0) return;
    const std::uint64_t end =
            std::uint64_t{g.firstAllocSector} + std::uint64_t{ctx.mdb.allocation_blocks()} * g.sectorsPerBlock;
    if (end <= std::uint64_t{g.partitionStart} + g.partitionSectors) return;
    g.readOnlyVolume = true;
    g.readOnlyReason = kVolumeLargerThanPartition;
    show_notice(ctx, kVolumeLargerThanPartition);
}

std::string several_partitions_text(std::size_t count) {
    return "The medium holds " + std::to_string(count) +
           " HFS partitions and none was chosen: choose one when asked (korvane-cmd: --partition N).";
}

void log_volume_name(HfsContext& ctx) {
    if (!ctx.log.is_open()) return;
    ctx.log.write("*log " + translated(ctx.mdb.volume_name(), mac_to_ansi) + "\n");
}

}  // namespace

PartitionMapReading read_partition_map(HfsContext& ctx) {
    const std::optional<std::uint16_t> drive = drive_block_length(ctx);
    if (drive) ctx.device.sectorSize = *drive;
    DeviceSectors blocks = read_device_sectors(ctx, 0, kMapReadBlocks);
    PartitionMapReading map = parse_partition_map(blocks.bytes, ctx.device.sectorSize);
    settle_sector_size(ctx, map, drive);
    return map;
}

std::int32_t detect_dos_medium(HfsContext& ctx) {
    DeviceSectors sector0 = read_device_sectors(ctx, 0, 1);
    return dos_medium_result(sector0.bytes);
}

std::int32_t read_volume_header(HfsContext& ctx, std::uint32_t volume_start) {
    const std::uint32_t sectorSize = ctx.device.sectorSize;
    const std::uint64_t headerByte = std::uint64_t{volume_start} * sectorSize + kHeaderOffset;
    const std::uint64_t headerSector512 = headerByte / 512;
    const VolumeGeometry& bounds = ctx.geometry;
    if (bounds.partitionSectors != 0 &&
        (headerSector512 < bounds.partitionStart ||
         headerSector512 >= std::uint64_t{bounds.partitionStart} + bounds.partitionSectors)) {
        ctx.noVolumeReason = kPartitionTooSmall;
        return 0;
    }
    bool accepted = false;
    bool anyRead = false;
    DeviceSectors sector;
    // A volume beyond what a 32-bit sector number reaches cannot be addressed.
    if (is_addressable_sector_size(sectorSize) && headerSector512 + 1 < std::numeric_limits<std::int32_t>::max()) {
        for (int attempt = 0; attempt < kHeaderReadAttempts && !accepted; ++attempt) {
            sector = read_device_sectors(ctx, static_cast<std::uint32_t>(headerByte / sectorSize), 1);
            anyRead |= sector.ok;
            accepted = accepts_volume_header(std::span(sector.bytes).subspan(headerByte % sectorSize));
        }
    }
    ctx.host.busy_tick();
    if (!accepted) {
        const auto problem = volume_header_problem(std::span(sector.bytes).subspan(headerByte % sectorSize));
        ctx.noVolumeReason = anyRead ? problem.value_or("") : kHeaderUnreadable;
        std::int32_t dos = detect_dos_medium(ctx);
        ctx.host.busy_tick();
        if (dos < 0) ctx.noVolumeReason = message(Msg::kDosVolume);
        return dos;
    }
    std::copy_n(sector.bytes.begin() + static_cast<std::ptrdiff_t>(headerByte % sectorSize), kSectorSize,
                ctx.mdb.bytes.begin());
    install_transfer_routine(ctx, static_cast<std::uint16_t>(sectorSize));
    const std::uint32_t volumeStart512 = static_cast<std::uint32_t>(headerSector512 - 2);
    if (!derive_geometry(ctx.mdb, volumeStart512, ctx.geometry) || ctx.geometry.firstAllocSector == 0 ||
        ctx.geometry.firstAllocSector > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        ctx.noVolumeReason = kVolumeOutOfReach;
        return 0;
    }
    return static_cast<std::int32_t>(ctx.geometry.firstAllocSector);
}

namespace {

// Reads the maps and the header: the volume's first allocation sector, 0 (with
// the reason in ctx.noVolumeReason) or a negative value for MS-DOS media.
std::int32_t find_volume(HfsContext& ctx, InterruptedChange interrupted) {
    if (ctx.state.target_id == kNoDrive) return 0;
    const std::optional<DriveCapacity> capacity = read_drive_capacity(ctx);
    if (capacity && !is_addressable_sector_size(capacity->blockLength)) {
        ctx.noVolumeReason = "The drive's sectors of " + std::to_string(capacity->blockLength) +
                             " bytes are not supported: Korvane reads media with 512- or 1024-byte sectors.";
        return 0;
    }
    // A change that was interrupted is settled before anything of the volume is read.
    if (interrupted == InterruptedChange::OfferRollback) offer_rollback(ctx);
    PartitionMapReading map = read_partition_map(ctx);
    if (map.result < 2) {
        set_partition_bounds(ctx, map.partitions.empty() ? nullptr : &map.partitions.front(), capacity);
        return read_volume_header(ctx, map.result > 0 ? map.volume_start : 0);
    }
    const std::optional<std::uint32_t> chosen = choose_partition(ctx, map.partitions);
    if (ctx.state.target_id == kNoDrive) return 0;
    const auto partition = std::find_if(map.partitions.begin(), map.partitions.end(),
                                        [&](const MapPartition& p) { return chosen && p.start == *chosen; });
    set_partition_bounds(ctx, partition == map.partitions.end() ? nullptr : &*partition, capacity);
    // Without a choice only the start of the medium is looked at.
    const std::int32_t found = read_volume_header(ctx, chosen.value_or(0));
    if (!chosen && found == 0) ctx.noVolumeReason = several_partitions_text(map.partitions.size());
    return found;
}

}  // namespace

void open_found_volume(HfsContext& ctx, std::int32_t firstAllocSector) {
    ctx.noVolumeReason.clear();
    check_volume_fits_partition(ctx);
    ctx.state.volume_start = firstAllocSector;
    ctx.state.brute_force_enabled = false;
    open_catalog_tree(ctx);
    enter_root_directory(ctx);
    ctx.state.first_shown = 0;
    ctx.state.end_shown = 0;
    set_status(ctx, nullptr, nullptr);
}

std::int32_t analyze_volume(HfsContext& ctx, InterruptedChange interrupted) {
    AppState& state = ctx.state;
    state.first_shown = 0;
    state.end_shown = 0;
    state.volume_start = 0;
    ctx.geometry = VolumeGeometry{};
    ctx.noVolumeReason.clear();
    install_transfer_routine(ctx, 512);
    set_status(ctx, message(Msg::kAnalyzingVolume).data(), kPleaseWait.data());
    ctx.host.busy_tick();

    const std::int32_t found = find_volume(ctx, interrupted);
    if (found == 0) {
        if (state.target_id == kNoDrive && ctx.noVolumeReason.empty())
            ctx.noVolumeReason = message(Msg::kSelectDriveInMenu);
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
    open_found_volume(ctx, found);
    log_volume_name(ctx);
    return found;
}

}  // namespace korvane
