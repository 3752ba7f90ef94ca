#pragma once
// The volume bitmap: one bit per allocation block, most significant bit of
// each byte first, 1 = in use. Loaded from the sectors after the volume
// header when a modification starts, changed in memory, written back and
// released by the write-back.

#include <cstdint>
#include <optional>
#include <vector>

#include "hfs/catalog_records.h"
#include "hfs/hfs_context.h"

namespace korvane {

// A run of allocation blocks; a failed allocation is {0xFFFF, 0xFFFF}.
struct BlockRun {
    std::uint16_t start = 0;
    std::uint16_t count = 0;
    bool failed() const { return start == 0xFFFF && count == 0xFFFF; }
};
inline constexpr BlockRun kNoRun{0xFFFF, 0xFFFF};

// The allocator never hands out the first blocks of a volume, and passes
// over free runs too short to be worth a descriptor.
inline constexpr std::uint16_t kFirstAllocatedBlock = 40;
inline constexpr std::uint16_t kMinimumRun = 10;

// Reads the bitmap (the sectors holding the volume's drNmAlBlks bits) when
// it is not loaded. False when the read failed or the header's bitmap area
// cannot hold a bit per block; nothing is then loaded.
bool load_bitmap(HfsContext& ctx);
// Writes the loaded bitmap to the medium. False when the write failed.
bool store_bitmap(HfsContext& ctx);
void release_bitmap(HfsContext& ctx);

bool block_in_use(const HfsContext& ctx, std::uint32_t block);
// Marks blocks start .. start + count - 1 (those below drNmAlBlks).
void mark_blocks(HfsContext& ctx, std::uint32_t start, std::uint32_t count, bool inUse);

// First fit from block 40: n blocks as one run when a free run is long
// enough, else the first free run of at least 10 blocks (shorter than asked:
// the caller asks again for the rest). Nothing when no run starts in time
// for n blocks to end before the last block. Marks nothing.
std::optional<BlockRun> find_free_run(const HfsContext& ctx, std::uint16_t n);

// find_free_run, then marks the run in use. On failure shows "Not enough space
// on the volume." and returns kNoRun. drFreeBks is left to the caller (the
// write-back sets it from the bitmap).
BlockRun allocate_run(HfsContext& ctx, std::uint16_t n);

// Marks the blocks of a record's three descriptors free.
void free_extents(HfsContext& ctx, ExtentRecordBytes record);

// Free blocks according to the loaded bitmap.
std::uint16_t count_free_blocks(const HfsContext& ctx);
// Sets drFreeBks from the loaded bitmap, so that both always agree.
void recount_free_blocks(HfsContext& ctx);

}  // namespace korvane
