#pragma once
// The 128-byte header of a MacBinary (version I) file, as Korvane writes it:
// the name, Finder information, both fork lengths and the two dates, all
// big-endian; no version bytes and no checksum.

#include <array>
#include <cstdint>
#include <string_view>

namespace korvane {

inline constexpr std::size_t kMacBinaryHeaderSize = 128;

struct MacBinaryFields {
    std::string_view name;         // Macintosh characters, unconverted
    std::array<std::uint8_t, 4> type{};
    std::array<std::uint8_t, 4> creator{};
    std::uint16_t finder_flags = 0;
    std::uint16_t vertical = 0;    // position in the folder window
    std::uint16_t horizontal = 0;
    std::uint32_t data_length = 0;
    std::uint32_t resource_length = 0;
    std::uint32_t created = 0;     // seconds since 1904
    std::uint32_t modified = 0;
};

// Leading blanks of the name are dropped; at most 63 characters are kept.
std::array<std::uint8_t, kMacBinaryHeaderSize> make_macbinary_header(const MacBinaryFields& fields);

// The offset at which the resource fork starts: the data fork padded to 128.
constexpr std::uint64_t macbinary_resource_offset(std::uint32_t data_length) {
    return kMacBinaryHeaderSize + ((std::uint64_t{data_length} + 127) / 128) * 128;
}

}  // namespace korvane
