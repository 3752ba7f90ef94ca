#include "volume/listing_header.h"

#include <algorithm>
#include <cstdio>

#include "core/messages.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

std::string volume_name_for_display(const HfsContext& ctx) { return translated(ctx.mdb.volume_name(), mac_to_ansi); }

}  // namespace

std::uint32_t kilobytes_free(const MdbImage& header) {
    // 64-bit arithmetic: free blocks x block size exceeds 32 bits on large volumes.
    std::uint64_t bytes = std::uint64_t{header.free_blocks()} * header.allocation_block_size();
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes / 1024 + 1, UINT32_MAX));
}

std::uint32_t kilobytes_used(const MdbImage& header) {
    std::int64_t allocated = std::int64_t{header.allocation_blocks()} - header.free_blocks();
    std::int64_t bytes =
            allocated * header.allocation_block_size() - header.catalog_file_size() - header.extents_file_size();
    return bytes <= 0 ? 0 : static_cast<std::uint32_t>(std::min<std::int64_t>(bytes / 1024, UINT32_MAX));
}

std::string kilobyte_field(std::uint32_t kilobytes) {
    char field[16];
    std::snprintf(field, sizeof field, "%8u", static_cast<unsigned>(kilobytes));
    return std::string(field) + "k";
}

ListingHeader listing_header(const HfsContext& ctx) {
    ListingHeader header;
    header.free = std::string(message(Msg::kKilobytesFree)) + kilobyte_field(kilobytes_free(ctx.mdb));
    header.used = std::string(message(Msg::kKilobytesUsed)) + kilobyte_field(kilobytes_used(ctx.mdb));
    header.volume = std::string(message(Msg::kVolumeLabel)) + volume_name_for_display(ctx);
    header.directory = std::string(message(Msg::kDirectoryLabel)) + translated(ctx.state.current_path, mac_to_ansi);
    return header;
}

std::string window_title(const HfsContext& ctx) {
    return std::string(message(Msg::kProgramName)) + " : " + volume_name_for_display(ctx);
}

}  // namespace korvane
