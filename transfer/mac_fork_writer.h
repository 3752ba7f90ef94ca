#pragma once
// One fork of a new Macintosh file made from part of a PC file: the blocks
// it takes on the volume, then its bytes written onto them through the
// volume's device (which never writes outside the partition). The runs
// beyond the catalog record's three go to the extents-overflow tree once
// the file's catalog record is in.

#include <array>
#include <cstdint>
#include <vector>

#include "hfs/catalog_records.h"
#include "hfs/volume_bitmap.h"
#include "transfer/transfer_context.h"

namespace korvane {

struct MacFork {
    explicit MacFork(std::uint8_t type) : fork_type(type) {}

    std::uint8_t fork_type;
    std::uint64_t offset = 0;    // where its bytes start in the PC file
    std::uint32_t length = 0;    // logical length
    std::vector<BlockRun> runs;  // in logical order

    std::uint32_t blocks() const;
    std::uint32_t physical_length(std::uint32_t block_size) const { return blocks() * block_size; }
    // The first three runs as the catalog record stores them.
    std::array<std::uint8_t, kExtentRecordSize> first_extents() const;
};

// Finds and marks the blocks for the fork. False, with nothing marked, when
// the free space cannot hold it.
bool reserve_fork_blocks(HfsContext& ctx, MacFork& fork);
// Marks the fork's blocks free again.
void release_fork_blocks(HfsContext& ctx, MacFork& fork);

enum class ForkWrite {
    Written,
    PcReadFailed,       // the PC file ended early or could not be read
    MediumWriteFailed,  // the volume's device refused a write
};
// Copies the fork's bytes from the PC file onto its blocks; the rest of the
// last block is zeros.
ForkWrite write_fork_contents(HfsContext& ctx, int fd, const MacFork& fork);

// Records runs 4 and on in the extents-overflow tree. False, reported and
// every change of the command dropped, when the tree has no room.
bool record_overflow_runs(HfsContext& ctx, const MacFork& fork, std::uint32_t file_id);

}  // namespace korvane
