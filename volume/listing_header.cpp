#include "volume/listing_header.h"

#include <algorithm>
#include <cstdio>

#include "core/messages.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

std::string volumeNameForDisplay(const HfsContext& ctx) {
    return translated(ctx.mdb.volumeName(), mac_to_ansi);
}

}  // namespace

std::uint32_t kilobytesFree(const MdbImage& header) {
    // 64-bit arithmetic: free blocks x block size exceeds 32 bits on large volumes.
    std::uint64_t bytes = std::uint64_t{header.freeBlocks()} * header.allocationBlockSize();
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes / 1024 + 1, UINT32_MAX));
}

std::uint32_t kilobytesUsed(const MdbImage& header) {
    std::int64_t allocated = std::int64_t{header.allocationBlocks()} - header.freeBlocks();
    std::int64_t bytes = allocated * header.allocationBlockSize() - header.catalogFileSize() -
                         header.extentsFileSize();
    return bytes <= 0 ? 0 : static_cast<std::uint32_t>(std::min<std::int64_t>(bytes / 1024, UINT32_MAX));
}

std::string kilobyteField(std::uint32_t kilobytes) {
    char field[16];
    std::snprintf(field, sizeof field, "%8u", static_cast<unsigned>(kilobytes));
    return std::string(field) + "k";
}

ListingHeader listingHeader(const HfsContext& ctx) {
    ListingHeader header;
    header.free = std::string(message(Msg::kKilobytesFree)) + kilobyteField(kilobytesFree(ctx.mdb));
    header.used = std::string(message(Msg::kKilobytesUsed)) + kilobyteField(kilobytesUsed(ctx.mdb));
    header.volume = std::string(message(Msg::kVolumeLabel)) + volumeNameForDisplay(ctx);
    header.directory = std::string(message(Msg::kDirectoryLabel)) + translated(ctx.state.current_path, mac_to_ansi);
    return header;
}

std::string windowTitle(const HfsContext& ctx) {
    return std::string(message(Msg::kProgramName)) + " : " + volumeNameForDisplay(ctx);
}

}  // namespace korvane
