#pragma once
// What a format writes, as sector images: the driver descriptor map, the
// three partition map entries, the driver partition's image, the volume
// header (at its place and as the alternate copy), the first bitmap sector,
// both B-tree files' header nodes (with the map nodes a tree beyond 2048
// nodes needs) and the catalog's root leaf. Pure functions of the medium's
// size, the volume name and the time, so that every byte can be tested
// without a drive.
//
//   const auto params = format_parameters(86700);           // c = 2, B = 11
//   for (const SectorImage& s : volume_structures(*params, FormatStyle::Partitioned, "Disk", mac_now()))
//       write(s.sector, s.bytes);

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace korvane {

inline constexpr std::uint32_t kFormatSectorBytes = 512;
using SectorBytes = std::array<std::uint8_t, kFormatSectorBytes>;

// Where the layout of a partitioned medium puts its parts.
inline constexpr std::uint32_t kMapPartitionStart = 1;
inline constexpr std::uint32_t kMapPartitionSectors = 128;
inline constexpr std::uint32_t kDriverPartitionStart = 129;
inline constexpr std::uint32_t kDriverPartitionSectors = 256;
inline constexpr std::uint32_t kDriverImageSectors = 81;
inline constexpr std::uint32_t kHfsPartitionStart = 385;
// Allocation blocks of each B-tree file, and of both.
inline constexpr std::uint32_t kTreeFileBlocks = 256;
inline constexpr std::uint16_t kVolumeAttributesUnmounted = 0x0100;

// The medium's numbers as the format derives them from its capacity C.
struct FormatParameters {
    std::uint32_t capacity = 0;         // C: the last-block address, or the size chosen
    std::uint32_t sectorsPerBlock = 0;  // c: the smallest value >= 2 with C / c < 65535
    std::uint32_t block_size = 0;       // 512 x c
    std::uint32_t bitmapSectors = 0;    // B = (C / c) / 4096 + 1
    std::uint32_t hfsStart = 385;       // the HFS partition's first sector (later with copied drivers)
};

// Nothing when the medium is too small to hold both B-tree files and the
// desktop files behind an HFS partition that starts at hfsStart, or so large
// (beyond about 512 GB) that a tree file of 256 blocks outgrows a fork.
std::optional<FormatParameters> format_parameters(std::uint32_t capacity, std::uint32_t hfsStart = 385);

// The sectors the format zeroes first, from sector 0: every structure but
// the alternate header lies in them.
std::uint32_t format_zeroed_sectors(const FormatParameters& params);

// Partitioned: driver descriptor map, partition map and driver partition,
// the volume in the third partition. Bare: the volume alone from sector 0,
// as disk images of emulators and hformat without a partition hold it.
enum class FormatStyle { Partitioned, Bare };

// The sectors of the medium the volume takes: the HFS partition (which ends
// one sector before the last addressable one, C being that address), or
// the whole of a bare medium, sectors 0 to C.
struct VolumeSpan {
    std::uint32_t start = 0;
    std::uint32_t sectors = 0;
};
VolumeSpan volume_span(const FormatParameters& params, FormatStyle style);

// drNmAlBlks of the new volume.
std::uint16_t format_allocation_blocks(const FormatParameters& params, FormatStyle style);

struct SectorImage {
    std::uint32_t sector = 0;  // absolute 512-byte sector
    SectorBytes bytes{};
};

// Sectors 0 to 3: the descriptor map and the three partition map entries.
std::vector<SectorImage> partition_map_sectors(const FormatParameters& params);

// The parts of a partition map: the descriptor map with the given driver
// descriptor entries (ddBlock, ddSize, ddType), an entry (every field not
// given is 0), and the HFS partition's entry in a map of mapEntries.
SectorBytes descriptor_map(const FormatParameters& params, std::span<const std::array<std::uint8_t, 8>> descriptors);
SectorBytes map_entry(std::uint32_t start, std::uint32_t sectors, std::string_view name, std::string_view type,
                      std::uint32_t status, std::uint32_t bootChecksum, std::uint32_t mapEntries);
SectorBytes hfs_map_entry(const FormatParameters& params, std::uint32_t mapEntries);

// The 81 sectors of the driver partition's image: zeros (Korvane carries no
// Macintosh driver of its own) with the capacity at offset 24.
std::vector<std::uint8_t> driver_image(const FormatParameters& params);

// The volume header, its alternate copy, the first bitmap sector, both tree
// files' header nodes and map nodes and the catalog's root leaf. mac_name is
// the volume's name in the Macintosh character set (at most 27 characters);
// now the creation date.
std::vector<SectorImage> volume_structures(const FormatParameters& params, FormatStyle style, std::string_view mac_name,
                                           std::uint32_t now);

// The 512-byte header node of an empty B-tree file of total_nodes nodes: only
// the header node itself in use (the Finder's "Desktop DB" starts as one).
SectorBytes empty_tree_header(std::uint32_t total_nodes, std::uint16_t maxKeyLength);

}  // namespace korvane
