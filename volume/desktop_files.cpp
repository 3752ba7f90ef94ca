#include "volume/desktop_files.h"

#include <string>

#include "hfs/catalog_records.h"
#include "util/byte_order.h"
#include "volume/format_layout.h"

namespace korvane {
namespace {

constexpr std::uint32_t kResourceDataStart = 256;
constexpr std::uint16_t kMapHeaderSize = 28;
constexpr std::uint16_t kTypeEntrySize = 8;
constexpr std::uint16_t kReferenceSize = 12;
constexpr std::uint16_t kNoName = 0xFFFF;
constexpr std::string_view kFinderVersion = "Finder 1.0";
constexpr std::uint32_t kDesktopDbNodesPerBlock = 8;
constexpr std::size_t kDesktopDfSize = 512;

std::array<std::uint8_t, 4> four_chars(std::string_view text) {
    return {std::uint8_t(text[0]), std::uint8_t(text[1]), std::uint8_t(text[2]), std::uint8_t(text[3])};
}

std::array<std::uint8_t, 8> type_and_creator(std::string_view both) {
    std::array<std::uint8_t, 8> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(both[i]);
    return bytes;
}

void append_be16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void append_be32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    append_be16(out, static_cast<std::uint16_t>(value >> 16));
    append_be16(out, static_cast<std::uint16_t>(value));
}

// --- the icon we draw: a removable cartridge with a label and a shutter ----------

// Whether pixel (x, y) of a size x size icon is ink, and whether it lies
// inside the cartridge's outline (the mask).
bool inside_cartridge(int x, int y, int size) {
    const int margin = size / 16;
    return x >= margin && x < size - margin && y >= margin * 2 && y < size - margin;
}

bool cartridge_ink(int x, int y, int size) {
    if (!inside_cartridge(x, y, size)) return false;
    const int margin = size / 16;
    const bool outline = x == margin || x == size - margin - 1 || y == margin * 2 || y == size - margin - 1;
    const int third = size / 3;
    const bool shutter = x >= third && x < size - third && y >= margin * 2 && y < size / 2 &&
                         (x == third || x == size - third - 1 || y == size / 2 - 1);
    const bool label = y == size * 3 / 4 && x > margin * 3 && x < size - margin * 3;
    return outline || shutter || label;
}

std::vector<std::uint8_t> black_and_white(int size, bool mask) {
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(size * size / 8), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (mask ? inside_cartridge(x, y, size) : cartridge_ink(x, y, size))
                bits[static_cast<std::size_t>((y * size + x) / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return bits;
}

// Colour icons: ink black, the body a light grey, outside white (index 0).
std::vector<std::uint8_t> colour(int size, int bitsPerPixel) {
    const std::uint8_t black = bitsPerPixel == 8 ? 0xFF : 0x0F;
    const std::uint8_t grey = bitsPerPixel == 8 ? 0x2B : 0x07;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size * bitsPerPixel / 8), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint8_t index = cartridge_ink(x, y, size) ? black : inside_cartridge(x, y, size) ? grey : 0;
            const int pixel = y * size + x;
            if (bitsPerPixel == 8) {
                pixels[static_cast<std::size_t>(pixel)] = index;
            } else {
                pixels[static_cast<std::size_t>(pixel / 2)] |=
                        static_cast<std::uint8_t>(pixel % 2 == 0 ? index << 4 : index);
            }
        }
    }
    return pixels;
}

std::vector<std::uint8_t> icon_with_mask(int size) {
    std::vector<std::uint8_t> both = black_and_white(size, false);
    const std::vector<std::uint8_t> mask = black_and_white(size, true);
    both.insert(both.end(), mask.begin(), mask.end());
    return both;
}

}  // namespace

std::vector<std::uint8_t> resource_fork(std::int16_t id, const std::vector<ResourceData>& resources) {
    std::vector<std::uint8_t> data;
    std::vector<std::uint32_t> dataOffsets;
    for (const ResourceData& resource : resources) {
        dataOffsets.push_back(static_cast<std::uint32_t>(data.size()));
        append_be32(data, static_cast<std::uint32_t>(resource.data.size()));
        data.insert(data.end(), resource.data.begin(), resource.data.end());
    }
    const auto count = static_cast<std::uint16_t>(resources.size());
    const std::uint16_t typeListSize = static_cast<std::uint16_t>(2 + kTypeEntrySize * count);
    const std::uint16_t mapSize = static_cast<std::uint16_t>(kMapHeaderSize + typeListSize + kReferenceSize * count);
    const std::uint32_t mapStart = kResourceDataStart + static_cast<std::uint32_t>(data.size());

    std::vector<std::uint8_t> fork;
    for (std::uint32_t field :
         {kResourceDataStart, mapStart, static_cast<std::uint32_t>(data.size()), std::uint32_t{mapSize}})
        append_be32(fork, field);
    fork.resize(kResourceDataStart, 0);
    fork.insert(fork.end(), data.begin(), data.end());
    // The map: a copy of the header, the handle, file reference and attributes (zero).
    fork.insert(fork.end(), fork.begin(), fork.begin() + 16);
    fork.resize(fork.size() + 8, 0);
    append_be16(fork, kMapHeaderSize);
    append_be16(fork, mapSize);  // the (empty) name list follows the map
    append_be16(fork, static_cast<std::uint16_t>(count - 1));
    for (std::uint16_t i = 0; i < count; ++i) {
        fork.insert(fork.end(), resources[i].type.begin(), resources[i].type.end());
        append_be16(fork, 0);  // one resource of each type
        append_be16(fork, static_cast<std::uint16_t>(typeListSize + kReferenceSize * i));
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        append_be16(fork, static_cast<std::uint16_t>(id));
        append_be16(fork, kNoName);
        append_be32(fork, dataOffsets[i]);  // attributes 0 in the top byte
        append_be32(fork, 0);
    }
    return fork;
}

std::vector<ResourceData> volume_icon_family() {
    return {{four_chars("ICN#"), icon_with_mask(32)}, {four_chars("icl8"), colour(32, 8)},
            {four_chars("icl4"), colour(32, 4)},      {four_chars("ics#"), icon_with_mask(16)},
            {four_chars("ics8"), colour(16, 8)},      {four_chars("ics4"), colour(16, 4)}};
}

std::vector<DesktopFile> desktop_files(std::uint32_t block_size) {
    std::vector<std::uint8_t> finder{static_cast<std::uint8_t>(kFinderVersion.size())};
    finder.insert(finder.end(), kFinderVersion.begin(), kFinderVersion.end());
    const SectorBytes dbHeader = empty_tree_header(kDesktopDbNodesPerBlock * block_size, kMaxCatalogKeyLength);
    return {{"Desktop", type_and_creator("FNDRERIK"), true, resource_fork(0, {{four_chars("STR "), finder}})},
            {"Desktop DB", type_and_creator("BTFLDMGR"), false, {dbHeader.begin(), dbHeader.end()}},
            {"Desktop DF", type_and_creator("DTFLDMGR"), false, std::vector<std::uint8_t>(kDesktopDfSize, 0)},
            {"Icon", type_and_creator("        "), true, resource_fork(kCustomIconID, volume_icon_family())}};
}

}  // namespace korvane
