#include "device/startup_selection.h"

#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "device/bus_scan.h"
#include "device/device_dialog.h"
#include "device/sector_io.h"

namespace korvane {
namespace {

constexpr int kMessageDriveNotReady = 11;
constexpr int kMessageTransportFailed = 61;

}  // namespace

std::uint8_t initTransport(DeviceContext& ctx) {
    if (!ctx.transport) fatal_notice(ctx, std::string(message(kMessageTransportFailed)));
    SupportInfo info = ctx.transport->supportInfo();
    if (info.status != kStatusDone || info.adapterCount == 0)
        fatal_notice(ctx, std::string(message(kMessageTransportFailed)));
    return info.adapterCount;
}

bool driveAnswersAsDisk(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target) {
    std::uint16_t type = ctx.transport->deviceType(adapter, target);
    std::uint8_t status = ctx.transport->inquiry(adapter, target, ctx.workSlot(kSlotSectorBuffer));
    bool answered = status == kStatusDone || status == kStatusError;
    return answered && isUsableDriveType(type);
}

void applyStartupSelection(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target) {
    ctx.state.host_adapter = adapter;
    ctx.state.target_id = target;
    if (!driveAnswersAsDisk(ctx, adapter, target)) {
        show_notice(ctx, std::string(message(kMessageDriveNotReady)));
        ctx.state.host_adapter = kNoDrive;
        ctx.state.target_id = kNoDrive;
    }
    installTransferRoutine(ctx, 512);
}

void selectStartupDrive(DeviceContext& ctx) {
    if (ctx.state.host_adapter == kNoDrive && ctx.state.target_id == kNoDrive) {
        // The dialog installs the routine that matches the sector size it read.
        selectDeviceDialog(ctx);
        return;
    }
    applyStartupSelection(ctx, ctx.state.host_adapter, ctx.state.target_id);
}

}  // namespace korvane
