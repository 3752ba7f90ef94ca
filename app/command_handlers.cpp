#include "app/attribute_commands.h"
#include "app/check_command.h"
#include "app/command_line.h"
#include "app/copy_commands.h"
#include "app/copy_to_mac_command.h"
#include "app/device_commands.h"
#include "app/dir_command.h"
#include "app/dump_command.h"
#include "app/folder_commands.h"
#include "app/maintenance_commands.h"
#include "app/menu_state.h"
#include "app/undo_command.h"
#include "device/sector_io.h"

namespace korvane {
namespace {

// MODE R, MODE R+ and MODE R- switch the drive reset; other arguments do nothing.
void set_reset_mode(Context& ctx, const ParsedCommand& command) {
    const std::string& argument = command.first;
    if (argument.empty() || (argument[0] != 'R' && argument[0] != 'r')) return;
    if (argument.size() == 1 || argument[1] == '+') {
        ctx.state.reset_each_access = true;
    } else if (argument[1] == '-') {
        ctx.state.reset_each_access = false;
    }
}

// Keywords that stand for a menu item: the item's command, after the line.
CommandHandler post(int command) {
    return [command](Context& ctx, const ParsedCommand&) { post_command(ctx, command); };
}

}  // namespace

// Each layer adds its commands here, one line per handler, as it lands:
//   handlers.add(CommandCode::Dir, run_dir_command);
void connect_command_handlers(CommandHandlers& handlers) {
    // Every keyword whose row in the command table writes to the medium
    // passes the write guard first.
    handlers.write_guard = [](Context& ctx) { return check_writable(ctx); };
    handlers.add(CommandCode::Mode, set_reset_mode);
    handlers.add(CommandCode::Help, post(cmd::kHelpIndex));
    handlers.add(CommandCode::Quit, post(cmd::kExit));
    handlers.add(CommandCode::Info, post(cmd::kVolumeInfo));
    handlers.add(CommandCode::Lock, [](Context& ctx, const ParsedCommand&) { lock_selected_drive(ctx, true); });
    handlers.add(CommandCode::Unlock, [](Context& ctx, const ParsedCommand&) { lock_selected_drive(ctx, false); });
    add_browse_command_handlers(handlers);
    handlers.add(CommandCode::Copy, run_copy_command);
    handlers.add(CommandCode::Options, run_options_command);
    handlers.add(CommandCode::MCopy, run_mcopy_command);
    handlers.add(CommandCode::Check, run_check_command);
    handlers.add(CommandCode::Attrib, run_attrib_command);
    handlers.add(CommandCode::Swap, run_swap_command);
    handlers.add(CommandCode::Dump, run_dump_command);
    add_folder_command_handlers(handlers);
    add_maintenance_command_handlers(handlers);
    handlers.add(CommandCode::Undo, run_undo_command);
}

}  // namespace korvane
