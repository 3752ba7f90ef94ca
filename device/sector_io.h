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
    std::uint32_t sector = 0;        // 512-byte units from the start of the medium
    std::uint16_t count = 0;         // 512-byte sectors
    std::uint8_t* buffer = nullptr;  // count 512-byte sectors
    std::uint16_t reserved = 0;
};

// The current transfer routine (transfer512 or transfer1024): 0 on success,
// otherwise the last completion status of the transport.
std::uint16_t transfer(DeviceContext& ctx, DeviceRequest& request);

// Up to 20 attempts of one READ/WRITE to the selected adapter, each preceded
// by a bus device reset when reset_each_access is set. sector and count are
// in device sectors. The operation is rewritten to its SCSI code in place.
std::uint16_t transfer512(DeviceContext& ctx, DeviceRequest& request);

// One transfer through the current routine to the selected drive: count
// 512-byte sectors from sector (kOpRead or kOpWrite). 0 on success.
std::uint16_t transfer_selected(DeviceContext& ctx, std::uint16_t operation, std::uint32_t sector, std::uint16_t count,
                                std::uint8_t* buffer);

// For media with 1024-byte sectors: sector and count stay in 512-byte units;
// partial device sectors at either end of a write are read, merged and
// written whole, so the neighbouring half is kept. The buffer needs count
// sectors (no extra room is used).
std::uint16_t transfer1024(DeviceContext& ctx, DeviceRequest& request);

// Chooses the transfer routine for a sector size: 512 and 1024 select their
// routines, any other value leaves the current one.
void install_transfer_routine(DeviceContext& ctx, std::uint16_t sectorSize);

// Clears the volume work area and makes room for a page of the listing.
void allocate_work_area(DeviceContext& ctx);

struct RunResult {
    bool ok = true;                       // false: the run stopped (PC file or device failure)
    std::uint32_t unreadableSectors = 0;  // sectors written as zeros because they could not be read
    int writeError = 0;                   // errno of the PC file write that stopped the run
};

// Copies byteCount bytes starting at allocation block firstBlock to the open
// PC file descriptor fd (at its current position). A chunk that cannot be
// read beeps once and is read again sector by sector; sectors that still fail
// are written as zeros and counted. ok is false only when the PC file could
// not be written (the run stops there); the caller reports it.
RunResult read_run_to_file(DeviceContext& ctx, int fd, std::uint16_t firstBlock, std::uint32_t byteCount);

// Copies block_count allocation blocks' worth of bytes from fd onto the volume;
// bytes beyond the end of the file are written as zeros. Stops at the first
// request that fails after its retries and returns ok = false.
RunResult write_run_from_file(DeviceContext& ctx, int fd, std::uint16_t firstBlock, std::uint16_t block_count);

inline constexpr int kWriteProtected = 3;

// Reads sector 0 of target and writes it back with transfer512: 0 when the
// medium takes the write (or sector 0 cannot be read), kWriteProtected when not.
int probe_write_protect(DeviceContext& ctx, std::uint8_t target);

// The guard of every modifying command: refuses 1024-byte media with a notice
// and asks "Write-protected media." (OK / Cancel) before writing to a medium
// that refuses writes. True when the command may go on.
bool check_writable(DeviceContext& ctx);

}  // namespace korvane
