#pragma once
// The 128-byte header of a MacBinary file: the name, Finder information,
// both fork lengths and the two dates, all big-endian. Korvane writes
// MacBinary II (version bytes and a CRC, byte 74 zero, so that every reader
// takes it) and reads MacBinary I, II and III.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr std::size_t kMacBinaryHeaderSize = 128;

struct MacBinaryFields {
    std::string_view name;  // Macintosh characters, unconverted
    std::array<std::uint8_t, 4> type{};
    std::array<std::uint8_t, 4> creator{};
    std::uint16_t finder_flags = 0;
    std::uint16_t vertical = 0;  // position in the folder window
    std::uint16_t horizontal = 0;
    std::uint32_t data_length = 0;
    std::uint32_t resource_length = 0;
    std::uint32_t created = 0;  // seconds since 1904
    std::uint32_t modified = 0;
};

// Leading blanks of the name are dropped; at most 63 characters are kept.
std::array<std::uint8_t, kMacBinaryHeaderSize> make_macbinary_header(const MacBinaryFields& fields);

// CRC-16/XMODEM (polynomial 0x1021, start 0), the header's checksum.
std::uint16_t macbinary_crc(std::span<const std::uint8_t> bytes);

// A header as read from a PC file, with where its forks lie in the file.
struct MacBinaryHeader {
    std::string name;  // 1 to 63 Macintosh characters
    std::array<std::uint8_t, 4> type{};
    std::array<std::uint8_t, 4> creator{};
    std::uint16_t finder_flags = 0;
    std::uint32_t data_length = 0;
    std::uint32_t resource_length = 0;
    std::uint32_t created = 0;
    std::uint32_t modified = 0;
    std::uint64_t data_offset = kMacBinaryHeaderSize;
    std::uint64_t resource_offset = kMacBinaryHeaderSize;
};

// The header of a file of file_size bytes, or nothing when it is not a
// MacBinary header: byte 0 or byte 74 not 0, no name or one longer than 63,
// a checksum that is present and wrong, or forks that reach past the file.
std::optional<MacBinaryHeader> read_macbinary_header(std::span<const std::uint8_t, kMacBinaryHeaderSize> bytes,
                                                     std::uint64_t file_size);

// The offset at which the resource fork starts: the data fork padded to 128.
constexpr std::uint64_t macbinary_resource_offset(std::uint32_t data_length) {
    return kMacBinaryHeaderSize + ((std::uint64_t{data_length} + 127) / 128) * 128;
}

}  // namespace korvane
