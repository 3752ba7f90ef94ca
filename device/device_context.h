#pragma once
// The device layer's records on top of the core context: the selected drive's
// sector size and capacity, the transport, the volume work area and the
// geometry of the open volume.

#include <array>
#include <cstdint>
#include <memory>

#include "core/core_context.h"
#include "core/volume_geometry.h"
#include "device/medium_lock.h"
#include "device/transport.h"

namespace korvane {

// Which routine `transfer` runs: the one for 512-byte media, or the one that
// converts 512-byte units to 1024-byte device sectors.
enum class TransferRoutine { Sector512, Sector1024 };

struct DeviceState {
    std::uint16_t sectorSize = 512;
    std::uint16_t sectorsPerTransfer = 64;
    std::uint32_t capacity = 0;
    TransferRoutine transfer = TransferRoutine::Sector512;
};

// The volume work area: eight 512-byte slots that keep their roles for the run.
inline constexpr std::size_t kWorkSlotSize = 512;
inline constexpr std::size_t kWorkSlotCount = 8;
enum WorkSlot : std::size_t {
    kSlotSectorBuffer = 0,  // slots 0-1: 1024 bytes
    kSlotCatalogNode = 2,
    kSlotExtentsNode = 3,
    kSlotMdb = 4,
    kSlotCatalogHeader = 5,
    kSlotExtentsHeader = 6,
    kSlotScratch = 7,
};

struct DeviceContext : CoreContext {
    using CoreContext::CoreContext;

    DeviceState device;
    std::unique_ptr<Transport> transport;
    // The media this run has locked in their drives.
    MediumLocks mediumLocks;
    VolumeGeometry geometry;
    std::array<std::uint8_t, kWorkSlotSize * kWorkSlotCount> workArea{};

    std::uint8_t* work_slot(std::size_t slot) { return workArea.data() + slot * kWorkSlotSize; }
};

}  // namespace korvane
