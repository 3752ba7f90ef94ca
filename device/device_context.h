#pragma once
// The device layer's records on top of the core context: the selected drive's
// sector size and capacity, the transport, the volume work area and the
// geometry of the open volume.

#include <array>
#include <cstdint>
#include <memory>

#include "core/core_context.h"
#include "core/volume_geometry.h"
#include "device/transport.h"

namespace korvane {

struct DeviceState {
    std::uint16_t sectorSize = 512;
    std::uint16_t sectorsPerTransfer = 64;
    std::uint32_t capacity = 0;
};

struct DeviceContext : CoreContext {
    using CoreContext::CoreContext;

    DeviceState device;
    std::unique_ptr<Transport> transport;
    VolumeGeometry geometry;
};

}  // namespace korvane
