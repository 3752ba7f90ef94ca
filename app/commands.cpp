#include "app/commands.h"

#include <algorithm>
#include <string>

#include "app/attribute_commands.h"
#include "app/browse_commands.h"
#include "app/check_command.h"
#include "app/command_line_dialog.h"
#include "app/command_table.h"
#include "app/copy_commands.h"
#include "app/copy_to_mac_command.h"
#include "app/device_commands.h"
#include "app/dump_command.h"
#include "app/folder_commands.h"
#include "app/listing_view.h"
#include "app/maintenance_commands.h"
#include "app/menu_state.h"
#include "app/undo_command.h"
#include "core/log_file.h"
#include "core/messages.h"
#include "core/notices.h"
#include "device/sector_io.h"
#include "volume/volume_info.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;

void repaint_all(Context& ctx) {
    settle_screen(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
}

bool drive_selected(const Context& ctx) { return ctx.state.target_id != kNoDrive; }

// Commands that copy need a drive and say so rather than stay silent.
bool require_drive(Context& ctx) {
    if (drive_selected(ctx)) return true;
    show_notice(ctx, std::string(message(Msg::kSelectDriveInMenu)));
    return false;
}

// --- paging -----------------------------------------------------------------

void next_screen(Context& ctx) {
    AppState& state = ctx.state;
    state.first_shown = state.end_shown;
    state.end_shown = 0;
    ctx.menus.set_enabled(cmd::kPrecedingScreen, true);
    ctx.menus.set_enabled(cmd::kFirstScreen, true);
    repaint_all(ctx);
}

void first_screen(Context& ctx) {
    ctx.menus.set_enabled(cmd::kFirstScreen, false);
    ctx.menus.set_enabled(cmd::kPrecedingScreen, false);
    ctx.menus.set_enabled(cmd::kNextScreen, true);
    ctx.state.first_shown = 0;
    ctx.state.end_shown = 0;
    repaint_all(ctx);
}

void preceding_screen(Context& ctx) {
    AppState& state = ctx.state;
    std::uint16_t step = screen_size(state.option_flags);
    if (step < state.first_shown) {
        state.first_shown -= step;
    } else {
        state.first_shown = 0;
        ctx.menus.set_enabled(cmd::kFirstScreen, false);
        ctx.menus.set_enabled(cmd::kPrecedingScreen, false);
    }
    ctx.menus.set_enabled(cmd::kNextScreen, true);
    state.end_shown = 0;
    repaint_all(ctx);
}

// --- listing layouts ----------------------------------------------------------

constexpr std::uint16_t kListingBits = kListingExtended | kListingSignature;

void choose_wide_listing(Context& ctx, int command, std::uint16_t bit) {
    AppState& state = ctx.state;
    if ((state.option_flags & kListingBits) == bit) return;  // already this listing
    ctx.menus.check_only({cmd::kShortListing, cmd::kExtendedListing, cmd::kSignatureListing}, command);
    state.option_flags = static_cast<std::uint16_t>((state.option_flags & ~kListingBits) | bit);
    state.end_shown = 0;
    repaint_all(ctx);
}

void choose_short_listing(Context& ctx) {
    AppState& state = ctx.state;
    if ((state.option_flags & kListingBits) == 0) return;
    ctx.menus.check_only({cmd::kShortListing, cmd::kExtendedListing, cmd::kSignatureListing}, cmd::kShortListing);
    // A wide screen starts at a multiple of 18: show the short screen holding it.
    state.first_shown = static_cast<std::uint16_t>(state.first_shown - state.first_shown % kListingPageEntries);
    state.option_flags = static_cast<std::uint16_t>(state.option_flags & ~kListingBits);
    state.end_shown = 0;
    repaint_all(ctx);
}

// --- options -----------------------------------------------------------------

void choose_copy_mode(Context& ctx, int command, std::uint16_t mode) {
    ctx.menus.check_only({cmd::kNormalCopy, cmd::kResourcesCopy, cmd::kBinaryCopy}, command);
    AppState& state = ctx.state;
    state.option_flags = static_cast<std::uint16_t>((state.option_flags & ~kCopyModeMask) | mode);
}

// --- selection ---------------------------------------------------------------

template <typename Change>
void change_selection(Context& ctx, Change change) {
    change(ctx.state);
    update_menus(ctx);
    repaint_all(ctx);
}

}  // namespace

bool is_write_guarded(int command) {
    const CommandRow* row = row_for_menu_command(command);
    return row != nullptr && row->writes();
}

bool write_guard_passes(Context& ctx) { return check_writable(ctx); }

CommandOutcome dispatch_command(Context& ctx, int command) {
    if (is_write_guarded(command) && !write_guard_passes(ctx)) {
        ctx.outcome.failureReported = true;
        return CommandOutcome::Done;
    }
    const CommandRow* row = row_for_menu_command(command);
    if (row != nullptr && row->needs_volume() && !volume_is_open(ctx)) ctx.outcome.failureReported = true;
    return run_menu_command(ctx, command);
}

CommandOutcome run_menu_command(Context& ctx, int command) {
    switch (command) {
        case cmd::kExit:
            return CommandOutcome::CloseWindow;
        case cmd::kCopyToPc:
            copy_selection_to_pc(ctx);
            return CommandOutcome::Done;
        case cmd::kCopyToMac:
            if (require_drive(ctx)) copy_to_mac_command(ctx);
            return CommandOutcome::Done;
        case cmd::kSelectDrive:
            select_drive_command(ctx);
            return CommandOutcome::Done;
        case cmd::kAttachImage:
            attach_image_command(ctx);
            return CommandOutcome::Done;
        case cmd::kEditAttributes:
            edit_attributes_command(ctx);
            return CommandOutcome::Done;
        case cmd::kDump:
            dump_content_command(ctx);
            return CommandOutcome::Done;
        case cmd::kSwapForks:
            swap_forks_command(ctx);
            return CommandOutcome::Done;
        case cmd::kFormat:
            format_command(ctx);
            return CommandOutcome::Done;
        case cmd::kMediumScanning:
            medium_scanning_command(ctx);
            return CommandOutcome::Done;
        case cmd::kVerify:
            verify_command(ctx);
            return CommandOutcome::Done;
        case cmd::kCheckVolume:
            run_check_command(ctx, ParsedCommand{});
            return CommandOutcome::Done;
        case cmd::kVolumeInfo:
            volume_info_dialog(ctx);
            return CommandOutcome::Done;
        case cmd::kCommandLine:
            return command_line_command(ctx);
        case cmd::kLockVolume:
            toggle_lock(ctx);
            return CommandOutcome::Done;
        case cmd::kChangeDirectory:
            change_directory_command(ctx);
            return CommandOutcome::Done;
        case cmd::kRoot:
            return_to_root_command(ctx);
            return CommandOutcome::Done;
        case cmd::kParent:
            return_to_parent_command(ctx);
            return CommandOutcome::Done;
        case cmd::kRenameVolume:
            rename_volume_command(ctx);
            return CommandOutcome::Done;
        case cmd::kMakeDirectory:
            make_directory_command(ctx);
            return CommandOutcome::Done;
        case cmd::kDelete:
            delete_selection_command(ctx);
            return CommandOutcome::Done;
        case cmd::kRename:
            rename_selection_command(ctx);
            return CommandOutcome::Done;
        case cmd::kUndoLastChange:
            undo_command(ctx);
            return CommandOutcome::Done;
        case cmd::kBruteForce:
            brute_force_command(ctx);
            return CommandOutcome::Done;
        case cmd::kDestination:
            choose_destination(ctx);
            return CommandOutcome::Done;
        case cmd::kFileNaming:
            choose_file_naming(ctx);
            return CommandOutcome::Done;
        case cmd::kOutputPorts:
            choose_output_port(ctx);
            return CommandOutcome::Done;
        case cmd::kLogFile:
            ctx.menus.set_checked(cmd::kLogFile, run_log_file_dialog(ctx));
            return CommandOutcome::Done;
        case cmd::kDeselectAll:
            change_selection(ctx, deselect_all);
            return CommandOutcome::Done;
        case cmd::kSelectAll:
            change_selection(ctx, select_all);
            return CommandOutcome::Done;
        case cmd::kInvertSelection:
            change_selection(ctx, invert_selection);
            return CommandOutcome::Done;
        case cmd::kNextScreen:
            next_screen(ctx);
            return CommandOutcome::Done;
        case cmd::kFirstScreen:
            first_screen(ctx);
            return CommandOutcome::Done;
        case cmd::kPrecedingScreen:
            preceding_screen(ctx);
            return CommandOutcome::Done;
        case cmd::kNormalCopy:
            choose_copy_mode(ctx, command, kCopyDataFork);
            return CommandOutcome::Done;
        case cmd::kResourcesCopy:
            choose_copy_mode(ctx, command, kCopyResourceFork);
            return CommandOutcome::Done;
        case cmd::kBinaryCopy:
            choose_copy_mode(ctx, command, kCopyMacBinary);
            return CommandOutcome::Done;
        case cmd::kUseCurrentDirectory:
            ctx.menus.set_checked(command, !ctx.menus.checked(command));
            return CommandOutcome::Done;
        case cmd::kExtendedListing:
            choose_wide_listing(ctx, command, kListingExtended);
            return CommandOutcome::Done;
        case cmd::kSignatureListing:
            choose_wide_listing(ctx, command, kListingSignature);
            return CommandOutcome::Done;
        case cmd::kShortListing:
            choose_short_listing(ctx);
            return CommandOutcome::Done;
        case cmd::kResetDrive:
            toggle_reset(ctx);
            return CommandOutcome::Done;
        case cmd::kHelpIndex:
            ctx.host.show_help("");
            return CommandOutcome::Done;
        default:
            return CommandOutcome::NotAvailable;
    }
}

}  // namespace korvane
