#include "app/device_commands.h"

#include "app/menu_state.h"
#include "core/messages.h"
#include "core/notices.h"
#include "device/bus_scan.h"
#include "device/bus_setup.h"
#include "device/device_dialog.h"
#include "device/sector_io.h"
#include "volume/discovery.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;

DriveAddress selected_drive(const Context& ctx) { return {ctx.state.host_adapter, ctx.state.target_id}; }

bool require_selected_drive(Context& ctx) {
    if (ctx.state.target_id != kNoDrive) return true;
    show_notice(ctx, std::string(message(Msg::kSelectDriveInMenu)));
    ctx.outcome.failureReported = true;
    return false;
}

// Sends the lock or unlock; a drive that refuses it is named in a notice.
bool change_lock(Context& ctx, DriveAddress drive, bool lock) {
    if (set_medium_lock(*ctx.transport, ctx.mediumLocks, drive, lock)) return true;
    show_notice(ctx, lock ? kLockFailed : kUnlockFailed);
    ctx.outcome.failureReported = true;
    return false;
}

}  // namespace

int start_image_bus(Context& ctx, const LaunchArguments& launch) {
    BusSetup setup = make_image_bus(launch.images, launch.bus_dirs);
    ctx.transport = std::move(setup.bus);
    // An image that cannot be used is left out; Korvane still starts.
    for (const std::string& problem : setup.problems) show_notice(ctx, "Image not attached: " + problem);
    SupportInfo info = ctx.transport->support_info();
    return info.status == kStatusDone ? info.adapter_count : 0;
}

std::vector<std::string> bus_scan_lines(Context& ctx) {
    std::vector<std::string> lines;
    for (const DeviceListEntry& entry : scan_bus(*ctx.transport).entries) lines.push_back(scan_line(entry));
    return lines;
}

void select_drive_command(Context& ctx) {
    if (select_device_dialog(ctx) == kDialogOk) {
        analyze_volume(ctx);
        if (ctx.state.target_id != kNoDrive) ctx.host.invalidate_listing(kRepaintAll);
    }
    update_menus(ctx);
}

void toggle_lock(Context& ctx) {
    const bool lock = !ctx.state.volume_locked;
    MediumLocks& locks = ctx.mediumLocks;
    if (lock && !require_selected_drive(ctx)) return;
    const DriveAddress drive = lock ? selected_drive(ctx) : locks.menu_lock;
    if (!change_lock(ctx, drive, lock)) return;
    locks.menu_lock = drive;
    ctx.state.volume_locked = lock;
    update_menus(ctx);
}

void lock_selected_drive(Context& ctx, bool lock) {
    if (require_selected_drive(ctx)) change_lock(ctx, selected_drive(ctx), lock);
}

void release_medium_locks(Context& ctx) {
    if (ctx.transport) release_medium_locks(*ctx.transport, ctx.mediumLocks);
}

void toggle_reset(Context& ctx) {
    ctx.state.reset_each_access = !ctx.state.reset_each_access;
    update_menus(ctx);
}

void attach_image_command(Context& ctx) {
    AttachImageDialog chooser;
    if (ctx.host.run_dialog(chooser) != kDialogOk || chooser.path.empty()) return;
    std::string problem = ctx.transport->attach_image(0, chooser.path);
    if (!problem.empty()) {
        show_notice(ctx, "Image not attached: " + chooser.path + ": " + problem);
        return;
    }
    select_drive_command(ctx);
}

}  // namespace korvane
