#include <cstring>
#include <vector>

#include "device/sector_io.h"

namespace korvane {
namespace {

constexpr int kTransferAttempts = 20;
constexpr std::uint8_t kScsiReadOp = 0x08;
constexpr std::uint8_t kScsiWriteOp = 0x0A;
constexpr std::size_t kUnit = 512;
constexpr std::size_t kDeviceSector = 1024;

void to_scsi_operation(DeviceRequest& request) {
    if (request.operation == kOpRead) request.operation = kScsiReadOp;
    if (request.operation == kOpWrite) request.operation = kScsiWriteOp;
}

// One device-sector request through the retry engine.
std::uint16_t device_sectors(DeviceContext& ctx, const DeviceRequest& model, std::uint8_t operation,
                             std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
    DeviceRequest request = model;
    request.operation = operation;
    request.sector = sector;
    request.count = count;
    request.buffer = buffer;
    return transfer512(ctx, request);
}

}  // namespace

std::uint16_t transfer512(DeviceContext& ctx, DeviceRequest& request) {
    request.adapter = ctx.state.host_adapter;
    to_scsi_operation(request);
    if (request.count == 0) return 0;  // nothing to move
    const auto adapter = static_cast<std::uint8_t>(request.adapter);
    const auto target = static_cast<std::uint8_t>(request.target);
    std::uint8_t status = kStatusError;
    for (int attempt = 0; attempt < kTransferAttempts; ++attempt) {
        // Some SyQuest drives only answer reliably right after a reset.
        if (ctx.state.reset_each_access) ctx.transport->reset_device(adapter, target);
        status = ctx.transport->read_write(static_cast<std::uint8_t>(request.operation), adapter, target,
                                           request.sector, request.count, request.buffer, ctx.device.sectorSize);
        if (status == kStatusDone) return 0;
    }
    return status == kStatusPending ? kStatusError : status;
}

std::uint16_t transfer1024(DeviceContext& ctx, DeviceRequest& request) {
    request.adapter = ctx.state.host_adapter;
    to_scsi_operation(request);
    if (request.count == 0) return 0;
    const bool writing = request.operation != kScsiReadOp;
    const std::uint32_t firstUnit = request.sector;
    const std::uint32_t lastUnit = firstUnit + request.count - 1;
    const std::uint32_t firstDevice = firstUnit / 2;
    const std::uint32_t deviceCount = lastUnit / 2 - firstDevice + 1;
    const std::size_t offset = (firstUnit % 2) * kUnit;
    const std::size_t bytes = std::size_t{request.count} * kUnit;
    std::vector<std::uint8_t> whole(std::size_t{deviceCount} * kDeviceSector);

    if (!writing) {
        std::uint16_t status = device_sectors(ctx, request, kScsiReadOp, firstDevice,
                                              static_cast<std::uint16_t>(deviceCount), whole.data());
        if (status == 0) std::memcpy(request.buffer, whole.data() + offset, bytes);
        return status;
    }

    // A write that starts or ends inside a device sector keeps that sector's other half.
    const bool headPartial = firstUnit % 2 == 1;
    const bool tailPartial = lastUnit % 2 == 0;
    if (headPartial) {
        std::uint16_t status = device_sectors(ctx, request, kScsiReadOp, firstDevice, 1, whole.data());
        if (status != 0) return status;
    }
    if (tailPartial && !(headPartial && deviceCount == 1)) {
        std::uint16_t status = device_sectors(ctx, request, kScsiReadOp, firstDevice + deviceCount - 1, 1,
                                              whole.data() + whole.size() - kDeviceSector);
        if (status != 0) return status;
    }
    std::memcpy(whole.data() + offset, request.buffer, bytes);
    return device_sectors(ctx, request, kScsiWriteOp, firstDevice, static_cast<std::uint16_t>(deviceCount),
                          whole.data());
}

std::uint16_t transfer(DeviceContext& ctx, DeviceRequest& request) {
    return ctx.device.transfer == TransferRoutine::Sector1024 ? transfer1024(ctx, request) : transfer512(ctx, request);
}

void install_transfer_routine(DeviceContext& ctx, std::uint16_t sectorSize) {
    if (sectorSize == 512) ctx.device.transfer = TransferRoutine::Sector512;
    if (sectorSize == 1024) ctx.device.transfer = TransferRoutine::Sector1024;
}

void allocate_work_area(DeviceContext& ctx) {
    ctx.workArea.fill(0);
    ctx.state.entries.reserve(ctx.state.entry_capacity);
}

std::uint16_t transfer_selected(DeviceContext& ctx, std::uint16_t operation, std::uint32_t sector, std::uint16_t count,
                                std::uint8_t* buffer) {
    DeviceRequest request;
    request.operation = operation;
    request.adapter = ctx.state.host_adapter;
    request.target = ctx.state.target_id;
    request.sector = sector;
    request.count = count;
    request.buffer = buffer;
    return transfer(ctx, request);
}

}  // namespace korvane
