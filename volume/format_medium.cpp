#include "volume/format_medium.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
#include "core/working_files.h"
#include "device/sector_io.h"
#include "hfs/catalog_records.h"
#include "hfs/folder_edit.h"
#include "hfs/journaled_sectors.h"
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
#include "volume/format_writes.h"

namespace korvane {
namespace {

constexpr int kCapacityAttempts = 6;
constexpr std::uint32_t kProgressAbove = 320;
// Finder flags of the desktop files: invisible.
constexpr std::uint16_t kInvisible = 0x4000;

constexpr const char* kNeeds512 = "Korvane formats only media with 512-byte sectors.";
constexpr const char* kNameNotUsable = "This name holds a character that Macintosh names cannot hold.";
constexpr const char* kFormatIncomplete = "The format did not complete: the medium holds no usable volume.";
constexpr const char* kFormatUndone = "The format did not complete: the medium is as it was before it.";
constexpr const char* kWriteFailedAt = "The medium could not be written at sector %lu. ";
constexpr const char* kStoppedByUser = "The format was stopped. ";
constexpr const char* kNewVolumeNotOpened = "The new volume could not be opened. ";
constexpr const char* kWithoutJournal = "--no-journal";
constexpr const char* kFormatWithoutJournal =
        "Start Korvane with --no-journal to format this medium without an undo journal.";
constexpr const char* kDesktopFilesMissing = "The desktop files could not be created on the new volume.";

// Where a format writes: the whole medium, behind its undo journal when it
// has one.
struct FormatTarget {
    std::unique_ptr<SectorDevice> device;
    JournaledSectors* journal = nullptr;  // the device itself, or null
};

FormatTarget format_target(TransferContext& ctx, const FormatParameters& params) {
    FormatTarget target;
    target.device = make_drive_device(ctx, {0, params.capacity}, target.journal);
    return target;
}

// A format does not need what the medium held, and a drive often reassigns
// a block that cannot be read when it is written: where the journal's
// refusal does not say so already, the way round it is named.
// The record the refusal left begun goes, so that the next opening does
// not take it for an interrupted change.
std::string journal_refusal(JournaledSectors& journal) {
    std::string why = journal.take_refusal();
    journal.drop_change();
    if (why.find(kWithoutJournal) == std::string::npos) why += std::string(" ") + kFormatWithoutJournal;
    return why;
}

bool refused(TransferContext& ctx, const std::string& text) {
    show_notice(ctx, text);
    ctx.outcome.failureReported = true;
    return false;
}

// A format that could not complete. With the undo journal, what it wrote is
// put back and the volume that was there is opened again; without one, or
// when it could not all be put back, no volume is open on the half-written
// medium.
bool format_failed(TransferContext& ctx, const FormatTarget& target, const std::string& why) {
    if (ctx.volume.modifying) discard_changes(ctx);
    set_status(ctx, nullptr, nullptr);
    if (target.journal && target.journal->drop_change()) {
        refused(ctx, why + kFormatUndone);
        analyze_volume(ctx);
        return false;
    }
    ctx.state.volume_start = 0;
    ctx.noVolumeReason = kFormatIncomplete;
    return refused(ctx, why + kFormatIncomplete);
}

std::string write_failed_text(std::uint32_t sector) {
    char text[96];
    std::snprintf(text, sizeof text, kWriteFailedAt, static_cast<unsigned long>(sector));
    return text;
}

// Makes the writes in order; the reason it stopped, or "" when all were made.
std::string make_writes(TransferContext& ctx, SectorDevice& device, std::span<const SectorWrite> writes, bool zeroing) {
    const std::uint32_t zeroed = writes.empty() ? 0 : writes.back().sector + writes.back().count;
    for (const SectorWrite& write : writes) {
        if (zeroing && ctx.host.escape_requested()) return kStoppedByUser;
        ctx.host.busy_tick();
        if (!device.write(write.sector, write.count, write.bytes)) return write_failed_text(write.sector);
        if (zeroing && zeroed > kProgressAbove) show_progress(ctx, zeroed - write.sector - write.count, zeroed);
    }
    return {};
}

// The zeroed start of the medium, then the structures and the drivers.
std::string write_medium(TransferContext& ctx, SectorDevice& device, const FormatWrites& writes) {
    set_status(ctx, message(Msg::kResettingFirstSectors).data(), nullptr);
    std::string stopped = make_writes(ctx, device, writes.zeroing(), true);
    if (!stopped.empty()) return stopped;
    set_status(ctx, message(Msg::kCreatingStructures).data(), nullptr);
    stopped = make_writes(ctx, device, writes.building(), false);
    set_status(ctx, nullptr, nullptr);
    return stopped;
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

bool write_volume(TransferContext& ctx, const FormatParameters& params, FormatStyle style, std::string_view pc_name,
                  const CopiedDrivers* drivers) {
    const auto mac_name = volume_mac_name(pc_name);
    if (!mac_name) return refused(ctx, kNameNotUsable);
    if (ctx.device.sectorSize != kFormatSectorBytes) return refused(ctx, kNeeds512);
    install_transfer_routine(ctx, kFormatSectorBytes);
    const FormatWrites writes(params, style, *mac_name, mac_now(), drivers);
    const FormatTarget target = format_target(ctx, params);
    // Refused by the journal, the format has written nothing: the volume that was open stays.
    if (target.journal && !target.journal->journal_ahead(writes.all()))
        return refused(ctx, journal_refusal(*target.journal));
    // From the first write on, the volume that was open is gone.
    forget_volume(ctx);
    ctx.state.volume_start = 0;
    if (const std::string stopped = write_medium(ctx, *target.device, writes); !stopped.empty())
        return format_failed(ctx, target, stopped);
    if (analyze_volume(ctx, InterruptedChange::OwnChangeInProgress) <= 0)
        return format_failed(ctx, target, kNewVolumeNotOpened);
    // The desktop files' write-back ends the format's undo record.
    if (target.journal) borrow_volume_device(ctx, *target.journal);
    const bool made = create_desktop_files(ctx, params);
    if (target.journal) give_back_volume_device(ctx);
    if (made) return true;
    if (target.journal) return format_failed(ctx, target, std::string(kDesktopFilesMissing) + " ");
    return refused(ctx, kDesktopFilesMissing);
}

}  // namespace korvane
