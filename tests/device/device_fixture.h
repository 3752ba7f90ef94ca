#pragma once
// Shared ground of the device tests: real image files in a temporary folder,
// a context on an image bus, and a bus that records every request block.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/device_context.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"

namespace korvane::testing {

// Reads or writes 512-byte units of the selected drive through the transfer
// routine, as the engine does.
inline std::uint16_t read_units(DeviceContext& ctx, std::uint32_t sector, std::uint16_t count,
                                std::vector<std::uint8_t>& into) {
    into.assign(std::size_t{count} * 512, 0);
    DeviceRequest request;
    request.operation = kOpRead;
    request.target = ctx.state.target_id;
    request.sector = sector;
    request.count = count;
    request.buffer = into.data();
    return transfer(ctx, request);
}

inline std::uint16_t write_units(DeviceContext& ctx, std::uint32_t sector, std::vector<std::uint8_t> data) {
    DeviceRequest request;
    request.operation = kOpWrite;
    request.target = ctx.state.target_id;
    request.sector = sector;
    request.count = static_cast<std::uint16_t>(data.size() / 512);
    request.buffer = data.data();
    return transfer(ctx, request);
}

// An image bus that keeps a copy of every request block it receives.
class RecordingBus : public ImageBus {
public:
    std::vector<RequestBlock> requests;
    std::vector<std::string> events;  // "send" and "pause N" in order

    RecordingBus() {
        pause = [this](std::chrono::milliseconds span) { events.push_back("pause " + std::to_string(span.count())); };
    }
    // Commands of one SCSI operation code sent so far.
    int count_of(std::uint8_t opcode) const {
        int n = 0;
        for (const RequestBlock& block : requests)
            if (block.command == kRequestExecute && block.cdb[0] == opcode) ++n;
        return n;
    }
    int resets_sent() const {
        int n = 0;
        for (const RequestBlock& block : requests) n += block.command == kRequestReset;
        return n;
    }

protected:
    void send(RequestBlock& block) override {
        ImageBus::send(block);
        requests.push_back(block);
        events.push_back(block.command == kRequestReset ? "reset" : "send");
    }
};

// Each 512-byte unit u of the image is filled with the byte (u * 7 + offset % 251) & 0xFF,
// so that any misplaced unit shows.
inline std::uint8_t pattern_byte(std::uint64_t offset) {
    return static_cast<std::uint8_t>((offset / 512) * 7 + (offset % 512) % 251);
}

inline std::vector<std::uint8_t> read_file(const std::string& path, std::uint64_t offset, std::size_t length) {
    std::vector<std::uint8_t> data(length);
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(::pread(fd, data.data(), length, static_cast<off_t>(offset)), static_cast<ssize_t>(length));
    ::close(fd);
    return data;
}

inline std::vector<std::uint8_t> expected_bytes(std::uint64_t offset, std::size_t length) {
    std::vector<std::uint8_t> data(length);
    for (std::size_t i = 0; i < length; ++i) data[i] = pattern_byte(offset + i);
    return data;
}

inline void make_image(const std::string& path, std::uint64_t bytes) {
    const std::vector<std::uint8_t> data = expected_bytes(0, bytes);
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    ::close(fd);
}

struct DeviceWorld {
    ScriptedHost host;
    DeviceContext ctx{host};
    RecordingBus* bus = nullptr;

    DeviceWorld() {
        auto recording = std::make_unique<RecordingBus>();
        bus = recording.get();
        ctx.transport = std::move(recording);
    }
    // Attaches an image to adapter 0 and selects it.
    void attach_and_select(const std::string& image, std::uint8_t target = 0) {
        ASSERT_EQ(bus->attach_image(0, image), "");
        ctx.state.host_adapter = 0;
        ctx.state.target_id = target;
    }
};

}  // namespace korvane::testing
