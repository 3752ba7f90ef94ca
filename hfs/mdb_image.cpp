#include "hfs/mdb_image.h"

#include <algorithm>

#include "util/byte_order.h"

namespace korvane {

std::uint16_t MdbImage::signature() const { return load_be16(bytes.data() + mdb::drSigWord); }
std::uint16_t MdbImage::files_in_root() const { return load_be16(bytes.data() + mdb::drNmFls); }
std::uint16_t MdbImage::bitmap_start() const { return load_be16(bytes.data() + mdb::drVBMSt); }
std::uint16_t MdbImage::allocation_blocks() const { return load_be16(bytes.data() + mdb::drNmAlBlks); }
std::uint32_t MdbImage::allocation_block_size() const { return load_be32(bytes.data() + mdb::drAlBlkSiz); }
std::uint16_t MdbImage::first_allocation_sector() const { return load_be16(bytes.data() + mdb::drAlBlSt); }
std::uint32_t MdbImage::next_catalog_id() const { return load_be32(bytes.data() + mdb::drNxtCNID); }
std::uint16_t MdbImage::free_blocks() const { return load_be16(bytes.data() + mdb::drFreeBks); }
std::uint16_t MdbImage::directories_in_root() const { return load_be16(bytes.data() + mdb::drNmRtDirs); }
std::uint32_t MdbImage::file_count() const { return load_be32(bytes.data() + mdb::drFilCnt); }
std::uint32_t MdbImage::directory_count() const { return load_be32(bytes.data() + mdb::drDirCnt); }
std::uint32_t MdbImage::extents_file_size() const { return load_be32(bytes.data() + mdb::drXTFlSize); }
std::uint32_t MdbImage::catalog_file_size() const { return load_be32(bytes.data() + mdb::drCTFlSize); }

std::span<const std::uint8_t, 12> MdbImage::extents_extents() const {
    return std::span<const std::uint8_t, 12>(bytes.data() + mdb::drXTExtRec, 12);
}

std::span<const std::uint8_t, 12> MdbImage::catalog_extents() const {
    return std::span<const std::uint8_t, 12>(bytes.data() + mdb::drCTExtRec, 12);
}

std::string_view MdbImage::volume_name() const {
    const std::size_t length = std::min<std::size_t>(bytes[mdb::drVN], kMaxVolumeNameLength);
    return {reinterpret_cast<const char*>(bytes.data() + mdb::drVN + 1), length};
}

bool derive_geometry(const MdbImage& header, std::uint32_t volume_start_sector, VolumeGeometry& geometry) {
    const std::uint32_t block_size = header.allocation_block_size();
    if (header.signature() != kHfsSignature) return false;
    if (block_size == 0 || block_size % kSectorSize != 0) return false;
    if (header.first_allocation_sector() < header.bitmap_start()) return false;
    geometry.mdbSector = volume_start_sector + 2;
    geometry.firstAllocSector = volume_start_sector + header.first_allocation_sector();
    geometry.allocBlockSize = block_size;
    geometry.sectorsPerBlock = block_size / kSectorSize;
    geometry.bitmapSectors = static_cast<std::uint16_t>(header.first_allocation_sector() - header.bitmap_start());
    return true;
}

}  // namespace korvane
