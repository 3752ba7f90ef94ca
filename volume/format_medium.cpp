#include "volume/format_medium.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <array>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
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
#include "core/working_files.h"
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
bool formatFailed(TransferContext& ctx, const std::string& why) {
    ctx.state.volume_start = 0;
    ctx.noVolumeReason = kFormatIncomplete;
    set_status(ctx, nullptr, nullptr);
    show_notice(ctx, why + kFormatIncomplete);
    ctx.outcome.failureReported = true;
    return false;
}

bool writeFailed(TransferContext& ctx, std::uint32_t sector) {
    char text[96];
    std::snprintf(text, sizeof text, kWriteFailedAt, static_cast<unsigned long>(sector));
    return formatFailed(ctx, text);
}

bool writeSectors(TransferContext& ctx, std::uint32_t sector, std::uint16_t count, const std::uint8_t* bytes) {
    // A write only reads the buffer.
    return transferSelected(ctx, kOpWrite, sector, count, const_cast<std::uint8_t*>(bytes)) == 0 ||
           writeFailed(ctx, sector);
}

// Writes whole sectors from bytes, 64 at a time.
bool writeRun(TransferContext& ctx, std::uint32_t sector, const std::vector<std::uint8_t>& bytes) {
    const auto sectors = static_cast<std::uint32_t>(bytes.size() / kFormatSectorBytes);
    for (std::uint32_t done = 0; done < sectors; done += kSectorsPerRequest) {
        ctx.host.busy_tick();
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kSectorsPerRequest, sectors - done));
        if (!writeSectors(ctx, sector + done, count, bytes.data() + std::size_t{done} * kFormatSectorBytes)) return false;
    }
    return true;
}

std::uint32_t readCapacityOnce(TransferContext& ctx) {
    if (ctx.state.reset_each_access) ctx.transport->resetDevice(ctx.state.host_adapter, ctx.state.target_id);
    std::array<std::uint8_t, 512> answer{};
    if (ctx.transport->readCapacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) != kStatusDone)
        return 0;
    const std::uint32_t blockLength = loadBE32(answer.data() + 4);
    if (blockLength != 0) ctx.device.sectorSize = static_cast<std::uint16_t>(blockLength);
    // A last-block address of 0 tells nothing: it counts as no answer.
    return loadBE32(answer.data());
}

std::uint32_t askCapacity(TransferContext& ctx) {
    set_status(ctx, message(Msg::kDriveNotReady).data(), nullptr);
    CapacityDialog sizes;
    return sizes.capacityFor(ctx.host.run_dialog(sizes));
}

std::optional<std::string> volumeMacName(std::string_view pcName) {
    if (pcName.empty()) return std::string(message(Msg::kUntitled));
    std::string macName = translated(pcName, ansi_to_mac);
    if (macName.size() != pcName.size()) return std::nullopt;
    if (nameProblem(macName, kMaxVolumeNameLength)) return std::nullopt;
    return macName;
}

bool writeDriverPartitions(TransferContext& ctx, const FormatParameters& params, const CopiedDrivers* drivers) {
    if (drivers == nullptr) return writeRun(ctx, kDriverPartitionStart, driverImage(params));
    for (const auto& [start, contents] : driverContents(*drivers)) {
        if (!writeRun(ctx, start, contents)) return false;
    }
    return true;
}

bool writeStructures(TransferContext& ctx, const FormatParameters& params, FormatStyle style,
                     const std::string& macName, const CopiedDrivers* drivers) {
    set_status(ctx, message(Msg::kCreatingStructures).data(), nullptr);
    std::vector<SectorImage> sectors = volumeStructures(params, style, macName, macNow());
    if (style == FormatStyle::Partitioned) {
        const std::vector<SectorImage> map = drivers ? partitionMapWithDrivers(params, *drivers) : partitionMapSectors(params);
        sectors.insert(sectors.begin(), map.begin(), map.end());
    }
    for (const SectorImage& image : sectors) {
        ctx.host.busy_tick();
        if (!writeSectors(ctx, image.sector, 1, image.bytes.data())) return false;
    }
    return style == FormatStyle::Bare || writeDriverPartitions(ctx, params, drivers);
}

bool createDesktopFile(TransferContext& ctx, const DesktopFile& file, std::uint32_t now) {
    std::string path;
    const int fd = create_temp_file(ctx, path, "Des", file.contents.size());
    const bool written = write_all(fd, file.contents.data(), file.contents.size());
    MacFileFromPc spec{std::string(file.macName), file.typeCreator, kInvisible, file.resourceFork,
                       static_cast<std::uint32_t>(file.contents.size()), now};
    const bool made = written && make_mac_file_from_pc(ctx, fd, spec);
    close(fd);
    remove_working_file(ctx, path);
    return made;
}

bool createDesktopFiles(TransferContext& ctx, const FormatParameters& params) {
    if (!startModification(ctx)) return false;
    const std::uint32_t now = macNow();
    const std::vector<DesktopFile> files = desktopFiles(params.blockSize);
    for (const DesktopFile& file : files) {
        if (!createDesktopFile(ctx, file, now)) {
            if (ctx.volume.modifying) discardChanges(ctx);
            return false;
        }
    }
    // The copier leaves the folder's entry count to its caller.
    if (!adjustValence(ctx, kRootDirectoryID, static_cast<int>(files.size()))) return false;
    return writeBack(ctx);
}

}  // namespace

std::uint32_t identifyMedium(TransferContext& ctx) {
    std::uint32_t capacity = 0;
    for (int attempt = 0; attempt < kCapacityAttempts && capacity == 0; ++attempt) capacity = readCapacityOnce(ctx);
    return capacity != 0 ? capacity : askCapacity(ctx);
}

bool resetFirstSectors(TransferContext& ctx, std::uint32_t n) {
    set_status(ctx, message(Msg::kResettingFirstSectors).data(), nullptr);
    const std::vector<std::uint8_t> zeros(std::size_t{kSectorsPerRequest} * kFormatSectorBytes, 0);
    for (std::uint32_t sector = 0; sector < n; sector += kSectorsPerRequest) {
        if (ctx.host.escape_requested()) return formatFailed(ctx, kStoppedByUser);
        ctx.host.busy_tick();
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kSectorsPerRequest, n - sector));
        if (!writeSectors(ctx, sector, count, zeros.data())) return false;
        if (n > kProgressAbove) show_progress(ctx, n - sector - count, n);
    }
    set_status(ctx, nullptr, nullptr);
    return true;
}

bool writeVolume(TransferContext& ctx, const FormatParameters& params, FormatStyle style, std::string_view pcName,
                 const CopiedDrivers* drivers) {
    const auto macName = volumeMacName(pcName);
    if (!macName) {
        show_notice(ctx, kNameNotUsable);
        ctx.outcome.failureReported = true;
        return false;
    }
    if (ctx.device.sectorSize != kFormatSectorBytes) {
        show_notice(ctx, kNeeds512);
        ctx.outcome.failureReported = true;
        return false;
    }
    installTransferRoutine(ctx, kFormatSectorBytes);
    // From the first write on, the volume that was open is gone.
    forgetVolume(ctx);
    ctx.state.volume_start = 0;
    if (!resetFirstSectors(ctx, formatZeroedSectors(params))) return false;
    if (!writeStructures(ctx, params, style, *macName, drivers)) return false;
    set_status(ctx, nullptr, nullptr);
    if (analyzeVolume(ctx) <= 0) return formatFailed(ctx, std::string(kNewVolumeNotOpened) + " ");
    if (!createDesktopFiles(ctx, params)) {
        show_notice(ctx, kDesktopFilesMissing);
        ctx.outcome.failureReported = true;
        return false;
    }
    return true;
}

}  // namespace korvane
