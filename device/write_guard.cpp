#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "device/sector_io.h"

namespace korvane {

int probe_write_protect(DeviceContext& ctx, std::uint8_t target) {
    // Slots 0-1 hold a whole device sector even on 1024-byte media.
    DeviceRequest request;
    request.operation = kOpRead;
    request.target = target;
    request.sector = 0;
    request.count = 1;
    request.buffer = ctx.work_slot(kSlotSectorBuffer);
    if (transfer512(ctx, request) != 0) return 0;
    request.operation = kOpWrite;
    request.sector = 0;
    request.count = 1;
    return transfer512(ctx, request) != 0 ? kWriteProtected : 0;
}

bool check_writable(DeviceContext& ctx) {
    if (ctx.device.sectorSize == 1024) {
        show_notice(ctx, std::string(message(Msg::kWritesNotValidatedFor1024)));
        return false;
    }
    if (ctx.state.target_id != kNoDrive && probe_write_protect(ctx, ctx.state.target_id) != 0)
        return ctx.host.ask_ok_cancel(std::string(message(Msg::kWriteProtected)));
    return true;
}

}  // namespace korvane
