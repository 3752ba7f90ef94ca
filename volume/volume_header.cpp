#include "volume/volume_header.h"

#include <algorithm>

#include "core/messages.h"
#include "hfs/mdb_image.h"
#include "util/byte_order.h"

namespace korvane {

bool accepts_volume_header(std::span<const std::uint8_t> sector) { return !volume_header_problem(sector); }

std::optional<std::string> volume_header_problem(std::span<const std::uint8_t> sector) {
    if (sector.size() < kSectorSize) return std::string(message(Msg::kNotMacintoshVolume));
    MdbImage header;
    std::copy_n(sector.begin(), kSectorSize, header.bytes.begin());
    if (header.signature() != kHfsSignature) return std::string(message(Msg::kNotMacintoshVolume));
    if (load_be16(header.catalog_extents(), 2) == 0) return "The volume header describes no catalog.";
    const std::uint32_t block_size = header.allocation_block_size();
    if (block_size == 0 || block_size % kSectorSize != 0) {
        return "The volume header gives allocation blocks of " + std::to_string(block_size) +
               " bytes; Korvane needs a multiple of 512.";
    }
    // derive_geometry refuses the allocation layouts the engine cannot address.
    VolumeGeometry scratch;
    if (!derive_geometry(header, 0, scratch))
        return "The volume header places the allocation blocks before the bitmap.";
    return std::nullopt;
}

std::int32_t dos_medium_result(std::span<const std::uint8_t> sector0) {
    if (sector0.size() < 512 || sector0[510] != 0x55 || sector0[511] != 0xAA) return 0;
    if (sector0[0] != 0xEB) return -2;
    // A boot sector whose byte 29 is 0 is still an MS-DOS medium.
    return sector0[29] == 0 ? -1 : -static_cast<std::int32_t>(sector0[29]);
}

}  // namespace korvane
