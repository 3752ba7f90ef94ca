#include "device/sg_io_target.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvane {
namespace {

bool is_write(std::uint8_t opcode) { return opcode == kScsiWrite6 || opcode == kScsiWrite10; }

}  // namespace

void build_sg_io_header(const RequestBlock& block, sg_io_hdr_t& header, std::array<std::uint8_t, 32>& sense) {
    std::memset(&header, 0, sizeof header);
    header.interface_id = 'S';
    header.cmdp = const_cast<unsigned char*>(block.cdb.data());
    header.cmd_len = block.cdbLength;
    header.dxferp = block.buffer;
    header.dxfer_len = block.buffer != nullptr ? block.bufferLength : 0;
    if (header.dxfer_len == 0) {
        header.dxfer_direction = SG_DXFER_NONE;
    } else if (block.flags & kDirectionOut) {
        header.dxfer_direction = SG_DXFER_TO_DEV;
    } else {
        // INQUIRY and READ CAPACITY carry no direction flag: their data comes from the drive.
        header.dxfer_direction = SG_DXFER_FROM_DEV;
    }
    header.sbp = sense.data();
    header.mx_sb_len = static_cast<unsigned char>(std::min<std::size_t>(block.senseLength, sense.size()));
    header.timeout = kSgTimeoutMs;
}

bool sg_io_succeeded(const sg_io_hdr_t& header) {
    return (header.info & SG_INFO_OK_MASK) == SG_INFO_OK && header.status == 0 && header.host_status == 0 &&
           header.driver_status == 0;
}

SgIoTarget::~SgIoTarget() {
    if (fd_ >= 0) ::close(fd_);
}

std::string SgIoTarget::open(const std::string& path, bool read_only, SgIoTarget& target) {
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    int version = 0;
    sg_scsi_id identity{};
    if (ioctl(fd, SG_GET_VERSION_NUM, &version) != 0 || ioctl(fd, SG_GET_SCSI_ID, &identity) != 0) {
        ::close(fd);
        return "not a SCSI generic device";
    }
    // Commands wait for their answer: the device is used like any other target.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    target.fd_ = fd;
    target.type_ = static_cast<std::uint8_t>(identity.scsi_type);
    target.readOnly_ = read_only;
    target.path_ = path;
    return {};
}

std::uint8_t SgIoTarget::execute(const RequestBlock& block) {
    if (readOnly_ && is_write(block.cdb[0])) return kStatusError;  // the user asked for a protected medium
    sg_io_hdr_t header;
    std::array<std::uint8_t, 32> sense{};
    build_sg_io_header(block, header, sense);
    if (ioctl(fd_, SG_IO, &header) != 0) return kStatusError;
    return sg_io_succeeded(header) ? kStatusDone : kStatusError;
}

void SgIoTarget::reset() {
    int what = SG_SCSI_RESET_DEVICE;
    ioctl(fd_, SG_SCSI_RESET, &what);
}

}  // namespace korvane
