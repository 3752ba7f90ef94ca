#pragma once
// Volume discovery: finds the Macintosh volume on the selected drive's
// medium (through the partition maps, or at its start), checks its header,
// recognises MS-DOS media, and opens the volume: VolumeGeometry, the header
// image, the catalog's working copy and the root listing.

#include <cstdint>

#include "hfs/hfs_context.h"
#include "volume/partition_map.h"

namespace korvane {

// The whole discovery for the selected drive. Returns the volume's first
// allocation sector (> 0, also left in volume_start) when a volume was
// opened; 0 when the medium holds none (the drive is then deselected and
// "Brute force search" offered); a negative value for an MS-DOS medium
// ("This is a MS-DOS formatted volume." on the status line).
// An interrupted change in the medium's undo journal is offered for rolling
// back first, unless it is the caller's own change still in progress (a
// format opens the volume it is writing).
enum class InterruptedChange { OfferRollback, OwnChangeInProgress };
std::int32_t analyze_volume(HfsContext& ctx, InterruptedChange interrupted = InterruptedChange::OfferRollback);

// Reads block 0 and the partition map behind it. The medium's own block size
// (READ CAPACITY) wins over the one the map states; when they differ the
// status line says so. Sets sectorSize and capacity.
PartitionMapReading read_partition_map(HfsContext& ctx);

// Reads and checks the volume header of the volume that starts at device
// block volume_start (up to ten reads). When it is usable: fills ctx.mdb and
// ctx.geometry, installs the transfer routine of the medium and returns the
// first allocation sector. Otherwise returns the MS-DOS test's result.
std::int32_t read_volume_header(HfsContext& ctx, std::uint32_t volume_start);

// The MS-DOS test on device sector 0: negative for an MS-DOS medium, else 0.
std::int32_t detect_dos_medium(HfsContext& ctx);

// Opens the volume whose header is in ctx.mdb and ctx.geometry: the
// catalog's working copy, the root directory and its listing; clears the
// status line. A volume whose header claims more than its partition (or
// medium) holds is opened for reading only, with a notice. Shared by
// discovery and the brute-force search.
void open_found_volume(HfsContext& ctx, std::int32_t firstAllocSector);

}  // namespace korvane
