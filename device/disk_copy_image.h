#pragma once
// DiskCopy 4.2 images, the form most archives of Macintosh floppies take: an
// 84-byte big-endian header (the disk's name, the sizes and checksums of the
// data and of the tag bytes, the disk format), the disk's 512-byte blocks,
// then the tag bytes. The image bus presents the data part as the medium.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace korvane {

inline constexpr std::size_t kDiskCopyHeaderSize = 84;
inline constexpr std::size_t kDiskCopyDataChecksumOffset = 72;
inline constexpr std::uint16_t kDiskCopyBlockSize = 512;

enum class DiskCopyVerdict {
    NotDiskCopy,  // no DiskCopy 4.2 header: the file is a raw image
    DiskCopy,
    Refused,  // the header says DiskCopy 4.2 but does not fit the file
};

struct DiskCopyRecognition {
    DiskCopyVerdict verdict = DiskCopyVerdict::NotDiskCopy;
    std::uint32_t dataSize = 0;  // bytes of disk data, from offset kDiskCopyHeaderSize
    std::string problem;         // why a refused header cannot be used
};

// Looks at the first bytes of a file of fileSize bytes. A header is taken for
// DiskCopy 4.2 when it holds the private word 0x0100 at offset 82, a name of
// at most 63 characters and a data size of whole 512-byte blocks; it is then
// refused, never guessed around, when its sizes pass the end of the file or
// its disk format is none of 400K, 800K, 720K and 1440K.
DiskCopyRecognition recognise_disk_copy(std::span<const std::uint8_t> start, std::uint64_t fileSize);

// DiskCopy's checksum carried over one more piece of the data (an even number
// of bytes): each big-endian 16-bit word is added, then the sum rotates right
// by one bit. Start from 0.
std::uint32_t continue_disk_copy_checksum(std::uint32_t sum, std::span<const std::uint8_t> data);

}  // namespace korvane
