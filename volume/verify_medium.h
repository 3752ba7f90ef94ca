#pragma once
// Verify: the drive checks every sector of its medium itself (VERIFY(10) in
// blocks of 4096 sectors from sector 1 to the last-block address, no data
// crossing the bus). A block that fails is reported with its size and first
// sector, and the user goes on or ends the run.

#include <cstdint>
#include <vector>

#include "device/device_context.h"

namespace korvane {

inline constexpr std::uint16_t kVerifyBlockSectors = 4096;

struct VerifiedBlock {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

struct VerifyResult {
    std::vector<VerifiedBlock> errors;  // the blocks that failed, in order
    bool ended = false;                 // Esc, or No / Cancel after an error
};

// Verifies the selected drive's medium.
VerifyResult verify_medium(DeviceContext& ctx);

}  // namespace korvane
