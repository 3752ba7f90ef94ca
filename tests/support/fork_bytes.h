#pragma once
// Bytes for files whose extents the tests follow, and a volume's block size.

#include <cstdint>
#include <string>

#include "hfs/mdb_image.h"
#include "tests/support/hfsutils_volume.h"
#include "util/byte_order.h"

namespace korvane::testing {

inline std::uint32_t block_size_of(const std::string& image) {
    const std::string head = read_all(image).substr(1024, 512);
    return load_be32(reinterpret_cast<const std::uint8_t*>(head.data()) + mdb::drAlBlkSiz);
}

// Bytes that differ from sector to sector, so that a sector read from the
// wrong place shows.
inline std::string patterned(std::size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + seed + i / 512) & 0xFF);
    return bytes;
}

}  // namespace korvane::testing
