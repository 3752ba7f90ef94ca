#pragma once
// A driver the user already has: the driver partitions (types "Apple_Driver..."
// and "Apple_Patches") and driver descriptor entries of an existing device
// image or disk, copied onto a medium being formatted instead of the empty
// driver partition. A real Macintosh mounts a SCSI disk only through a
// driver on that disk; images made without one are refused by it.
//
// The copied partitions keep their map entries as they were (name, type,
// status, boot fields and checksum); only their place changes: they follow
// the partition map from sector 129 on, in their order, and the HFS
// partition follows them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "volume/format_layout.h"

namespace korvane {

struct DriverPartition {
    SectorBytes entry;                   // its map entry, as the image has it
    std::uint32_t oldStart = 0;          // where it lay on the image
    std::vector<std::uint8_t> contents;  // its sectors
};

struct CopiedDrivers {
    std::vector<DriverPartition> partitions;
    // The driver descriptor entries (ddBlock, ddSize, ddType; 8 bytes each)
    // that point into a copied partition.
    std::vector<std::array<std::uint8_t, 8>> descriptors;

    std::uint32_t sectors() const;  // of all copied partitions
};

// Reads the drivers of a device image (or disk) on the PC. Nothing, with
// the reason in problem, when it holds none Korvane can copy.
std::optional<CopiedDrivers> read_drivers(const std::string& path, std::string& problem);

// The descriptor map and partition map of a medium whose driver partitions
// are the copied ones (params.hfsStart must follow them), and the copied
// partitions' sectors at their new places.
std::vector<SectorImage> partition_map_with_drivers(const FormatParameters& params, const CopiedDrivers& drivers);
std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> driver_contents(const CopiedDrivers& drivers);

}  // namespace korvane
