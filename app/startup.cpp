#include "app/startup.h"

#include "app/copy_commands.h"
#include "app/device_commands.h"
#include "core/log_file.h"
#include "core/messages.h"
#include "core/notices.h"
#include "device/device_dialog.h"
#include "device/sector_io.h"
#include "util/drives.h"
#include "util/pc_directory.h"
#include "volume/discovery.h"

namespace korvane {
namespace {

constexpr const char* kNoDriveChosen =
        "No drive was chosen: choose one from the 'Mac Drive' menu (korvane-cmd: /A followed by the adapter and "
        "target digits).";

void reset_options(Context& ctx) {
    AppState& state = ctx.state;
    state.target_id = kNoDrive;
    state.host_adapter = kNoDrive;
    state.access_method = kNoDrive;
    state.option_flags |= kCopyDataFork;
    state.volume_locked = false;
    state.long_names_available = drive_has_long_names();
    state.output_options = state.long_names_available ? kNamingLong : kNamingShort;
    state.saved_pc_dir = current_directory();
}

void apply_switches(Context& ctx, const LaunchArguments& launch) {
    const StartupSwitches& switches = launch.switches;
    ctx.state.host_adapter = switches.host_adapter;
    ctx.state.target_id = switches.target_id;
    if (switches.reset_each_access) ctx.state.reset_each_access = true;
    ctx.journal.enabled = !launch.no_journal;
    if (switches.log_option) open_log_from_option(ctx, *switches.log_option);
    // --pc-dir was checked to be a directory when the command line was read.
    if (!launch.console.pc_dir.empty()) change_directory(launch.console.pc_dir);
    // --port was checked to be a port name when the command line was read.
    if (!launch.console.port.empty()) apply_port_option(ctx, launch.console.port);
}

void start_transport(Context& ctx, const LaunchArguments& launch) {
    ctx.device.sectorsPerTransfer = 64;
    ctx.device.sectorSize = 512;
    allocate_work_area(ctx);
    if (start_image_bus(ctx, launch) <= 0) fatal_notice(ctx, std::string(message(Msg::kErrorInitializingBus)));
}

void select_drive(Context& ctx) {
    AppState& state = ctx.state;
    if (state.host_adapter == kNoDrive && state.target_id == kNoDrive) {
        // The dialog installs the routine that matches the sector size it read.
        select_device_dialog(ctx);
        if (state.target_id == kNoDrive) ctx.noVolumeReason = kNoDriveChosen;
        return;
    }
    if (!drive_answers_as_disk(ctx, state.host_adapter, state.target_id)) {
        show_notice(ctx, std::string(message(Msg::kDriveNotReady)));
        state.host_adapter = kNoDrive;
        state.target_id = kNoDrive;
    }
}

void open_selected_volume(Context& ctx) {
    if (ctx.state.target_id == kNoDrive) {
        set_status(ctx, message(Msg::kSelectDriveInMenu).data(), "");
        return;
    }
    ctx.host.busy_tick();
    const std::int32_t found = analyze_volume(ctx);
    if (found > 0) {
        set_status(ctx, string_resource(StringId::kMenuPrompt).data(), "");
    } else if (found == 0) {
        // Discovery knows better than "This is not a Macintosh volume." why it found none.
        const std::string reason =
                ctx.noVolumeReason.empty() ? std::string(message(Msg::kNotMacintoshVolume)) : ctx.noVolumeReason;
        set_status(ctx, reason.c_str(), "");
    }
}

}  // namespace

void init_options_and_device(Context& ctx, const LaunchArguments& launch) {
    reset_options(ctx);
    apply_switches(ctx, launch);
    start_transport(ctx, launch);
    if (!launch.console.scan) select_drive(ctx);
    // The routine follows the sector size: 512 after the /A test, whatever
    // READ CAPACITY reported after the device dialog.
    install_transfer_routine(ctx, ctx.device.sectorSize);
    ctx.state.access_method = 1;
    write_log_date(ctx, false);
}

void init_application(Context& ctx, const LaunchArguments& launch) {
    init_options_and_device(ctx, launch);
    if (launch.console.scan) return;
    open_selected_volume(ctx);
    ctx.host.invalidate_listing(255);
}

bool init_application(Context& ctx, const std::vector<std::string>& args, FrontEnd front_end) {
    ParsedLaunch parsed = parse_launch_arguments(args, front_end);
    if (!parsed.ok()) return false;
    init_application(ctx, parsed.arguments);
    return true;
}

void shutdown_application(Context& ctx) {
    release_medium_locks(ctx);
    ctx.workArea.fill(0);
    remove_working_files(ctx);
    change_directory(ctx.state.saved_pc_dir);
    close_log_at_exit(ctx);
}

void shutdown_after_fatal_error(Context& ctx, const FatalError& error) {
    report_fatal_error(ctx, error);
    release_medium_locks(ctx);
}

}  // namespace korvane
