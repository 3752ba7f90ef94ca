#pragma once
// What the window shows about the open volume above its listing: the free and
// used kilobytes, the volume name and the current directory, and the window
// title "Korvane : " + volume name. Texts are in the Windows character set.

#include <cstdint>
#include <string>

#include "hfs/hfs_context.h"
#include "hfs/mdb_image.h"

namespace korvane {

// Free space: free allocation blocks x block size / 1024, plus one.
std::uint32_t kilobytes_free(const MdbImage& header);
// Used space: the allocated blocks minus the catalog and extents files, in
// kilobytes; 0 when a damaged header claims more for the trees than is used.
std::uint32_t kilobytes_used(const MdbImage& header);

// An 8-character field holding the value right-aligned, followed by "k".
std::string kilobyte_field(std::uint32_t kilobytes);

struct ListingHeader {
    std::string free;       // "KB free : " + field
    std::string used;       // "KB used : " + field
    std::string volume;     // " Vol: " + volume name
    std::string directory;  // " Dir: " + current_path
};

ListingHeader listing_header(const HfsContext& ctx);

// "Korvane : " followed by the volume name.
std::string window_title(const HfsContext& ctx);

}  // namespace korvane
