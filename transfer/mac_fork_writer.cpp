#include "transfer/mac_fork_writer.h"

#include <algorithm>

#include "hfs/allocation.h"
#include "util/byte_order.h"
#include "util/file_io.h"

namespace korvane {
namespace {

// Sectors moved per device write: large enough that a big file costs few
// commands, small enough to keep memory modest.
constexpr std::uint32_t kSectorsPerWrite = 2048;

}  // namespace

std::uint32_t MacFork::blocks() const {
    std::uint32_t total = 0;
    for (const BlockRun& run : runs) total += run.count;
    return total;
}

std::array<std::uint8_t, kExtentRecordSize> MacFork::first_extents() const {
    std::array<std::uint8_t, kExtentRecordSize> record{};
    for (std::size_t i = 0; i < std::min<std::size_t>(3, runs.size()); ++i) {
        store_be16(record.data() + 4 * i, runs[i].start);
        store_be16(record.data() + 4 * i + 2, runs[i].count);
    }
    return record;
}

bool reserve_fork_blocks(HfsContext& ctx, MacFork& fork) {
    const std::uint32_t block_size = ctx.mdb.allocation_block_size();
    if (block_size == 0) return false;
    std::uint64_t needed = (std::uint64_t{fork.length} + block_size - 1) / block_size;
    if (needed > count_free_blocks(ctx)) return false;
    while (needed > 0) {
        const auto run = find_free_run(ctx, static_cast<std::uint16_t>(needed));
        if (!run) {
            release_fork_blocks(ctx, fork);
            return false;
        }
        mark_blocks(ctx, run->start, run->count, true);
        fork.runs.push_back(*run);
        needed -= run->count;
    }
    return true;
}

void release_fork_blocks(HfsContext& ctx, MacFork& fork) {
    for (const BlockRun& run : fork.runs) mark_blocks(ctx, run.start, run.count, false);
    fork.runs.clear();
}

ForkWrite write_fork_contents(HfsContext& ctx, int fd, const MacFork& fork) {
    const VolumeGeometry& geometry = ctx.geometry;
    std::vector<std::uint8_t> buffer;
    std::uint64_t position = fork.offset;
    std::uint64_t remaining = fork.length;
    for (const BlockRun& run : fork.runs) {
        std::uint32_t sector = geometry.firstAllocSector + std::uint32_t{run.start} * geometry.sectorsPerBlock;
        std::uint32_t sectors = std::uint32_t{run.count} * geometry.sectorsPerBlock;
        while (sectors > 0) {
            const std::uint32_t n = std::min(sectors, kSectorsPerWrite);
            const std::size_t bytes = std::size_t{n} * kSectorSize;
            const std::size_t from_file = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, remaining));
            buffer.assign(bytes, 0);
            if (!read_at(fd, buffer.data(), from_file, position)) return ForkWrite::PcReadFailed;
            if (!volume_device(ctx).write(sector, static_cast<std::uint16_t>(n), buffer.data()))
                return ForkWrite::MediumWriteFailed;
            position += from_file;
            remaining -= from_file;
            sector += n;
            sectors -= n;
        }
    }
    return ForkWrite::Written;
}

bool record_overflow_runs(HfsContext& ctx, const MacFork& fork, std::uint32_t file_id) {
    std::uint32_t fork_start = 0;
    for (std::size_t i = 0; i < fork.runs.size(); ++i) {
        const BlockRun& run = fork.runs[i];
        if (i >= 3 && !add_extent_record(ctx, {run.start, run.count}, file_id, static_cast<std::uint16_t>(fork_start),
                                         fork.fork_type))
            return false;
        fork_start += run.count;
    }
    return true;
}

}  // namespace korvane
