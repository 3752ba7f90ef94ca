#include "hfs/drive_sectors.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "device/sector_io.h"
#include "util/byte_order.h"

namespace korvane {

bool DriveSectors::read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
    return move(kOpRead, sector, count, buffer);
}

bool DriveSectors::write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) {
    if (!range_.contains(sector, count)) return false;
    std::vector<std::uint8_t> copy(buffer, buffer + std::size_t{count} * kSectorSize);
    return move(kOpWrite, sector, count, copy.data());
}

bool DriveSectors::move(std::uint16_t operation, std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
    const std::uint16_t chunk = std::max<std::uint16_t>(1, ctx_.device.sectorsPerTransfer);
    while (count > 0) {
        const std::uint16_t n = std::min(count, chunk);
        DeviceRequest request;
        request.operation = operation;
        request.target = target_;
        request.sector = sector;
        request.count = n;
        request.buffer = buffer;
        if (transfer(ctx_, request) != 0) return false;
        sector += n;
        count = static_cast<std::uint16_t>(count - n);
        buffer += std::size_t{n} * kSectorSize;
    }
    return true;
}

std::uint32_t medium_sectors(DeviceContext& ctx) {
    std::array<std::uint8_t, 512> answer{};
    if (ctx.transport &&
        ctx.transport->read_capacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) == kStatusDone) {
        const std::uint64_t blocks = std::uint64_t{load_be32(answer.data())} + 1;
        const std::uint64_t length = load_be32(answer.data() + 4);
        const std::uint64_t sectors = blocks * length / kSectorSize;
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, std::numeric_limits<std::uint32_t>::max()));
    }
    return static_cast<std::uint32_t>(std::uint64_t{ctx.device.capacity} * ctx.device.sectorSize / kSectorSize);
}

}  // namespace korvane
