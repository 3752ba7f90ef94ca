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

std::array<std::uint8_t, 4> fourChars(std::string_view text) { return {std::uint8_t(text[0]), std::uint8_t(text[1]), std::uint8_t(text[2]), std::uint8_t(text[3])}; }

std::array<std::uint8_t, 8> typeAndCreator(std::string_view both) {
    std::array<std::uint8_t, 8> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(both[i]);
    return bytes;
}

void appendBE16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void appendBE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    appendBE16(out, static_cast<std::uint16_t>(value >> 16));
    appendBE16(out, static_cast<std::uint16_t>(value));
}

// --- the icon we draw: a removable cartridge with a label and a shutter ----------

// Whether pixel (x, y) of a size x size icon is ink, and whether it lies
// inside the cartridge's outline (the mask).
bool insideCartridge(int x, int y, int size) {
    const int margin = size / 16;
    return x >= margin && x < size - margin && y >= margin * 2 && y < size - margin;
}

bool cartridgeInk(int x, int y, int size) {
    if (!insideCartridge(x, y, size)) return false;
    const int margin = size / 16;
    const bool outline = x == margin || x == size - margin - 1 || y == margin * 2 || y == size - margin - 1;
    const int third = size / 3;
    const bool shutter = x >= third && x < size - third && y >= margin * 2 && y < size / 2 && (x == third || x == size - third - 1 || y == size / 2 - 1);
    const bool label = y == size * 3 / 4 && x > margin * 3 && x < size - margin * 3;
    return outline || shutter || label;
}

std::vector<std::uint8_t> blackAndWhite(int size, bool mask) {
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(size * size / 8), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (mask ? insideCartridge(x, y, size) : cartridgeInk(x, y, size))
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
            std::uint8_t index = cartridgeInk(x, y, size) ? black : insideCartridge(x, y, size) ? grey : 0;
            const int pixel = y * size + x;
            if (bitsPerPixel == 8) {
                pixels[static_cast<std::size_t>(pixel)] = index;
            } else {
                pixels[static_cast<std::size_t>(pixel / 2)] |= static_cast<std::uint8_t>(pixel % 2 == 0 ? index << 4 : index);
            }
        }
    }
    return pixels;
}

std::vector<std::uint8_t> iconWithMask(int size) {
    std::vector<std::uint8_t> both = blackAndWhite(size, false);
    const std::vector<std::uint8_t> mask = blackAndWhite(size, true);
    both.insert(both.end(), mask.begin(), mask.end());
    return both;
}

}  // namespace

std::vector<std::uint8_t> resourceFork(std::int16_t id, const std::vector<ResourceData>& resources) {
    std::vector<std::uint8_t> data;
    std::vector<std::uint32_t> dataOffsets;
    for (const ResourceData& resource : resources) {
        dataOffsets.push_back(static_cast<std::uint32_t>(data.size()));
        appendBE32(data, static_cast<std::uint32_t>(resource.data.size()));
        data.insert(data.end(), resource.data.begin(), resource.data.end());
    }
    const auto count = static_cast<std::uint16_t>(resources.size());
    const std::uint16_t typeListSize = static_cast<std::uint16_t>(2 + kTypeEntrySize * count);
    const std::uint16_t mapSize = static_cast<std::uint16_t>(kMapHeaderSize + typeListSize + kReferenceSize * count);
    const std::uint32_t mapStart = kResourceDataStart + static_cast<std::uint32_t>(data.size());

    std::vector<std::uint8_t> fork;
    for (std::uint32_t field : {kResourceDataStart, mapStart, static_cast<std::uint32_t>(data.size()), std::uint32_t{mapSize}})
        appendBE32(fork, field);
    fork.resize(kResourceDataStart, 0);
    fork.insert(fork.end(), data.begin(), data.end());
    // The map: a copy of the header, the handle, file reference and attributes (zero).
    fork.insert(fork.end(), fork.begin(), fork.begin() + 16);
    fork.resize(fork.size() + 8, 0);
    appendBE16(fork, kMapHeaderSize);
    appendBE16(fork, mapSize);  // the (empty) name list follows the map
    appendBE16(fork, static_cast<std::uint16_t>(count - 1));
    for (std::uint16_t i = 0; i < count; ++i) {
        fork.insert(fork.end(), resources[i].type.begin(), resources[i].type.end());
        appendBE16(fork, 0);  // one resource of each type
        appendBE16(fork, static_cast<std::uint16_t>(typeListSize + kReferenceSize * i));
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        appendBE16(fork, static_cast<std::uint16_t>(id));
        appendBE16(fork, kNoName);
        appendBE32(fork, dataOffsets[i]);  // attributes 0 in the top byte
        appendBE32(fork, 0);
    }
    return fork;
}

std::vector<ResourceData> volumeIconFamily() {
    return {{fourChars("ICN#"), iconWithMask(32)}, {fourChars("icl8"), colour(32, 8)}, {fourChars("icl4"), colour(32, 4)},
            {fourChars("ics#"), iconWithMask(16)}, {fourChars("ics8"), colour(16, 8)}, {fourChars("ics4"), colour(16, 4)}};
}

std::vector<DesktopFile> desktopFiles(std::uint32_t blockSize) {
    std::vector<std::uint8_t> finder{static_cast<std::uint8_t>(kFinderVersion.size())};
    finder.insert(finder.end(), kFinderVersion.begin(), kFinderVersion.end());
    const SectorBytes dbHeader = emptyTreeHeader(kDesktopDbNodesPerBlock * blockSize, kMaxCatalogKeyLength);
    return {{"Desktop", typeAndCreator("FNDRERIK"), true, resourceFork(0, {{fourChars("STR "), finder}})},
            {"Desktop DB", typeAndCreator("BTFLDMGR"), false, {dbHeader.begin(), dbHeader.end()}},
            {"Desktop DF", typeAndCreator("DTFLDMGR"), false, std::vector<std::uint8_t>(kDesktopDfSize, 0)},
            {"Icon", typeAndCreator("        "), true, resourceFork(kCustomIconID, volumeIconFamily())}};
}

}  // namespace korvane
