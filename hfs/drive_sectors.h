#pragma once
// The selected drive's medium in 512-byte sectors, through the sector
// layer's transfer (its retries and its 1024-byte conversion), confined to
// a range of sectors: a write outside it is refused, never sent.

#include <cstdint>

#include "device/device_context.h"
#include "hfs/volume.h"

namespace korvane {

class DriveSectors : public SectorDevice {
public:
    DriveSectors(DeviceContext& ctx, SectorRange range) : ctx_(ctx), target_(ctx.state.target_id), range_(range) {}

    bool read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) override;
    bool write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) override;

private:
    bool move(std::uint16_t operation, std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer);

    DeviceContext& ctx_;
    std::uint8_t target_;
    SectorRange range_;
};

// 512-byte sectors of the whole medium, as the drive reports them now.
std::uint32_t medium_sectors(DeviceContext& ctx);

}  // namespace korvane
