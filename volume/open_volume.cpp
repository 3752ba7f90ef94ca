#include "volume/open_volume.h"

#include "core/messages.h"
#include "core/notices.h"

namespace korvane {

bool volume_is_open(const HfsContext& ctx) { return ctx.state.target_id != kNoDrive && ctx.state.volume_start > 0; }

std::string no_volume_text(const HfsContext& ctx) {
    std::string reason = ctx.noVolumeReason;
    if (ctx.state.volume_start < 0) reason = message(Msg::kDosVolume);
    // Without a drive and without a known cause, the plain request says it all.
    if (reason.empty() && ctx.state.target_id == kNoDrive) return std::string(message(Msg::kSelectDriveInMenu));
    if (reason.empty()) reason = message(Msg::kNotMacintoshVolume);
    return "No Macintosh volume is open. " + reason;
}

bool require_open_volume(HfsContext& ctx) {
    if (volume_is_open(ctx)) return true;
    show_notice(ctx, no_volume_text(ctx));
    ctx.outcome.failureReported = true;
    return false;
}

}  // namespace korvane
