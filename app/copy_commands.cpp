#include "app/copy_commands.h"

#include <cctype>
#include <string>

#include "app/commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "core/messages.h"
#include "core/notices.h"
#include "transfer/copy_to_pc.h"
#include "transfer/output_port.h"
#include "transfer/transfer_dialogs.h"
#include "util/char_tables.h"
#include "util/drives.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

constexpr int kRepaintWholeListing = 255;

// The names of the selected entries, in listing order, before any copy
// changes the catalog buffer or the listing.
std::vector<std::string> selected_names(const AppState& state) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < state.entries.size(); ++i)
        if (is_selected(state, i)) names.push_back(entry_name(state, i));
    return names;
}

// The destination's own file system decides whether long names are possible.
void prepare_copy(Context& ctx) { ctx.state.long_names_available = drive_has_long_names(); }

bool destination_chosen(Context& ctx) {
    if (output_port(ctx.state.output_options) != kPortFile) return true;
    if (ctx.menus.checked(cmd::kUseCurrentDirectory)) return true;
    DestinationDialog dialog(ctx, true);
    return ctx.host.run_dialog(dialog) == kDialogOk;
}

// A name typed on the PC side (the command language holds it in the Windows
// character set) as the catalog holds names: trailing blanks removed, then
// through ansi_to_mac.
std::string mac_name_of_typed(std::string_view typed) {
    while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
    return translated(typed, ansi_to_mac);
}

int copy_mode_command(std::uint16_t option_flags) {
    switch (option_flags & kCopyModeMask) {
        case kCopyMacBinary: return cmd::kBinaryCopy;
        case kCopyResourceFork: return cmd::kResourcesCopy;
        default: return cmd::kNormalCopy;
    }
}

std::string upper(std::string_view text) {
    std::string result;
    for (char c : text) result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

void copy_selection_to_pc(Context& ctx) {
    AppState& state = ctx.state;
    if (!requireOpenVolume(ctx)) return;
    std::vector<std::string> names = selected_names(state);
    if (names.empty()) {
        show_notice(ctx, std::string(message(18)));
        return;
    }
    if (ctx.log.is_open()) ctx.log.write("Mac->PC\n");
    if (!destination_chosen(ctx)) return;
    ctx.host.busy_tick();
    prepare_copy(ctx);
    for (const std::string& name : names)
        if (copy_matching(ctx, name) != kCopyDone) break;
    set_status(ctx, nullptr, nullptr);
    ctx.host.invalidate_listing(kRepaintWholeListing);
}

void choose_destination(Context& ctx) {
    DestinationDialog dialog(ctx, false);
    ctx.menus.set_checked(cmd::kUseCurrentDirectory, ctx.host.run_dialog(dialog) == kDialogOk);
}

void choose_file_naming(Context& ctx) {
    NamingOptionsDialog dialog(ctx);
    ctx.host.run_dialog(dialog);
}

void choose_output_port(Context& ctx) {
    OutputPortsDialog dialog(ctx);
    ctx.host.run_dialog(dialog);
}

bool apply_port_option(Context& ctx, std::string_view name) {
    auto port = port_from_name(name);
    if (!port) return false;
    ctx.state.output_options = with_output_port(ctx.state.output_options, *port);
    return true;
}

void run_copy_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) {
        dispatch_command(ctx, copy_mode_command(ctx.state.option_flags));
        copy_selection_to_pc(ctx);
        return;
    }
    if (!requireOpenVolume(ctx)) return;
    prepare_copy(ctx);
    copy_matching(ctx, mac_name_of_typed(command.first));
}

void run_options_command(Context& ctx, const ParsedCommand& command) {
    const std::string word = upper(command.first);
    int mode = -1;
    if (word == "LONG") mode = static_cast<int>(kNamingLong);
    if (word == "SHORT") mode = static_cast<int>(kNamingShort);
    if (word == "ASK") mode = static_cast<int>(kNamingAsk);
    if (mode < 0) {
        choose_file_naming(ctx);
        return;
    }
    ctx.state.output_options = with_naming_mode(ctx.state.output_options, mode);
}

}  // namespace korvane
