#pragma once
// The Finder's files that a new volume starts with, as the bytes of the one
// fork each has: "Desktop" (a resource fork holding 'STR ' 0 "Finder 1.0"),
// "Desktop DB" (an empty B-tree), "Desktop DF" (512 zero bytes) and "Icon"
// (a resource fork holding the volume's custom icon family, id -16455, which
// Korvane draws itself: a cartridge with a label).

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace korvane {

struct DesktopFile {
    std::string_view mac_name;
    std::array<std::uint8_t, 8> typeCreator{};
    bool resource_fork = false;
    std::vector<std::uint8_t> contents;
};

// The four files, in the order they are created. block_size is the new
// volume's allocation block size.
std::vector<DesktopFile> desktop_files(std::uint32_t block_size);

// A resource fork holding the given resources, all of one id and without
// names, in the layout the Resource Manager reads.
struct ResourceData {
    std::array<std::uint8_t, 4> type{};
    std::vector<std::uint8_t> data;
};
std::vector<std::uint8_t> resource_fork(std::int16_t id, const std::vector<ResourceData>& resources);

// The icon family of the "Icon" file: 'ICN#', 'icl8', 'icl4', 'ics#',
// 'ics8', 'ics4'.
std::vector<ResourceData> volume_icon_family();

inline constexpr std::int16_t kCustomIconID = -16455;

}  // namespace korvane
