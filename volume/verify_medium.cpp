#include "volume/verify_medium.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

std::uint32_t last_block_address(DeviceContext& ctx) {
    std::array<std::uint8_t, 512> answer{};
    if (ctx.transport->read_capacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) != kStatusDone)
        return 0;
    return load_be32(answer.data());
}

// "Error in block of ... Do you want to continue?": true for Yes.
bool go_on_after_error(DeviceContext& ctx, const VerifiedBlock& block) {
    char text[160];
    std::snprintf(text, sizeof text, message(Msg::kBlockError).data(), static_cast<int>(block.count),
                  static_cast<unsigned long>(block.first));
    return ctx.host.ask_yes_no_cancel(text) == Choice::Yes;
}

}  // namespace

VerifyResult verify_medium(DeviceContext& ctx) {
    VerifyResult result;
    if (ctx.state.target_id == kNoDrive || !ctx.transport) return result;
    const std::uint32_t last = last_block_address(ctx);
    // A medium smaller than one block is verified in one shorter block.
    std::uint32_t remaining = last;
    std::uint32_t first = 1;
    while (remaining > 0) {
        if (ctx.host.escape_requested()) {
            result.ended = true;
            break;
        }
        ctx.host.busy_tick();
        const VerifiedBlock block{first, std::min<std::uint32_t>(kVerifyBlockSectors, remaining)};
        const std::uint8_t status = ctx.transport->verify(ctx.state.host_adapter, ctx.state.target_id, block.first,
                                                          static_cast<std::uint16_t>(block.count));
        if (status == kStatusError) {
            result.errors.push_back(block);
            if (!go_on_after_error(ctx, block)) {
                result.ended = true;
                break;
            }
        }
        remaining -= block.count;
        first += block.count;
        if (remaining > 0) show_progress(ctx, remaining, last);
    }
    return result;
}

}  // namespace korvane
