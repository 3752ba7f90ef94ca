#include "app/copy_commands.h"

#include <cctype>
#include <string>

#include "app/browse_commands.h"
#include "app/commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/typed_names.h"
#include "core/messages.h"
#include "core/notices.h"
#include "transfer/copy_texts.h"
#include "transfer/copy_to_pc.h"
#include "transfer/dos_name.h"
#include "transfer/output_port.h"
#include "transfer/transfer_dialogs.h"
#include "util/drives.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

constexpr int kRepaintWholeListing = 255;

// The destination's own file system decides whether long names are possible.
void prepare_copy(Context& ctx) { ctx.state.long_names_available = drive_has_long_names(); }

bool destination_chosen(Context& ctx) {
    if (output_port(ctx.state.output_options) != kPortFile) return true;
    if (ctx.menus.checked(cmd::kUseCurrentDirectory)) return true;
    DestinationDialog dialog(ctx, true);
    return ctx.host.run_dialog(dialog) == kDialogOk;
}

int copy_mode_command(std::uint16_t option_flags) {
    switch (option_flags & kCopyModeMask) {
        case kCopyMacBinary:
            return cmd::kBinaryCopy;
        case kCopyResourceFork:
            return cmd::kResourcesCopy;
        default:
            return cmd::kNormalCopy;
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
    if (!require_open_volume(ctx)) return;
    if (count_selected(state) == 0) {
        show_notice(ctx, std::string(message(Msg::kNoSelectionToCopy)));
        ctx.outcome.failureReported = true;
        return;
    }
    if (ctx.log.is_open()) ctx.log.write("Mac->PC\n");
    if (!destination_chosen(ctx)) return;
    ctx.host.busy_tick();
    prepare_copy(ctx);
    // Each mark is cleared as its entry is taken; the entry a stop interrupts
    // is marked again, so exactly the entries not copied stay selected.
    for (int index; (index = take_first_selected(state)) >= 0;) {
        const std::string name = entry_name(state, static_cast<std::size_t>(index));
        const int result = copy_entry_named(ctx, name);
        if (result == kCopyDone) continue;
        select_entry(state, static_cast<std::size_t>(index));
        // Only a catalog changed or damaged since the listing was loaded lacks a listed entry.
        if (result == kCopyNoEntry) report_copy_failure(ctx, format_text(kListedEntryMissing, shown_mac_name(name)));
        break;
    }
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
        // The copy mode's item first, so that its check mark follows /B, /D or /R.
        post_command(ctx, copy_mode_command(ctx.state.option_flags));
        post_command(ctx, cmd::kCopyToPc);
        return;
    }
    if (!require_open_volume(ctx)) return;
    prepare_copy(ctx);
    const std::optional<std::string> name = mac_name_of_typed(command.first);
    const bool matched = name && copy_matching(ctx, *name) != kCopyNoEntry;
    if (!matched && volume_is_open(ctx)) ctx.unmatched_name = command.first;
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
