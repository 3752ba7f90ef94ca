#include "app/maintenance_commands.h"

#include <cstdio>
#include <optional>

#include "app/browse_commands.h"
#include "app/menu_state.h"
#include "core/messages.h"
#include "core/notices.h"
#include "device/device_dialog.h"
#include "device/same_drive_dialog.h"
#include "device/sector_io.h"
#include "volume/discovery.h"
#include "volume/format_dialogs.h"
#include "volume/format_medium.h"
#include "volume/rescue_dialog.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;
constexpr const char* kMediumTooSmall =
        "A Macintosh volume cannot be made on a medium of this size (from 1 MB to 512 GB).";
constexpr const char* kVerifyClean = "Verification complete: no errors.";
constexpr const char* kVerifyErrors = "Verification complete: %lu blocks with errors.";
constexpr const char* kDriversNotUsable = "The drivers of %s cannot be used: %s Nothing was written.";

bool drive_selected(const Context& ctx) { return ctx.state.target_id != kNoDrive; }

// Verify and rescue work on media without a volume, whose drive discovery
// has deselected: without a drive, the device dialog chooses one.
bool require_drive(Context& ctx) {
    if (!drive_selected(ctx)) select_device_dialog(ctx);
    if (drive_selected(ctx)) return true;
    show_notice(ctx, std::string(message(Msg::kSelectDriveInMenu)));
    ctx.outcome.failureReported = true;
    return false;
}

bool failed(Context& ctx) {
    ctx.outcome.failureReported = true;
    return false;
}

struct Drive {
    std::uint8_t adapter;
    std::uint8_t target;
    bool operator==(const Drive&) const = default;
};

Drive selected_drive(const Context& ctx) { return {ctx.state.host_adapter, ctx.state.target_id}; }

// "Drive to be used" when a drive is selected, the device dialog otherwise
// or when the bus is to be scanned again. A drive chosen anew passes the
// write guard too: the one before the dialog was for the drive then selected.
bool choose_drive_to_format(Context& ctx) {
    const Drive before = selected_drive(ctx);
    const int answer = drive_selected(ctx) ? same_drive_question(ctx) : kRescanBus;
    if (answer == kSameDriveCancel) return failed(ctx);
    if (answer == kRescanBus && select_device_dialog(ctx) != kDialogOk) return failed(ctx);
    if (!drive_selected(ctx)) return failed(ctx);
    return selected_drive(ctx) == before || check_writable(ctx) || failed(ctx);
}

struct FormatDetails {
    std::string name;
    FormatStyle style = FormatStyle::Partitioned;
    std::optional<CopiedDrivers> drivers;
};

// The drivers of the image named in the dialog; false, reported, when it has none to give.
bool read_chosen_drivers(Context& ctx, const std::string& image, FormatDetails& details) {
    if (image.empty() || details.style == FormatStyle::Bare) return true;
    std::string problem;
    details.drivers = read_drivers(image, problem);
    if (details.drivers) return true;
    char text[512];
    std::snprintf(text, sizeof text, kDriversNotUsable, image.c_str(), problem.c_str());
    show_notice(ctx, text);
    return failed(ctx);
}

// The name and style of the new volume; false when the dialog was cancelled.
bool ask_format_details(Context& ctx, const FormatRequest& request, FormatDetails& details) {
    FormattingDialog form;
    form.volume_name = !request.name.empty()           ? request.name
                       : !ctx.last_format_name.empty() ? ctx.last_format_name
                                                       : std::string(message(Msg::kUntitled));
    form.bare = request.bare;
    form.driver_image = request.driver_image;
    if (ctx.host.run_dialog(form) != kDialogOk) return failed(ctx);
    details.name = form.accepted_name();
    ctx.last_format_name = details.name;
    details.style = form.bare ? FormatStyle::Bare : FormatStyle::Partitioned;
    return read_chosen_drivers(ctx, form.driver_image, details);
}

void show_new_state(Context& ctx) {
    reload_listing(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
    update_menus(ctx);
}

void report_verify(Context& ctx, const VerifyResult& result) {
    if (result.errors.empty()) {
        set_status(ctx, kVerifyClean, nullptr);
        return;
    }
    char text[96];
    std::snprintf(text, sizeof text, kVerifyErrors, static_cast<unsigned long>(result.errors.size()));
    set_status(ctx, text, nullptr);
    ctx.outcome.failureReported = true;
}

void run_format_keyword(Context& ctx, const ParsedCommand& command) {
    FormatRequest request;
    request.name = command.first;
    request.bare = command.switches.find_first_of("Vv") != std::string::npos;
    format_command(ctx, request);
}

void run_rescue_keyword(Context& ctx, const ParsedCommand&) { rescue_selected_drive(ctx, {}); }

}  // namespace

void format_command(Context& ctx, const FormatRequest& request) {
    FormatDetails details;
    if (!ask_format_details(ctx, request, details) || !choose_drive_to_format(ctx)) return;
    const std::uint32_t capacity = identify_medium(ctx);
    if (capacity == 0) {
        show_notice(ctx, std::string(message(Msg::kUnidentifiedMedium)));
        failed(ctx);
        return;
    }
    const auto params = format_parameters(
            capacity, details.drivers ? kDriverPartitionStart + details.drivers->sectors() : kHfsPartitionStart);
    if (!params) {
        show_notice(ctx, kMediumTooSmall);
        failed(ctx);
        return;
    }
    ctx.device.capacity = capacity;
    set_status(ctx, message(Msg::kInitializingVolume).data(), kPleaseWait.data());
    write_volume(ctx, *params, details.style, details.name, details.drivers ? &*details.drivers : nullptr);
    set_status(ctx, nullptr, nullptr);
    show_new_state(ctx);
}

void verify_command(Context& ctx) {
    const Drive before = selected_drive(ctx);
    if (select_device_dialog(ctx) != kDialogOk) return;
    report_verify(ctx, verify_medium(ctx));
    // The volume of the drive selected before is no longer the one shown.
    if (selected_drive(ctx) != before) {
        analyze_volume(ctx);
        show_new_state(ctx);
    }
}

VerifyResult verify_selected_drive(Context& ctx) {
    if (!require_drive(ctx)) return {};
    VerifyResult result = verify_medium(ctx);
    report_verify(ctx, result);
    return result;
}

void medium_scanning_command(Context& ctx) {
    if (!require_drive(ctx)) return;
    RescueDialog dialog(ctx);
    ctx.host.run_dialog(dialog);
}

RescueResult rescue_selected_drive(Context& ctx, const std::function<void(const RescueProgress&)>& on_file) {
    if (!require_drive(ctx)) return {};
    RescueProgress progress;
    std::uint32_t reported = 0;
    progress.changed = [&](const RescueProgress& now) {
        if (now.files == reported) return;
        reported = now.files;
        if (on_file) on_file(now);
    };
    const RescueResult result = rescue_scan(ctx, progress);
    if (result.stopped || result.noGeometry) ctx.outcome.failureReported = true;
    return result;
}

void add_maintenance_command_handlers(CommandHandlers& handlers) {
    handlers.add(CommandCode::Format, run_format_keyword);
    handlers.add(CommandCode::Verify, [](Context& ctx, const ParsedCommand&) { verify_selected_drive(ctx); });
    handlers.add(CommandCode::Rescue, run_rescue_keyword);
}

}  // namespace korvane
