#include "device/device_dialog.h"

#include <array>
#include <utility>

#include "core/messages.h"
#include "core/notices.h"
#include "device/sector_io.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr int kCapacityAttempts = 10;

void deselect(AppState& state) {
    state.host_adapter = kNoDrive;
    state.target_id = kNoDrive;
}

}  // namespace

DeviceDialog::DeviceDialog(DeviceContext& ctx, BusScan scan) : ctx_(ctx), scan_(std::move(scan)) { show(0, +1); }

int DeviceDialog::drive_count(int adapter) const {
    int count = 0;
    for (const DeviceListEntry& entry : scan_.entries)
        if (entry.adapter == adapter && !entry.is_header()) ++count;
    return count;
}

void DeviceDialog::show(int adapter, int direction) {
    // An adapter without drives is passed over in the direction of travel;
    // when none lies that way, the requested one is shown as it is.
    int shown = adapter;
    for (int a = adapter; a >= 0 && a < scan_.adapter_count; a += direction) {
        if (drive_count(a) > 0) {
            shown = a;
            break;
        }
    }
    fill(static_cast<std::uint8_t>(shown));
}

void DeviceDialog::fill(std::uint8_t adapter) {
    adapter_ = adapter;
    rows_ = {};  // rows of the previous adapter must not stay enabled
    driverName_.clear();
    chosen_ = kNoDrive;
    int drives = 0;
    std::uint8_t onlyTarget = kNoDrive;
    for (const DeviceListEntry& entry : scan_.entries) {
        if (entry.adapter != adapter) continue;
        if (entry.is_header()) {
            driverName_ = entry.product;
            continue;
        }
        if (entry.target >= kMaxTargets) continue;
        rows_[entry.target] = DeviceRow{true, entry.vendor, entry.product, entry.revision};
        onlyTarget = entry.target;
        ++drives;
    }
    if (drives == 1) chosen_ = onlyTarget;
    nextEnabled_ = adapter + 1 < scan_.adapter_count;
    precedingEnabled_ = adapter > 0;
}

void DeviceDialog::choose_target(std::uint8_t target) {
    if (target < kMaxTargets && rows_[target].enabled) chosen_ = target;
}

void DeviceDialog::next_host() {
    if (nextEnabled_) show(adapter_ + 1, +1);
}

void DeviceDialog::preceding_host() {
    if (precedingEnabled_) show(adapter_ - 1, -1);
}

bool DeviceDialog::confirm() {
    if (chosen_ != kNoDrive) return true;
    show_notice(ctx_, std::string(message(Msg::kSelectScsiDrive)));
    return false;
}

void DeviceDialog::help() { ctx_.host.show_help(help_key()); }

bool drive_answers_as_disk(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target) {
    std::uint16_t type = ctx.transport->device_type(adapter, target);
    std::uint8_t status = ctx.transport->inquiry(adapter, target, ctx.work_slot(kSlotSectorBuffer));
    bool answered = status == kStatusDone || status == kStatusError;
    return answered && is_usable_drive_type(type);
}

bool read_selected_capacity(DeviceContext& ctx) {
    std::array<std::uint8_t, 512> answer{};
    for (int attempt = 0; attempt < kCapacityAttempts; ++attempt) {
        if (ctx.transport->read_capacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) != kStatusDone)
            continue;
        std::uint32_t lastBlock = load_be32(answer.data());
        std::uint32_t blockLength = load_be32(answer.data() + 4);
        if (lastBlock != 0) ctx.device.capacity = lastBlock;
        // Only the sizes the transfer routines handle are taken: any other
        // would let a drive return more bytes than a caller's buffer holds.
        if (blockLength == 512 || blockLength == 1024) {
            ctx.device.sectorSize = static_cast<std::uint16_t>(blockLength);
            install_transfer_routine(ctx, ctx.device.sectorSize);
        }
        return true;
    }
    return false;
}

int select_device_dialog(DeviceContext& ctx) {
    BusScan scan = scan_bus(*ctx.transport);
    if (scan.adapter_count == 0 || scan.drive_count == 0) {
        deselect(ctx.state);
        show_notice(ctx, std::string(message(Msg::kNoKnownDevice)));
        return kNoDriveFound;
    }
    DeviceDialog dialog(ctx, std::move(scan));
    int answer = ctx.host.run_dialog(dialog);
    if (answer != kDialogOk || dialog.chosen_target() == kNoDrive) {
        deselect(ctx.state);
        return kDialogCancel;
    }
    ctx.state.host_adapter = dialog.adapter();
    ctx.state.target_id = dialog.chosen_target();
    if (!read_selected_capacity(ctx)) fatal_notice(ctx, std::string(message(Msg::kDriveNotReady)));
    return kDialogOk;
}

}  // namespace korvane
