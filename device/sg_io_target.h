#pragma once
// A real SCSI or USB device reached through the Linux SCSI generic driver
// (/dev/sg*): each command block goes to the device as it is, with SG_IO.
// It joins the image bus when the user names the device like an image.

#include <scsi/sg.h>

#include <array>
#include <string>

#include "device/bus_target.h"

namespace korvane {

inline constexpr unsigned kSgTimeoutMs = 60000;

// Fills an SG_IO header for a command block: the same command bytes, data
// direction and length; sense goes to sense (at most its size).
void build_sg_io_header(const RequestBlock& block, sg_io_hdr_t& header, std::array<std::uint8_t, 32>& sense);

// Whether an SG_IO answer means the command completed without error.
bool sg_io_succeeded(const sg_io_hdr_t& header);

class SgIoTarget : public BusTarget {
public:
    // Opens a SCSI generic device; returns an empty string or what went wrong.
    static std::string open(const std::string& path, bool read_only, SgIoTarget& target);

    SgIoTarget() = default;
    ~SgIoTarget() override;
    SgIoTarget(const SgIoTarget&) = delete;
    SgIoTarget& operator=(const SgIoTarget&) = delete;

    std::uint8_t execute(const RequestBlock& block) override;
    void reset() override;
    std::uint8_t device_type() const override { return type_; }
    std::string path() const override { return path_; }

private:
    int fd_ = -1;
    std::string path_;
    std::uint8_t type_ = 0;
    bool readOnly_ = false;
};

}  // namespace korvane
