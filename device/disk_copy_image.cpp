#include "device/disk_copy_image.h"

#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr std::size_t kNameLengthOffset = 0;
constexpr std::size_t kDataSizeOffset = 64;
constexpr std::size_t kTagSizeOffset = 68;
constexpr std::size_t kDiskFormatOffset = 80;
constexpr std::size_t kPrivateWordOffset = 82;
constexpr std::uint16_t kPrivateWord = 0x0100;
constexpr std::uint8_t kLongestName = 63;
constexpr std::uint8_t kLastDiskFormat = 3;  // 0 400K GCR, 1 800K GCR, 2 720K MFM, 3 1440K MFM

DiskCopyRecognition refused(std::string problem) {
    DiskCopyRecognition result;
    result.verdict = DiskCopyVerdict::Refused;
    result.problem = "DiskCopy 4.2 header " + std::move(problem);
    return result;
}

// The fields a raw medium almost never holds together; Macintosh boot blocks
// ("LK"), partition maps ("ER") and PC boot sectors all fail the name length.
bool claims_disk_copy(std::span<const std::uint8_t> start) {
    std::uint32_t dataSize = load_be32(start, kDataSizeOffset);
    return load_be16(start, kPrivateWordOffset) == kPrivateWord && load_u8(start, kNameLengthOffset) <= kLongestName &&
           dataSize > 0 && dataSize % kDiskCopyBlockSize == 0;
}

}  // namespace

DiskCopyRecognition recognise_disk_copy(std::span<const std::uint8_t> start, std::uint64_t fileSize) {
    if (start.size() < kDiskCopyHeaderSize || fileSize < kDiskCopyHeaderSize || !claims_disk_copy(start)) return {};
    std::uint32_t dataSize = load_be32(start, kDataSizeOffset);
    std::uint32_t tagSize = load_be32(start, kTagSizeOffset);
    std::uint8_t diskFormat = load_u8(start, kDiskFormatOffset);
    if (kDiskCopyHeaderSize + std::uint64_t{dataSize} > fileSize)
        return refused("gives " + std::to_string(dataSize) + " bytes of data, beyond the end of the file");
    if (kDiskCopyHeaderSize + std::uint64_t{dataSize} + tagSize > fileSize)
        return refused("gives " + std::to_string(tagSize) + " tag bytes, beyond the end of the file");
    if (diskFormat > kLastDiskFormat) return refused("gives the unknown disk format " + std::to_string(diskFormat));
    DiskCopyRecognition result;
    result.verdict = DiskCopyVerdict::DiskCopy;
    result.dataSize = dataSize;
    return result;
}

std::uint32_t continue_disk_copy_checksum(std::uint32_t sum, std::span<const std::uint8_t> data) {
    for (std::size_t at = 0; at + 1 < data.size(); at += 2) {
        sum += load_be16(&data[at]);
        sum = sum >> 1 | sum << 31;
    }
    return sum;
}

}  // namespace korvane
