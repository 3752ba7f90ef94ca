#include "volume/volume_header.h"

#include <algorithm>

#include "util/byte_order.h"
#include "hfs/mdb_image.h"

namespace korvane {

bool acceptsVolumeHeader(std::span<const std::uint8_t> sector) {
    if (sector.size() < kSectorSize) return false;
    MdbImage header;
    std::copy_n(sector.begin(), kSectorSize, header.bytes.begin());
    if (header.signature() != kHfsSignature) return false;
    if (loadBE16(header.catalogExtents(), 2) == 0) return false;
    // deriveGeometry refuses the allocation layouts the engine cannot address.
    VolumeGeometry scratch;
    return deriveGeometry(header, 0, scratch);
}

std::int32_t dosMediumResult(std::span<const std::uint8_t> sector0) {
    if (sector0.size() < 512 || sector0[510] != 0x55 || sector0[511] != 0xAA) return 0;
    if (sector0[0] != 0xEB) return -2;
    // A boot sector whose byte 29 is 0 is still an MS-DOS medium.
    return sector0[29] == 0 ? -1 : -static_cast<std::int32_t>(sector0[29]);
}

}  // namespace korvane
