#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/notices.h"
#include "device/sector_io.h"

namespace korvane {
namespace {

constexpr std::uint32_t kUnit = 512;
// The progress bar is worth drawing only for runs longer than five requests.
constexpr std::uint32_t kProgressRequests = 5;

// On failure errno tells why (ENOSPC for a full file system).
bool write_all(int fd, const std::uint8_t* data, std::size_t length) {
    errno = 0;
    while (length > 0) {
        ssize_t done = ::write(fd, data, length);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        length -= static_cast<std::size_t>(done);
    }
    return true;
}

// Reads up to length bytes; fewer only at the end of the file or on an error.
std::size_t read_up_to(int fd, std::uint8_t* data, std::size_t length) {
    std::size_t total = 0;
    while (total < length) {
        ssize_t done = ::read(fd, data + total, length - total);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) break;
        total += static_cast<std::size_t>(done);
    }
    return total;
}

std::uint32_t run_start(const DeviceContext& ctx, std::uint16_t firstBlock) {
    return ctx.geometry.firstAllocSector + std::uint32_t{firstBlock} * ctx.geometry.sectorsPerBlock;
}

DeviceRequest run_request(DeviceContext& ctx, std::uint16_t operation, std::uint8_t* buffer) {
    DeviceRequest request;
    request.operation = operation;
    request.adapter = ctx.state.host_adapter;
    request.target = ctx.state.target_id;
    request.buffer = buffer;
    return request;
}

// After a chunk failed: each of its sectors once more on its own; those
// that still fail become zeros. Returns how many failed.
std::uint32_t salvage_chunk(DeviceContext& ctx, std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
    std::uint32_t unreadable = 0;
    std::vector<std::uint8_t> one(2 * kUnit);  // one device sector even on 1024-byte media
    for (std::uint16_t i = 0; i < count; ++i) {
        DeviceRequest request = run_request(ctx, kOpRead, one.data());
        request.sector = sector + i;
        request.count = 1;
        std::uint8_t* destination = buffer + std::size_t{i} * kUnit;
        if (transfer(ctx, request) == 0) {
            std::memcpy(destination, one.data(), kUnit);
        } else {
            std::memset(destination, 0, kUnit);
            ++unreadable;
        }
    }
    return unreadable;
}

}  // namespace

RunResult read_run_to_file(DeviceContext& ctx, int fd, std::uint16_t firstBlock, std::uint32_t byteCount) {
    RunResult result;
    const std::uint16_t chunk = ctx.device.sectorsPerTransfer;
    const std::uint32_t total = static_cast<std::uint32_t>((std::uint64_t{byteCount} + kUnit - 1) / kUnit);
    const bool progress = total > kProgressRequests * chunk;
    std::vector<std::uint8_t> buffer(std::size_t{chunk} * kUnit);
    std::uint32_t sector = run_start(ctx, firstBlock);
    std::uint32_t remaining = total;
    std::uint64_t bytesLeft = byteCount;

    while (remaining > 0) {
        ctx.host.busy_tick();
        auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(chunk, remaining));
        if (progress) show_progress(ctx, remaining, total);
        DeviceRequest request = run_request(ctx, kOpRead, buffer.data());
        request.sector = sector;
        request.count = count;
        if (transfer(ctx, request) != 0) {
            ctx.host.beep();
            result.unreadableSectors += salvage_chunk(ctx, sector, count, buffer.data());
        }
        std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{count} * kUnit, bytesLeft));
        if (!write_all(fd, buffer.data(), length)) {
            result.ok = false;
            result.writeError = errno != 0 ? errno : EIO;
            return result;
        }
        bytesLeft -= length;
        remaining -= count;
        sector += count;
    }
    return result;
}

RunResult write_run_from_file(DeviceContext& ctx, int fd, std::uint16_t firstBlock, std::uint16_t block_count) {
    RunResult result;
    const std::uint16_t chunk = ctx.device.sectorsPerTransfer;
    const std::uint32_t total = std::uint32_t{block_count} * ctx.geometry.sectorsPerBlock;
    const bool progress = total > kProgressRequests * chunk;
    std::vector<std::uint8_t> buffer(std::size_t{chunk} * kUnit);
    std::uint32_t sector = run_start(ctx, firstBlock);
    std::uint32_t remaining = total;

    while (remaining > 0) {
        ctx.host.busy_tick();
        auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(chunk, remaining));
        std::size_t length = std::size_t{count} * kUnit;
        std::size_t got = read_up_to(fd, buffer.data(), length);
        // Past the end of the file the last block is padded with zeros, not old bytes.
        std::memset(buffer.data() + got, 0, length - got);
        if (progress) show_progress(ctx, remaining, total);
        DeviceRequest request = run_request(ctx, kOpWrite, buffer.data());
        request.sector = sector;
        request.count = count;
        if (transfer(ctx, request) != 0) {
            result.ok = false;
            break;
        }
        remaining -= count;
        sector += count;
    }
    set_status(ctx, nullptr, nullptr);
    return result;
}

}  // namespace korvane
