#include "hfs/mdb_image.h"

#include <algorithm>

#include "util/byte_order.h"

namespace korvane {

std::uint16_t MdbImage::signature() const { return loadBE16(bytes.data() + mdb::drSigWord); }
std::uint16_t MdbImage::filesInRoot() const { return loadBE16(bytes.data() + mdb::drNmFls); }
std::uint16_t MdbImage::bitmapStart() const { return loadBE16(bytes.data() + mdb::drVBMSt); }
std::uint16_t MdbImage::allocationBlocks() const { return loadBE16(bytes.data() + mdb::drNmAlBlks); }
std::uint32_t MdbImage::allocationBlockSize() const { return loadBE32(bytes.data() + mdb::drAlBlkSiz); }
std::uint16_t MdbImage::firstAllocationSector() const { return loadBE16(bytes.data() + mdb::drAlBlSt); }
std::uint32_t MdbImage::nextCatalogID() const { return loadBE32(bytes.data() + mdb::drNxtCNID); }
std::uint16_t MdbImage::freeBlocks() const { return loadBE16(bytes.data() + mdb::drFreeBks); }
std::uint16_t MdbImage::directoriesInRoot() const { return loadBE16(bytes.data() + mdb::drNmRtDirs); }
std::uint32_t MdbImage::fileCount() const { return loadBE32(bytes.data() + mdb::drFilCnt); }
std::uint32_t MdbImage::directoryCount() const { return loadBE32(bytes.data() + mdb::drDirCnt); }
std::uint32_t MdbImage::extentsFileSize() const { return loadBE32(bytes.data() + mdb::drXTFlSize); }
std::uint32_t MdbImage::catalogFileSize() const { return loadBE32(bytes.data() + mdb::drCTFlSize); }

std::span<const std::uint8_t, 12> MdbImage::extentsExtents() const {
    return std::span<const std::uint8_t, 12>(bytes.data() + mdb::drXTExtRec, 12);
}

std::span<const std::uint8_t, 12> MdbImage::catalogExtents() const {
    return std::span<const std::uint8_t, 12>(bytes.data() + mdb::drCTExtRec, 12);
}

std::string_view MdbImage::volumeName() const {
    const std::size_t length = std::min<std::size_t>(bytes[mdb::drVN], kMaxVolumeNameLength);
    return {reinterpret_cast<const char*>(bytes.data() + mdb::drVN + 1), length};
}

bool deriveGeometry(const MdbImage& header, std::uint32_t volumeStartSector, VolumeGeometry& geometry) {
    const std::uint32_t blockSize = header.allocationBlockSize();
    if (header.signature() != kHfsSignature) return false;
    if (blockSize == 0 || blockSize % kSectorSize != 0) return false;
    if (header.firstAllocationSector() < header.bitmapStart()) return false;
    geometry.mdbSector = volumeStartSector + 2;
    geometry.firstAllocSector = volumeStartSector + header.firstAllocationSector();
    geometry.allocBlockSize = blockSize;
    geometry.sectorsPerBlock = blockSize / kSectorSize;
    geometry.bitmapSectors = static_cast<std::uint16_t>(header.firstAllocationSector() - header.bitmapStart());
    return true;
}

}  // namespace korvane
