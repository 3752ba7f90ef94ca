#pragma once
// The SCSI transport: the operations Korvane sends to a drive. Backends (the
// image bus, Linux SG_IO) implement it; everything above talks only to this.
//
// The operations build one SCSI request block at a time (cleared, filled,
// handed to the backend, then waited on until its status is no longer
// pending). Retries, messages and the meaning of the data belong to callers.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace korvane {

// Completion status of a request.
inline constexpr std::uint8_t kStatusPending = 0;
inline constexpr std::uint8_t kStatusDone = 1;
inline constexpr std::uint8_t kStatusAborted = 2;
inline constexpr std::uint8_t kStatusError = 4;

// Request kinds a backend receives.
inline constexpr std::uint8_t kRequestAdapterInquiry = 0x00;
inline constexpr std::uint8_t kRequestDeviceType = 0x01;
inline constexpr std::uint8_t kRequestExecute = 0x02;
inline constexpr std::uint8_t kRequestReset = 0x04;

// Data direction flags of an executed command.
inline constexpr std::uint8_t kDirectionIn = 0x08;
inline constexpr std::uint8_t kDirectionOut = 0x10;

inline constexpr std::uint16_t kNoDeviceType = 0xFFFF;
inline constexpr std::uint8_t kTypeDirectAccess = 0;
inline constexpr std::uint8_t kTypeTape = 1;
inline constexpr std::uint8_t kTypeCdRom = 5;
inline constexpr std::uint8_t kTypeOpticalMemory = 7;

inline constexpr std::uint8_t kMaxTargets = 8;

// SCSI operation codes Korvane sends.
inline constexpr std::uint8_t kScsiTestUnitReady = 0x00;
inline constexpr std::uint8_t kScsiRead6 = 0x08;
inline constexpr std::uint8_t kScsiWrite6 = 0x0A;
inline constexpr std::uint8_t kScsiInquiry = 0x12;
inline constexpr std::uint8_t kScsiPreventAllow = 0x1E;
inline constexpr std::uint8_t kScsiReadCapacity10 = 0x25;
inline constexpr std::uint8_t kScsiRead10 = 0x28;
inline constexpr std::uint8_t kScsiWrite10 = 0x2A;
inline constexpr std::uint8_t kScsiVerify10 = 0x2F;

// The one request block. Everything not set by an operation stays zero.
struct RequestBlock {
    std::uint8_t command = 0;  // kRequest...
    std::uint8_t status = kStatusPending;
    std::uint8_t adapter = 0;
    std::uint8_t flags = 0;  // kDirectionIn / kDirectionOut
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    std::uint32_t bufferLength = 0;
    std::uint8_t* buffer = nullptr;
    std::uint8_t senseLength = 0;
    std::uint8_t cdbLength = 0;
    std::array<std::uint8_t, 16> cdb{};
    std::array<std::uint8_t, 32> sense{};
    // Answers of the adapter inquiry and the device-type query.
    std::uint8_t adapter_count = 0;
    std::array<char, 16> managerId{};
    std::uint8_t device_type = 0;
};

// The backend's answer to the support query: status (1 = ready) and adapters.
struct SupportInfo {
    std::uint8_t status = kStatusDone;
    std::uint8_t adapter_count = 0;
};

struct AdapterInquiry {
    std::uint8_t adapter_count = 0;  // 0 for an adapter number beyond the last
    std::string managerId;           // up to 16 characters
};

class Transport {
public:
    using Pause = std::function<void(std::chrono::milliseconds)>;

    Transport();
    virtual ~Transport() = default;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // --- operations ---------------------------------------------------------
    SupportInfo support_info() { return query_support(); }
    AdapterInquiry host_adapter_inquiry(std::uint8_t adapter);
    // The peripheral device type, or kNoDeviceType when the query fails.
    std::uint16_t device_type(std::uint8_t adapter, std::uint8_t target);
    std::uint8_t reset_device(std::uint8_t adapter, std::uint8_t target);
    // INQUIRY with allocation length 100 into buffer (at least 100 bytes).
    std::uint8_t inquiry(std::uint8_t adapter, std::uint8_t target, std::uint8_t* buffer);
    // READ CAPACITY(10) into buffer (512 bytes): last block address, block length.
    std::uint8_t read_capacity(std::uint8_t adapter, std::uint8_t target, std::uint8_t* buffer);
    // READ/WRITE of count device sectors at sector. operation is kScsiRead6 for
    // a read, anything else writes. The six-byte form is used where it can
    // carry the request (address below 2^21, at most 256 sectors), the
    // ten-byte form otherwise.
    std::uint8_t read_write(std::uint8_t operation, std::uint8_t adapter, std::uint8_t target, std::uint32_t sector,
                            std::uint16_t count, std::uint8_t* buffer, std::uint16_t sectorSize);
    std::uint8_t verify(std::uint8_t adapter, std::uint8_t target, std::uint32_t first, std::uint16_t count);
    // PREVENT ALLOW MEDIUM REMOVAL, with a 150 ms pause before and after the wait.
    std::uint8_t prevent_removal(std::uint8_t adapter, std::uint8_t target, bool prevent);

    // Attaches an image ("PATH[,options]") to an adapter of a bus that takes
    // images; returns an empty string or the reason for refusing it.
    virtual std::string attach_image(std::uint8_t adapter, const std::string& image);
    // The image file or device that holds the medium of a target; "" when
    // the backend does not know one.
    virtual std::string medium_path(std::uint8_t adapter, std::uint8_t target);

    // The last request block handed to the backend (for diagnostics and tests).
    const RequestBlock& last_request() const { return block_; }

    // How pauses are taken; tests replace it so that nothing waits on the clock.
    Pause pause;

protected:
    virtual SupportInfo query_support() = 0;
    // Carries out the request and sets its status (it may leave it pending,
    // then poll() is called until it is not).
    virtual void send(RequestBlock& block) = 0;
    virtual void poll(RequestBlock& block);

private:
    // The one request block, cleared and addressed.
    RequestBlock& cleared(std::uint8_t command, std::uint8_t adapter, std::uint8_t target = 0);
    std::uint8_t execute();
    void send_and_wait();

    RequestBlock block_;
};

}  // namespace korvane
