#pragma once
// One target of the image bus: an image file or a block device answering SCSI
// commands as a drive would, with the faults its options ask for. A DiskCopy
// 4.2 image is a removable medium made of its data part; after every write
// request its header's data checksum is brought up to date, so that between
// two requests the image is always one DiskCopy and emulators accept.
// Write commands can be logged, failed from the k-th on, or end the process
// right before the k-th, so that tests reproduce a drive or a machine that
// stops in the middle of a command.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "device/bus_target.h"
#include "device/image_description.h"
#include "device/transport.h"

namespace korvane {

class ImageTarget : public BusTarget {
public:
    // Opens the file or device; returns an empty string or what went wrong.
    static std::string open(const ImageDescription& description, ImageTarget& target);

    ImageTarget() = default;
    ~ImageTarget() override;
    ImageTarget(ImageTarget&& other) noexcept;
    ImageTarget& operator=(ImageTarget&& other) noexcept;
    ImageTarget(const ImageTarget&) = delete;
    ImageTarget& operator=(const ImageTarget&) = delete;

    // Carries out one command block; returns kStatusDone or kStatusError.
    std::uint8_t execute(const RequestBlock& block) override;
    // The bus device reset: the drive forgets a lock, keeps its faults.
    void reset() override { removalPrevented_ = false; }

    std::uint8_t device_type() const override { return description_.device_type; }
    std::uint16_t block_size() const { return blockSize_; }
    std::uint64_t block_count() const { return blockCount_; }
    bool read_only() const { return readOnly_; }
    bool removal_prevented() const { return removalPrevented_; }
    bool is_disk_copy() const { return dataOffset_ != 0; }
    const ImageDescription& description() const { return description_; }
    std::string path() const override { return description_.path; }

private:
    std::uint8_t inquiry(const RequestBlock& block);
    std::uint8_t read_capacity(const RequestBlock& block);
    std::uint8_t transfer_blocks(const RequestBlock& block, std::uint32_t first, std::uint32_t count, bool writing);
    std::uint8_t verify(std::uint32_t first, std::uint32_t count);
    bool touches_bad_block(std::uint32_t first, std::uint32_t count) const;
    bool in_range(std::uint32_t first, std::uint32_t count) const;
    bool fails_this_time();
    bool admit_write(std::uint32_t first, std::uint32_t count);
    bool move_bytes(std::uint8_t* data, std::uint64_t length, std::uint64_t offset, bool writing);
    bool read_in_chunks(std::uint64_t offset, std::uint64_t length,
                        const std::function<void(std::span<const std::uint8_t>)>& use);
    bool refresh_disk_copy_checksum();

    ImageDescription description_;
    int fd_ = -1;
    std::uint16_t blockSize_ = 512;
    std::uint64_t blockCount_ = 0;
    std::uint64_t dataOffset_ = 0;  // where block 0 lies in the file: past a DiskCopy header
    bool readOnly_ = false;
    bool removalPrevented_ = false;
    std::uint32_t failuresLeft_ = 0;
    std::uint32_t writeCommands_ = 0;  // write commands received so far
    int writeLogFd_ = -1;
};

}  // namespace korvane
