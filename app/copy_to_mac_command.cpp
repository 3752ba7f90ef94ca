#include "app/copy_to_mac_command.h"

#include "app/browse_commands.h"
#include "app/commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "core/notices.h"
#include "transfer/copy_to_mac.h"
#include "transfer/copy_to_mac_dialog.h"
#include "transfer/type_database.h"
#include "util/pc_names.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;

}  // namespace

void copy_to_mac_command(Context& ctx) {
    if (!require_open_volume(ctx)) return;
    if (ctx.log.is_open()) ctx.log.write("PC->Mac\n");
    load_type_database(ctx);
    CopyToMacDialog dialog(ctx);
    if (ctx.host.run_dialog(dialog) != kDialogCancel) reload_listing(ctx);
    update_menus(ctx);
    settle_screen(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
}

void run_mcopy_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) {
        post_command(ctx, cmd::kCopyToMac);
        return;
    }
    if (!require_open_volume(ctx)) return;
    if (ctx.log.is_open()) ctx.log.write("PC->Mac\n");
    load_type_database(ctx);
    // Typed in the Windows character set; the copy matches names as the file system spells them.
    if (copy_pc_matching(ctx, pc_name_to_utf8(command.first, PcCharset::Windows)) == kNoPcEntry)
        ctx.unmatched_name = command.first;
    set_status(ctx, nullptr, nullptr);
    reload_listing(ctx);
    update_menus(ctx);
}

}  // namespace korvane
