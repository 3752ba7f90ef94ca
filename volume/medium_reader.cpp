#include "volume/medium_reader.h"

#include <array>

#include "device/sector_io.h"
#include "util/byte_order.h"

namespace korvane {

DeviceSectors read_device_sectors(DeviceContext& ctx, std::uint32_t sector, std::uint16_t count) {
    DeviceSectors read;
    const std::size_t sector_bytes = ctx.device.sectorSize < 512 ? 512 : ctx.device.sectorSize;
    read.bytes.assign(std::size_t{count} * sector_bytes, 0);
    DeviceRequest request;
    request.operation = kOpRead;
    request.adapter = ctx.state.host_adapter;
    request.target = ctx.state.target_id;
    request.sector = sector;
    request.count = count;
    request.buffer = read.bytes.data();
    read.ok = transfer512(ctx, request) == 0;
    if (!read.ok) std::fill(read.bytes.begin(), read.bytes.end(), std::uint8_t{0});
    return read;
}

std::optional<DriveCapacity> read_drive_capacity(DeviceContext& ctx) {
    if (!ctx.transport || ctx.state.target_id == kNoDrive) return std::nullopt;
    std::array<std::uint8_t, 512> answer{};
    if (ctx.transport->read_capacity(ctx.state.host_adapter, ctx.state.target_id, answer.data()) != kStatusDone) {
        return std::nullopt;
    }
    return DriveCapacity{load_be32(answer.data()), load_be32(answer.data() + 4)};
}

std::optional<std::uint16_t> drive_block_length(DeviceContext& ctx) {
    const auto capacity = read_drive_capacity(ctx);
    if (!capacity || (capacity->blockLength != 512 && capacity->blockLength != 1024)) return std::nullopt;
    return static_cast<std::uint16_t>(capacity->blockLength);
}

}  // namespace korvane
