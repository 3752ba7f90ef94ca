#include "transfer/copy_to_mac.h"

#include "core/notices.h"

namespace korvane {

int copy_pc_matching(TransferContext& ctx, std::string_view) {
    show_notice(ctx, "The copy to the Macintosh volume is not available in this version of Korvane.");
    ctx.outcome.failureReported = true;
    return 1;
}

}  // namespace korvane
