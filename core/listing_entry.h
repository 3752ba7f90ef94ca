#pragma once
// One listed file or folder: a 92-byte record holding the selection mark and
// the preformatted columns that the listing paints. The layout of the bytes
// belongs to catalog enumeration (hfs/), which fills it.

#include <array>
#include <cstdint>

namespace korvane {

struct ListingEntry {
    std::array<std::uint8_t, 92> bytes{};
};

}  // namespace korvane
