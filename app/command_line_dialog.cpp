#include "app/command_line_dialog.h"

#include "app/command_line.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "core/notices.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;

void execute_line(Context& ctx, std::string_view line) {
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    ParsedCommand parsed;
    run_command_line(ctx, handlers, line.substr(0, CommandLineDialog::kMaxLineLength), parsed);
    if (parsed.code != CommandCode::None) set_status(ctx, nullptr, nullptr);
}

}  // namespace

CommandOutcome command_line_command(Context& ctx) {
    CommandLineDialog dialog;
    if (ctx.host.run_dialog(dialog) != kDialogOk) return CommandOutcome::Done;
    execute_line(ctx, dialog.line);
    update_menus(ctx);
    settle_screen(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
    // Posted commands run after the dialog has closed, in the order posted.
    return run_posted_commands(ctx) ? CommandOutcome::CloseWindow : CommandOutcome::Done;
}

}  // namespace korvane
