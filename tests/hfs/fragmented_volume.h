#pragma once
// A volume whose free space is scattered in one-block holes, so that a file
// written next needs many extents and reaches the extents-overflow tree:
// small files, a filler for the rest, then every other small file deleted.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "hfs/mdb_image.h"
#include "tests/support/hfsutils_volume.h"
#include "util/byte_order.h"

namespace korvane::testing {

inline std::uint16_t freeBlocksOf(const std::string& image) {
    const std::string head = read_all(image).substr(1024, 512);
    return loadBE16(reinterpret_cast<const std::uint8_t*>(head.data()) + mdb::drFreeBks);
}

inline std::uint32_t blockSizeOf(const std::string& image) {
    const std::string head = read_all(image).substr(1024, 512);
    return loadBE32(reinterpret_cast<const std::uint8_t*>(head.data()) + mdb::drAlBlkSiz);
}

// Leaves the volume mounted in hfsutils, ready for the file to be scattered.
inline void scatterFreeSpace(HfsutilsVolume& volume) {
    std::vector<std::pair<std::string, std::string>> smalls;
    for (int i = 0; i < 160; ++i) smalls.emplace_back("s" + std::to_string(i), "s");
    volume.addFiles(":", smalls);
    volume.unmount();
    const std::uint32_t room = freeBlocksOf(volume.image()) * blockSizeOf(volume.image());
    volume.mount();
    volume.addFile(":filler", std::string(room, 'f'));
    for (int i = 0; i < 160; i += 2) volume.remove(":s" + std::to_string(i));
}

// Bytes that differ from sector to sector, so that a sector read from the
// wrong place shows.
inline std::string patterned(std::size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + seed + i / 512) & 0xFF);
    return bytes;
}

}  // namespace korvane::testing
