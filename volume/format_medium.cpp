#include "volume/format_medium.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
#include "core/working_files.h"
#include "device/sector_io.h"
#include "hfs/catalog_records.h"
#include "hfs/folder_edit.h"
#include "hfs/mac_date.h"
#include "hfs/volume.h"
#include "hfs/write_back.h"
#include "transfer/copy_to_mac.h"
#include "transfer/pc_output.h"
#include "util/byte_order.h"
#include "util/char_tables.h"
#include "volume/desktop_files.h"
#include "volume/discovery.h"
#include "volume/format_dialogs.h"

namespace korvane {
namespace {

constexpr int kCapacityAttempts = 6;
constexpr std::uint16_t kSectorsPerRequest = 64;
constexpr std::uint32_t kProgressAbove = 320;
// Finder flags of the desktop files: invisible.
constexpr std::uint16_t kInvisible = 0x4000;

constexpr const char* kNeeds512 = "Korvane formats only media with 512-byte sectors.";
constexpr const char* kNameNotUsable = "This name holds a character that Macintosh names cannot hold.";
constexpr const char* kFormatIncomplete = "The format did not complete: the medium holds no usable volume.";
constexpr const char* kWriteFailedAt = "The medium could not be written at sector %lu. ";
constexpr const char* kStoppedByUser = "The format was stopped. ";
constexpr const char* kNewVolumeNotOpened = "The new volume could not be opened.";
constexpr const char* kDesktopFilesMissing = "The desktop files could not be created on the new volume.";

// No volume is open on a medium whose format did not complete.
bool format_failed(TransferContext& ctx, const std::string& why) {
    ctx.state.volume_start = 0;
    ctx.noVolumeReason = kFormatIncomplete;
    set_status(ctx, nullptr, nullptr);
    show_notice(ctx, why + kFormatIncomplete);
    ctx.outcome.failureReported = true;
    return false;
}

bool write_failed(TransferContext& ctx, std::uint32_t sector) {
    char text[96];
    std::snprintf(text, sizeof text, kWriteFailedAt, static_cast<unsigned long>(sector));
    return format_failed(ctx, text);
}

bool write_sectors(TransferContext& ctx, std::uint32_t sector, std::uint16_t count, const std::uint8_t* bytes) {
    // A write only reads the buffer.
    return transfer_selected(ctx, kOpWrite, sector, count, const_cast<std::uint8_t*>(bytes)) == 0 ||
           write_failed(ctx, sector);
}

// Writes whole sectors from bytes, 64 at a time.
bool write_run(TransferContext& ctx, std::uint32_t sector, const std::vector<std::uint8_t>& bytes) {
    const auto sectors = static_cast<std::uint32_t>(bytes.size() / kFormatSectorBytes);
    for (std::uint32_t done = 0; done < sectors; done += kSectorsPerRequest) {
        ctx.host.busy_tick();
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kSectorsPerRequest, sectors - done));
        if (!write_sectors(ctx, sector + done, count, bytes.data() + std::size_t{done} * kFormatSectorBytes))
            return false;
    }
    return true;
}

std::uint32_t read_capacity_once(TransferContext& ctx) {
    if (ctx.state.reset_each_access) ctx.transport->reset_device(ctx.state.host_adapter, ctx.state.target_id);
    std::array<std::uint8_t, 512> answer{};
    if (ctx.transport->read_capacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) != kStatusDone)
        return 0;
    const std::uint32_t blockLength = load_be32(answer.data() + 4);
    if (blockLength != 0) ctx.device.sectorSize = static_cast<std::uint16_t>(blockLength);
    // A last-block address of 0 tells nothing: it counts as no answer.
    return load_be32(answer.data());
}

std::uint32_t ask_capacity(TransferContext& ctx) {
    set_status(ctx, message(Msg::kDriveNotReady).data(), nullptr);
    CapacityDialog sizes;
    return sizes.capacity_for(ctx.host.run_dialog(sizes));
}

std::optional<std::string> volume_mac_name(std::string_view pc_name) {
    if (pc_name.empty()) return std::string(message(Msg::kUntitled));
    std::string mac_name = translated(pc_name, ansi_to_mac);
    if (mac_name.size() != pc_name.size()) return std::nullopt;
    if (name_problem(mac_name, kMaxVolumeNameLength)) return std::nullopt;
    return mac_name;
}

bool write_driver_partitions(TransferContext& ctx, const FormatParameters& params, const CopiedDrivers* drivers) {
    if (drivers == nullptr) return write_run(ctx, kDriverPartitionStart, driver_image(params));
    for (const auto& [start, contents] : driver_contents(*drivers)) {
        if (!write_run(ctx, start, contents)) return false;
    }
    return true;
}

bool write_structures(TransferContext& ctx, const FormatParameters& params, FormatStyle style,
                      const std::string& mac_name, const CopiedDrivers* drivers) {
    set_status(ctx, message(Msg::kCreatingStructures).data(), nullptr);
    std::vector<SectorImage> sectors = volume_structures(params, style, mac_name, mac_now());
    if (style == FormatStyle::Partitioned) {
        const std::vector<SectorImage> map =
                drivers ? partition_map_with_drivers(params, *drivers) : partition_map_sectors(params);
        sectors.insert(sectors.begin(), map.begin(), map.end());
    }
    for (const SectorImage& image : sectors) {
        ctx.host.busy_tick();
        if (!write_sectors(ctx, image.sector, 1, image.bytes.data())) return false;
    }
    return style == FormatStyle::Bare || write_driver_partitions(ctx, params, drivers);
}

bool create_desktop_file(TransferContext& ctx, const DesktopFile& file, std::uint32_t now) {
    std::string path;
    const int fd = create_temp_file(ctx, path, "Des", file.contents.size());
    const bool written = write_all(fd, file.contents.data(), file.contents.size());
    MacFileFromPc desktop_file{std::string(file.mac_name),
                               file.typeCreator,
                               kInvisible,
                               file.resource_fork,
                               static_cast<std::uint32_t>(file.contents.size()),
                               now};
    const bool made = written && make_mac_file_from_pc(ctx, fd, desktop_file);
    close(fd);
    remove_working_file(ctx, path);
    return made;
}

bool create_desktop_files(TransferContext& ctx, const FormatParameters& params) {
    if (!start_modification(ctx)) return false;
    const std::uint32_t now = mac_now();
    const std::vector<DesktopFile> files = desktop_files(params.block_size);
    for (const DesktopFile& file : files) {
        if (!create_desktop_file(ctx, file, now)) {
            if (ctx.volume.modifying) discard_changes(ctx);
            return false;
        }
    }
    // The copier leaves the folder's entry count to its caller.
    if (!adjust_valence(ctx, kRootDirectoryID, static_cast<int>(files.size()))) return false;
    return write_back(ctx);
}

}  // namespace

std::uint32_t identify_medium(TransferContext& ctx) {
    std::uint32_t capacity = 0;
    for (int attempt = 0; attempt < kCapacityAttempts && capacity == 0; ++attempt) capacity = read_capacity_once(ctx);
    return capacity != 0 ? capacity : ask_capacity(ctx);
}

bool reset_first_sectors(TransferContext& ctx, std::uint32_t n) {
    set_status(ctx, message(Msg::kResettingFirstSectors).data(), nullptr);
    const std::vector<std::uint8_t> zeros(std::size_t{kSectorsPerRequest} * kFormatSectorBytes, 0);
    for (std::uint32_t sector = 0; sector < n; sector += kSectorsPerRequest) {
        if (ctx.host.escape_requested()) return format_failed(ctx, kStoppedByUser);
        ctx.host.busy_tick();
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kSectorsPerRequest, n - sector));
        if (!write_sectors(ctx, sector, count, zeros.data())) return false;
        if (n > kProgressAbove) show_progress(ctx, n - sector - count, n);
    }
    set_status(ctx, nullptr, nullptr);
    return true;
}

bool write_volume(TransferContext& ctx, const FormatParameters& params, FormatStyle style, std::string_view pc_name,
                  const CopiedDrivers* drivers) {
    const auto mac_name = volume_mac_name(pc_name);
    if (!mac_name) {
        show_notice(ctx, kNameNotUsable);
        ctx.outcome.failureReported = true;
        return false;
    }
    if (ctx.device.sectorSize != kFormatSectorBytes) {
        show_notice(ctx, kNeeds512);
        ctx.outcome.failureReported = true;
        return false;
    }
    install_transfer_routine(ctx, kFormatSectorBytes);
    // From the first write on, the volume that was open is gone.
    forget_volume(ctx);
    ctx.state.volume_start = 0;
    if (!reset_first_sectors(ctx, format_zeroed_sectors(params))) return false;
    if (!write_structures(ctx, params, style, *mac_name, drivers)) return false;
    set_status(ctx, nullptr, nullptr);
    if (analyze_volume(ctx) <= 0) return format_failed(ctx, std::string(kNewVolumeNotOpened) + " ");
    if (!create_desktop_files(ctx, params)) {
        show_notice(ctx, kDesktopFilesMissing);
        ctx.outcome.failureReported = true;
        return false;
    }
    return true;
}

}  // namespace korvane
