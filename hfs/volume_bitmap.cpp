#include "hfs/volume_bitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

inline constexpr std::uint32_t kBitsPerSector = kSectorSize * 8;

std::uint32_t bitmap_sectors_needed(const HfsContext& ctx) {
    return (std::uint32_t{ctx.mdb.allocation_blocks()} + kBitsPerSector - 1) / kBitsPerSector;
}

}  // namespace

bool load_bitmap(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (volume.bitmapLoaded) return true;
    const std::uint32_t sectors = bitmap_sectors_needed(ctx);
    if (sectors == 0 || sectors > ctx.geometry.bitmapSectors) return false;
    std::vector<std::uint8_t> bitmap(sectors * kSectorSize);
    if (!volume_device(ctx).read(ctx.geometry.mdbSector + 1, static_cast<std::uint16_t>(sectors), bitmap.data()))
        return false;
    volume.bitmap = std::move(bitmap);
    volume.bitmapLoaded = true;
    volume.bitmapChanged = false;
    return true;
}

bool store_bitmap(HfsContext& ctx) {
    Volume& volume = ctx.volume;
    if (!volume.bitmapLoaded) return true;
    const auto sectors = static_cast<std::uint16_t>(volume.bitmap.size() / kSectorSize);
    if (!volume_device(ctx).write(ctx.geometry.mdbSector + 1, sectors, volume.bitmap.data())) return false;
    volume.bitmapChanged = false;
    return true;
}

void release_bitmap(HfsContext& ctx) {
    ctx.volume.bitmap.clear();
    ctx.volume.bitmap.shrink_to_fit();
    ctx.volume.bitmapLoaded = false;
    ctx.volume.bitmapChanged = false;
}

bool block_in_use(const HfsContext& ctx, std::uint32_t block) {
    const std::vector<std::uint8_t>& bitmap = ctx.volume.bitmap;
    if (block / 8 >= bitmap.size()) return true;  // outside the bitmap: never free
    return (bitmap[block / 8] & (0x80u >> (block % 8))) != 0;
}

void mark_blocks(HfsContext& ctx, std::uint32_t start, std::uint32_t count, bool inUse) {
    std::vector<std::uint8_t>& bitmap = ctx.volume.bitmap;
    const std::uint32_t end = std::min<std::uint32_t>(start + count, ctx.mdb.allocation_blocks());
    for (std::uint32_t block = start; block < end && block / 8 < bitmap.size(); ++block) {
        const auto mask = static_cast<std::uint8_t>(0x80u >> (block % 8));
        bitmap[block / 8] = static_cast<std::uint8_t>(inUse ? bitmap[block / 8] | mask : bitmap[block / 8] & ~mask);
    }
    ctx.volume.bitmapChanged = true;
}

std::optional<BlockRun> find_free_run(const HfsContext& ctx, std::uint16_t n) {
    const std::uint32_t blocks = ctx.mdb.allocation_blocks();
    if (!ctx.volume.bitmapLoaded || n == 0) return std::nullopt;
    std::uint32_t b = kFirstAllocatedBlock;
    for (;;) {
        while (b < blocks && block_in_use(ctx, b)) ++b;
        if (b >= blocks || b + n > blocks) return std::nullopt;
        std::uint32_t e = b;
        while (e < b + n && !block_in_use(ctx, e)) ++e;
        if (e - b == n || e - b >= kMinimumRun)
            return BlockRun{static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(e - b)};
        b = e;
    }
}

BlockRun allocate_run(HfsContext& ctx, std::uint16_t n) {
    const auto run = find_free_run(ctx, n);
    if (!run) {
        show_notice(ctx, std::string(message(Msg::kNotEnoughSpace)));
        return kNoRun;
    }
    mark_blocks(ctx, run->start, run->count, true);
    return *run;
}

void free_extents(HfsContext& ctx, ExtentRecordBytes record) {
    for (int i = 0; i < 3; ++i) {
        const ExtentDescriptor extent = extent_descriptor(record, i);
        if (extent.block_count != 0) mark_blocks(ctx, extent.startBlock, extent.block_count, false);
    }
}

std::uint16_t count_free_blocks(const HfsContext& ctx) {
    const std::uint32_t blocks = ctx.mdb.allocation_blocks();
    const std::vector<std::uint8_t>& bitmap = ctx.volume.bitmap;
    std::uint32_t used = 0;
    const std::uint32_t wholeWords = std::min<std::size_t>(blocks / 64, bitmap.size() / 8);
    for (std::uint32_t word = 0; word < wholeWords; ++word) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, bitmap.data() + std::size_t{word} * 8, 8);
        used += static_cast<std::uint32_t>(std::popcount(bits));
    }
    for (std::uint32_t block = wholeWords * 64; block < blocks; ++block) used += block_in_use(ctx, block) ? 1 : 0;
    return static_cast<std::uint16_t>(blocks - std::min(used, blocks));
}

void recount_free_blocks(HfsContext& ctx) {
    if (ctx.volume.bitmapLoaded) store_be16(ctx.mdb.field(mdb::drFreeBks), count_free_blocks(ctx));
}

}  // namespace korvane
