#include "app/device_commands.h"

#include "app/menu_state.h"
#include "core/notices.h"
#include "device/bus_scan.h"
#include "device/bus_setup.h"
#include "device/device_dialog.h"
#include "device/sector_io.h"
#include "volume/discovery.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;

}  // namespace

int start_image_bus(Context& ctx, const LaunchArguments& launch) {
    BusSetup setup = makeImageBus(launch.images, launch.bus_dirs);
    ctx.transport = std::move(setup.bus);
    // An image that cannot be used is left out; Korvane still starts.
    for (const std::string& problem : setup.problems) show_notice(ctx, "Image not attached: " + problem);
    SupportInfo info = ctx.transport->supportInfo();
    return info.status == kStatusDone ? info.adapterCount : 0;
}

std::vector<std::string> bus_scan_lines(Context& ctx) {
    std::vector<std::string> lines;
    for (const DeviceListEntry& entry : scanBus(*ctx.transport).entries) lines.push_back(scanLine(entry));
    return lines;
}

void select_drive_command(Context& ctx) {
    if (selectDeviceDialog(ctx) == kDialogOk) {
        analyzeVolume(ctx);
        if (ctx.state.target_id != kNoDrive) ctx.host.invalidate_listing(kRepaintAll);
    }
    update_menus(ctx);
}

void toggle_lock(Context& ctx) {
    const bool lock = !ctx.state.volume_locked;
    ctx.transport->preventRemoval(ctx.state.host_adapter, ctx.state.target_id, lock);
    ctx.state.volume_locked = lock;
    update_menus(ctx);
}

void toggle_reset(Context& ctx) {
    ctx.state.reset_each_access = !ctx.state.reset_each_access;
    update_menus(ctx);
}

void attach_image_command(Context& ctx) {
    AttachImageDialog chooser;
    if (ctx.host.run_dialog(chooser) != kDialogOk || chooser.path.empty()) return;
    std::string problem = ctx.transport->attachImage(0, chooser.path);
    if (!problem.empty()) {
        show_notice(ctx, "Image not attached: " + chooser.path + ": " + problem);
        return;
    }
    select_drive_command(ctx);
}

}  // namespace korvane
