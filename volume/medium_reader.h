#pragma once
// Reads of the selected drive's own sectors, as discovery and the brute-force
// search need them before the volume's geometry is known.

#include <cstdint>
#include <optional>
#include <vector>

#include "device/device_context.h"

namespace korvane {

struct DeviceSectors {
    std::vector<std::uint8_t> bytes;  // count x sectorSize bytes, zeros where nothing was read
    bool ok = false;
};

// Reads count sectors of the medium (in its own sector size) starting at
// sector, with the retries of the sector layer. A failed read leaves zeros.
DeviceSectors read_device_sectors(DeviceContext& ctx, std::uint32_t sector, std::uint16_t count);

struct DriveCapacity {
    std::uint32_t lastBlock = 0;
    std::uint32_t blockLength = 0;
    // The medium's size in 512-byte units.
    std::uint64_t sectors512() const { return (std::uint64_t{lastBlock} + 1) * blockLength / 512; }
};

// The drive's READ CAPACITY answer, whatever block length it gives.
std::optional<DriveCapacity> read_drive_capacity(DeviceContext& ctx);

// The block length the drive reports with READ CAPACITY, when it answers
// with one that Korvane can address (512 or 1024 bytes).
std::optional<std::uint16_t> drive_block_length(DeviceContext& ctx);

}  // namespace korvane
