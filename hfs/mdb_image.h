#pragma once
// The volume header (master directory block) kept as the 512-byte image read
// from the medium, with accessors for the fields the engine uses, and the
// derivation of VolumeGeometry from it.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/volume_geometry.h"

namespace korvane {

inline constexpr std::uint16_t kHfsSignature = 0x4244;  // "BD"
inline constexpr std::size_t kSectorSize = 512;
inline constexpr std::size_t kMaxVolumeNameLength = 27;

// Byte offsets of the header fields.
namespace mdb {
inline constexpr std::size_t drSigWord = 0x00;
inline constexpr std::size_t drCrDate = 0x02;
inline constexpr std::size_t drLsMod = 0x06;
inline constexpr std::size_t drAtrb = 0x0A;
inline constexpr std::size_t drNmFls = 0x0C;
inline constexpr std::size_t drVBMSt = 0x0E;
inline constexpr std::size_t drNmAlBlks = 0x12;
inline constexpr std::size_t drAlBlkSiz = 0x14;
inline constexpr std::size_t drClpSiz = 0x18;
inline constexpr std::size_t drAlBlSt = 0x1C;
inline constexpr std::size_t drNxtCNID = 0x1E;
inline constexpr std::size_t drFreeBks = 0x22;
inline constexpr std::size_t drVN = 0x24;  // length byte, then up to 27 characters
inline constexpr std::size_t drVolBkUp = 0x40;
inline constexpr std::size_t drXTClpSiz = 0x4A;
inline constexpr std::size_t drCTClpSiz = 0x4E;
inline constexpr std::size_t drNmRtDirs = 0x52;
inline constexpr std::size_t drFilCnt = 0x54;
inline constexpr std::size_t drDirCnt = 0x58;
inline constexpr std::size_t drXTFlSize = 0x82;
inline constexpr std::size_t drXTExtRec = 0x86;
inline constexpr std::size_t drCTFlSize = 0x92;
inline constexpr std::size_t drCTExtRec = 0x96;
}  // namespace mdb

struct MdbImage {
    std::array<std::uint8_t, kSectorSize> bytes{};

    std::uint16_t signature() const;
    std::uint16_t files_in_root() const;
    std::uint16_t bitmap_start() const;
    std::uint16_t allocation_blocks() const;
    std::uint32_t allocation_block_size() const;
    std::uint16_t first_allocation_sector() const;  // drAlBlSt, relative to the volume
    std::uint32_t next_catalog_id() const;
    std::uint16_t free_blocks() const;
    std::uint16_t directories_in_root() const;
    std::uint32_t file_count() const;
    std::uint32_t directory_count() const;
    std::uint32_t extents_file_size() const;
    std::uint32_t catalog_file_size() const;
    std::span<const std::uint8_t, 12> extents_extents() const;
    std::span<const std::uint8_t, 12> catalog_extents() const;
    // The volume name in the Macintosh character set; the length is cut to 27.
    std::string_view volume_name() const;

    // Writable view of a field for the in-place helpers (increment_be16, ...).
    std::uint8_t* field(std::size_t offset) { return bytes.data() + offset; }
};

// Fills geometry from the header of a volume whose first sector is
// volume_start_sector (512-byte units). False, with geometry untouched, when
// the header cannot describe a volume: wrong signature, an allocation block
// size of 0 or not a multiple of 512, or allocation blocks that begin before
// the bitmap.
bool derive_geometry(const MdbImage& header, std::uint32_t volume_start_sector, VolumeGeometry& geometry);

}  // namespace korvane
