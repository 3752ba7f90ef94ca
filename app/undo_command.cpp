#include "app/undo_command.h"

#include <string>

#include "app/menu_state.h"
#include "core/messages.h"
#include "core/notices.h"
#include "hfs/journaled_sectors.h"
#include "hfs/undo.h"
#include "volume/discovery.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;
constexpr const char* kUnfinishedDropped =
        "The unfinished change was dropped: what it had written was put back, the medium is as it was before it.";

// A change whose write-back failed is still held in memory: undoing it
// means dropping it, which puts back what it had written.
void drop_unfinished_change(Context& ctx) {
    const bool put_back = ctx.volume.journal->drop_change();
    discard_changes(ctx);
    if (put_back) show_notice(ctx, kUnfinishedDropped);
}

}  // namespace

void undo_command(Context& ctx) {
    if (ctx.state.target_id == kNoDrive) {
        show_notice(ctx, std::string(message(Msg::kSelectDriveInMenu)));
        ctx.outcome.failureReported = true;
        return;
    }
    if (ctx.volume.modifying && ctx.volume.journal != nullptr) {
        drop_unfinished_change(ctx);
    } else {
        if (ctx.volume.modifying) discard_changes(ctx);
        undo_last_change(ctx);
    }
    // Nothing Korvane holds of the volume may be current now: it is read again.
    analyze_volume(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
    update_menus(ctx);
}

void run_undo_command(Context& ctx, const ParsedCommand&) { undo_command(ctx); }

}  // namespace korvane
