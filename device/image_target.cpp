#include "device/image_target.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "device/disk_copy_image.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr std::size_t kInquiryLength = 36;
constexpr char kVendor[] = "KORVANE";
constexpr char kRevision[] = "1.0";

// Fixed-width, blank-padded INQUIRY text.
void put_text(std::uint8_t* at, std::size_t width, std::string_view text) {
    std::memset(at, ' ', width);
    std::memcpy(at, text.data(), std::min(width, text.size()));
}

std::string product_name(const ImageDescription& description) {
    std::string_view path = description.path;
    std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    return std::string(path.substr(0, 16));
}

bool io_all(int fd, std::uint8_t* data, std::size_t length, off_t offset, bool writing) {
    while (length > 0) {
        ssize_t done = writing ? pwrite(fd, data, length, offset) : pread(fd, data, length, offset);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        length -= static_cast<std::size_t>(done);
        offset += done;
    }
    return true;
}

// For a DiskCopy 4.2 image: narrows bytes to its data part and tells where
// that starts. An empty string also when the file is a raw image.
std::string find_disk_copy_data(int fd, const ImageDescription& description, std::uint64_t& bytes,
                                std::uint64_t& dataOffset) {
    std::uint8_t header[kDiskCopyHeaderSize] = {};
    if (bytes < kDiskCopyHeaderSize) return {};
    if (!io_all(fd, header, sizeof header, 0, false)) return "its first bytes cannot be read";
    DiskCopyRecognition found = recognise_disk_copy(header, bytes);
    if (found.verdict == DiskCopyVerdict::Refused) return found.problem;
    if (found.verdict == DiskCopyVerdict::NotDiskCopy) return {};
    if (block_size_of(description) != kDiskCopyBlockSize) return "a DiskCopy 4.2 image has 512-byte blocks";
    bytes = found.dataSize;
    dataOffset = kDiskCopyHeaderSize;
    return {};
}

}  // namespace

ImageTarget::~ImageTarget() {
    if (fd_ >= 0) ::close(fd_);
    if (writeLogFd_ >= 0) ::close(writeLogFd_);
}

ImageTarget::ImageTarget(ImageTarget&& other) noexcept { *this = std::move(other); }

ImageTarget& ImageTarget::operator=(ImageTarget&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        if (writeLogFd_ >= 0) ::close(writeLogFd_);
        description_ = std::move(other.description_);
        fd_ = std::exchange(other.fd_, -1);
        blockSize_ = other.blockSize_;
        blockCount_ = other.blockCount_;
        dataOffset_ = other.dataOffset_;
        readOnly_ = other.readOnly_;
        removalPrevented_ = other.removalPrevented_;
        failuresLeft_ = other.failuresLeft_;
        writeCommands_ = other.writeCommands_;
        writeLogFd_ = std::exchange(other.writeLogFd_, -1);
    }
    return *this;
}

std::string ImageTarget::open(const ImageDescription& description, ImageTarget& target) {
    bool read_only = description.read_only || description.device_type == kTypeCdRom;
    // Without O_NONBLOCK, opening a FIFO to read would wait for a writer for good.
    int fd = ::open(description.path.c_str(), (read_only ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && !read_only && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // A file or device the user may only read is a write-protected medium.
        read_only = true;
        fd = ::open(description.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) return std::strerror(errno);

    struct stat info {};
    std::uint64_t bytes = 0;
    if (fstat(fd, &info) != 0) {
        int error = errno;
        ::close(fd);
        return std::strerror(error);
    }
    if (S_ISBLK(info.st_mode)) {
        int deviceReadOnly = 0;
        if (ioctl(fd, BLKGETSIZE64, &bytes) != 0) bytes = 0;
        if (ioctl(fd, BLKROGET, &deviceReadOnly) == 0 && deviceReadOnly != 0) read_only = true;
    } else if (S_ISREG(info.st_mode)) {
        bytes = static_cast<std::uint64_t>(info.st_size);
    } else {
        ::close(fd);
        return "not an image file or block device";
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::uint64_t dataOffset = 0;
    // Only image files may carry a DiskCopy header; a block device is a drive.
    if (S_ISREG(info.st_mode)) {
        std::string problem = find_disk_copy_data(fd, description, bytes, dataOffset);
        if (!problem.empty()) {
            ::close(fd);
            return problem;
        }
    }

    int writeLogFd = -1;
    if (!description.write_log.empty()) {
        writeLogFd = ::open(description.write_log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (writeLogFd < 0) {
            const int error = errno;
            ::close(fd);
            return description.write_log + ": " + std::strerror(error);
        }
    }

    ImageTarget opened;
    opened.description_ = description;
    opened.fd_ = fd;
    opened.blockSize_ = block_size_of(description);
    opened.blockCount_ = bytes / opened.blockSize_;
    opened.dataOffset_ = dataOffset;
    opened.readOnly_ = read_only;
    opened.failuresLeft_ = description.flaky;
    opened.writeLogFd_ = writeLogFd;
    target = std::move(opened);
    return {};
}

bool ImageTarget::fails_this_time() {
    if (description_.flaky == 0) return false;
    if (failuresLeft_ > 0) {
        --failuresLeft_;
        return true;
    }
    failuresLeft_ = description_.flaky;  // the next command fails as many times again
    return false;
}

// Numbers the write command, logs it, and applies failwrite and killwrite.
bool ImageTarget::admit_write(std::uint32_t first, std::uint32_t count) {
    ++writeCommands_;
    if (writeLogFd_ >= 0) {
        // Written before the command is carried out, so that the log of a
        // process killed by killwrite still counts the command it died on.
        const std::string line = std::to_string(first) + " " + std::to_string(count) + "\n";
        if (::write(writeLogFd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return false;
    }
    if (description_.killWrite && writeCommands_ == *description_.killWrite) ::raise(SIGKILL);
    return !description_.failWrite || writeCommands_ < *description_.failWrite;
}

std::uint8_t ImageTarget::execute(const RequestBlock& block) {
    if (fails_this_time()) return kStatusError;
    const std::uint8_t* cdb = block.cdb.data();
    const bool media = description_.device_type != kTypeTape;
    switch (cdb[0]) {
        case kScsiTestUnitReady:
            return kStatusDone;
        case kScsiInquiry:
            return inquiry(block);
        case kScsiPreventAllow:
            removalPrevented_ = (cdb[4] & 1) != 0;
            return kStatusDone;
        case kScsiReadCapacity10:
            return media ? read_capacity(block) : kStatusError;
        case kScsiRead6:
        case kScsiWrite6: {
            if (!media || block.cdbLength < 6 || (cdb[1] & 0xE0) != 0) return kStatusError;  // only LUN 0 exists
            std::uint32_t first = std::uint32_t{cdb[1]} << 16 | std::uint32_t{cdb[2]} << 8 | cdb[3];
            std::uint32_t count = cdb[4] == 0 ? 256 : cdb[4];
            return transfer_blocks(block, first, count, cdb[0] == kScsiWrite6);
        }
        case kScsiRead10:
        case kScsiWrite10: {
            if (!media || block.cdbLength < 10) return kStatusError;
            std::uint32_t count = load_be16(&cdb[7]);
            return transfer_blocks(block, load_be32(&cdb[2]), count, cdb[0] == kScsiWrite10);
        }
        case kScsiVerify10:
            if (!media || block.cdbLength < 10) return kStatusError;
            return verify(load_be32(&cdb[2]), load_be16(&cdb[7]));
        default:
            return kStatusError;
    }
}

std::uint8_t ImageTarget::inquiry(const RequestBlock& block) {
    std::uint8_t data[kInquiryLength] = {};
    data[0] = description_.device_type;
    // A floppy (a DiskCopy image) is a removable medium whatever its name says.
    bool fixedDisk = description_.device_type == kTypeDirectAccess && description_.kind_name == "HD" && !is_disk_copy();
    data[1] = fixedDisk ? 0x00 : 0x80;  // removable medium
    data[2] = 2;                        // SCSI-2
    data[3] = 2;
    data[4] = kInquiryLength - 5;
    put_text(&data[8], 8, kVendor);
    put_text(&data[16], 16, product_name(description_));
    put_text(&data[32], 4, kRevision);
    std::size_t length = std::min<std::size_t>({kInquiryLength, block.cdb[4], block.bufferLength});
    if (block.buffer == nullptr) return kStatusError;
    std::memcpy(block.buffer, data, length);
    return kStatusDone;
}

std::uint8_t ImageTarget::read_capacity(const RequestBlock& block) {
    if (block.buffer == nullptr || block.bufferLength < 8 || blockCount_ == 0) return kStatusError;
    std::uint64_t last = blockCount_ - 1;
    store_be32(block.buffer, last > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(last));
    store_be32(block.buffer + 4, blockSize_);
    return kStatusDone;
}

bool ImageTarget::in_range(std::uint32_t first, std::uint32_t count) const {
    return std::uint64_t{first} + count <= blockCount_;
}

bool ImageTarget::touches_bad_block(std::uint32_t first, std::uint32_t count) const {
    if (count == 0) return false;
    std::uint64_t last = std::uint64_t{first} + count - 1;
    for (const BlockRange& bad : description_.bad)
        if (bad.first <= last && bad.last >= first) return true;
    return false;
}

std::uint8_t ImageTarget::transfer_blocks(const RequestBlock& block, std::uint32_t first, std::uint32_t count,
                                          bool writing) {
    std::uint64_t bytes = std::uint64_t{count} * blockSize_;
    // The drive never moves more than the host's buffer holds.
    if (bytes > block.bufferLength || (bytes > 0 && block.buffer == nullptr)) return kStatusError;
    if (writing && !admit_write(first, count)) return kStatusError;
    if (!in_range(first, count) || touches_bad_block(first, count)) return kStatusError;
    if (writing && readOnly_) return kStatusError;
    if (!move_bytes(block.buffer, bytes, std::uint64_t{first} * blockSize_, writing)) return kStatusError;
    // A checksum that cannot be brought up to date fails the request, so the caller tries it again.
    if (writing && is_disk_copy() && !refresh_disk_copy_checksum()) return kStatusError;
    return kStatusDone;
}

bool ImageTarget::move_bytes(std::uint8_t* data, std::uint64_t length, std::uint64_t offset, bool writing) {
    return io_all(fd_, data, static_cast<std::size_t>(length), static_cast<off_t>(dataOffset_ + offset), writing);
}

bool ImageTarget::read_in_chunks(std::uint64_t offset, std::uint64_t length,
                                 const std::function<void(std::span<const std::uint8_t>)>& use) {
    constexpr std::size_t kChunk = 64 * 1024;  // even, so no 16-bit word is split
    std::vector<std::uint8_t> scratch(kChunk);
    while (length > 0) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk));
        if (!move_bytes(scratch.data(), piece, offset, false)) return false;
        use(std::span<const std::uint8_t>(scratch.data(), piece));
        offset += piece;
        length -= piece;
    }
    return true;
}

bool ImageTarget::refresh_disk_copy_checksum() {
    std::uint32_t sum = 0;
    auto add = [&sum](std::span<const std::uint8_t> piece) { sum = continue_disk_copy_checksum(sum, piece); };
    if (!read_in_chunks(0, blockCount_ * blockSize_, add)) return false;
    std::uint8_t stored[4];
    store_be32(stored, sum);
    return io_all(fd_, stored, sizeof stored, kDiskCopyDataChecksumOffset, true);
}

std::uint8_t ImageTarget::verify(std::uint32_t first, std::uint32_t count) {
    if (!in_range(first, count) || touches_bad_block(first, count)) return kStatusError;
    // A block device reports unreadable blocks only when they are read.
    auto ignore = [](std::span<const std::uint8_t>) {};
    bool readable = read_in_chunks(std::uint64_t{first} * blockSize_, std::uint64_t{count} * blockSize_, ignore);
    return readable ? kStatusDone : kStatusError;
}

}  // namespace korvane
