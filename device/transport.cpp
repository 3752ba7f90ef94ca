#include "device/transport.h"

#include <algorithm>
#include <thread>

#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr std::uint32_t kSixByteAddressLimit = 1u << 21;
constexpr std::uint32_t kSixByteCountLimit = 256;
constexpr std::uint8_t kSenseLength = 20;
constexpr std::chrono::milliseconds kRemovalPause{150};

}  // namespace

Transport::Transport() : pause([](std::chrono::milliseconds span) { std::this_thread::sleep_for(span); }) {}

RequestBlock& Transport::cleared(std::uint8_t command, std::uint8_t adapter, std::uint8_t target) {
    block_ = RequestBlock{};
    block_.command = command;
    block_.adapter = adapter;
    block_.target = target;
    return block_;
}

void Transport::poll(RequestBlock&) {}

void Transport::send_and_wait() {
    send(block_);
    while (block_.status == kStatusPending) poll(block_);
}

std::uint8_t Transport::execute() {
    send_and_wait();
    return block_.status;
}

AdapterInquiry Transport::host_adapter_inquiry(std::uint8_t adapter) {
    RequestBlock& block = cleared(kRequestAdapterInquiry, adapter);
    send_and_wait();
    AdapterInquiry answer;
    answer.adapter_count = block.adapter_count;
    const auto& id = block.managerId;
    answer.managerId.assign(id.data(), std::find(id.begin(), id.end(), '\0'));
    return answer;
}

std::uint16_t Transport::device_type(std::uint8_t adapter, std::uint8_t target) {
    RequestBlock& block = cleared(kRequestDeviceType, adapter, target);
    send_and_wait();
    return block.status == kStatusDone ? block.device_type : kNoDeviceType;
}

std::uint8_t Transport::reset_device(std::uint8_t adapter, std::uint8_t target) {
    cleared(kRequestReset, adapter, target);
    return execute();
}

std::uint8_t Transport::inquiry(std::uint8_t adapter, std::uint8_t target, std::uint8_t* buffer) {
    RequestBlock& block = cleared(kRequestExecute, adapter, target);
    block.buffer = buffer;
    block.bufferLength = 100;
    block.cdbLength = 6;
    block.cdb[0] = kScsiInquiry;
    block.cdb[4] = 100;
    return execute();
}

std::uint8_t Transport::read_capacity(std::uint8_t adapter, std::uint8_t target, std::uint8_t* buffer) {
    RequestBlock& block = cleared(kRequestExecute, adapter, target);
    block.buffer = buffer;
    block.bufferLength = 512;
    block.senseLength = kSenseLength;
    block.cdbLength = 10;
    block.cdb[0] = kScsiReadCapacity10;
    return execute();
}

std::uint8_t Transport::read_write(std::uint8_t operation, std::uint8_t adapter, std::uint8_t target,
                                   std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer,
                                   std::uint16_t sectorSize) {
    const bool reading = operation == kScsiRead6;
    RequestBlock& block = cleared(kRequestExecute, adapter, target);
    block.flags = reading ? kDirectionIn : kDirectionOut;
    block.buffer = buffer;
    block.bufferLength = std::uint32_t{count} * sectorSize;
    block.senseLength = kSenseLength;
    if (sector < kSixByteAddressLimit && count <= kSixByteCountLimit && count > 0) {
        // Old drives expect the six-byte form; it carries 21 address bits.
        block.cdbLength = 6;
        block.cdb[0] = reading ? kScsiRead6 : kScsiWrite6;
        block.cdb[1] = static_cast<std::uint8_t>((sector >> 16) & 0x1F);
        block.cdb[2] = static_cast<std::uint8_t>(sector >> 8);
        block.cdb[3] = static_cast<std::uint8_t>(sector);
        block.cdb[4] = static_cast<std::uint8_t>(count);  // 256 is sent as 0
    } else {
        block.cdbLength = 10;
        block.cdb[0] = reading ? kScsiRead10 : kScsiWrite10;
        store_be32(&block.cdb[2], sector);
        store_be16(&block.cdb[7], count);
    }
    return execute();
}

std::uint8_t Transport::verify(std::uint8_t adapter, std::uint8_t target, std::uint32_t first, std::uint16_t count) {
    RequestBlock& block = cleared(kRequestExecute, adapter, target);
    block.senseLength = kSenseLength;
    block.cdbLength = 10;
    block.cdb[0] = kScsiVerify10;
    store_be32(&block.cdb[2], first);
    store_be16(&block.cdb[7], count);
    return execute();
}

std::uint8_t Transport::prevent_removal(std::uint8_t adapter, std::uint8_t target, bool prevent) {
    RequestBlock& block = cleared(kRequestExecute, adapter, target);
    block.cdbLength = 6;
    block.cdb[0] = kScsiPreventAllow;
    block.cdb[4] = prevent ? 1 : 0;
    // Some drives need time around a lock change before they take the next command.
    send(block_);
    pause(kRemovalPause);
    while (block_.status == kStatusPending) poll(block_);
    pause(kRemovalPause);
    return block_.status;
}

std::string Transport::attach_image(std::uint8_t, const std::string&) { return "this bus takes no images"; }

std::string Transport::medium_path(std::uint8_t, std::uint8_t) { return {}; }

}  // namespace korvane
