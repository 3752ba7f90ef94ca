#pragma once
// Sector transfers with retries, the 1024-byte conversion, runs of allocation
// blocks to and from PC files, and the write guard. Above this layer the
// medium is addressed in 512-byte sectors.

#include <cstdint>

#include "device/device_context.h"

namespace korvane {

inline constexpr std::uint16_t kOpRead = 2;
inline constexpr std::uint16_t kOpWrite = 3;

struct DeviceRequest {
    std::uint16_t operation = kOpRead;  // kOpRead / kOpWrite (or 0x08 / 0x0A)
    std::uint16_t adapter = 0;
    std::uint16_t target = 0;
    std::uint32_t sector = 0;  // 512-byte units from the start of the medium
    std::uint16_t count = 0;   // 512-byte sectors
    std::uint8_t* buffer = nullptr;  // count sectors (+1024 bytes on 1024-byte media)
    std::uint16_t reserved = 0;
};

// The current transfer routine (transfer512 or transfer1024): 0 on success,
// otherwise the last completion status of the transport.
std::uint16_t transfer(DeviceContext& ctx, DeviceRequest& request);

struct RunResult {
    bool ok = true;                       // false: the run stopped (PC file or device failure)
    std::uint32_t unreadableSectors = 0;  // sectors written as zeros because they could not be read
};

// Copies byteCount bytes starting at allocation block firstBlock to the open
// PC file descriptor fd (at its current position).
RunResult readRunToFile(DeviceContext& ctx, int fd, std::uint16_t firstBlock, std::uint32_t byteCount);

// Copies blockCount allocation blocks' worth of bytes from fd onto the volume.
RunResult writeRunFromFile(DeviceContext& ctx, int fd, std::uint16_t firstBlock, std::uint16_t blockCount);

}  // namespace korvane
