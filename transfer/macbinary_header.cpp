#include "transfer/macbinary_header.h"

#include <algorithm>

#include "util/byte_order.h"

namespace korvane {
namespace {

// Offsets beyond the MacBinary I fields.
constexpr std::size_t kFlagsHigh = 73;
constexpr std::size_t kOldVersion = 74;  // must be 0 for every reader
constexpr std::size_t kFlagsLow = 101;
constexpr std::size_t kSecondaryHeader = 120;
constexpr std::size_t kVersion = 122;
constexpr std::size_t kMinimumVersion = 123;
constexpr std::size_t kCrc = 124;
constexpr std::uint8_t kMacBinaryII = 129;

constexpr std::uint64_t padded(std::uint64_t length) { return (length + 127) / 128 * 128; }

bool crc_claimed(std::span<const std::uint8_t, kMacBinaryHeaderSize> bytes) {
    return bytes[kVersion] >= kMacBinaryII || load_be16(bytes.data() + kCrc) != 0;
}

}  // namespace

std::uint16_t macbinary_crc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t byte : bytes) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

std::array<std::uint8_t, kMacBinaryHeaderSize> make_macbinary_header(const MacBinaryFields& fields) {
    std::array<std::uint8_t, kMacBinaryHeaderSize> header{};
    std::string_view name = fields.name;
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    name = name.substr(0, 63);
    header[1] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), header.begin() + 2);
    std::copy(fields.type.begin(), fields.type.end(), header.begin() + 65);
    std::copy(fields.creator.begin(), fields.creator.end(), header.begin() + 69);
    header[kFlagsHigh] = static_cast<std::uint8_t>(fields.finder_flags >> 8);
    store_be16(header.data() + 75, fields.vertical);
    store_be16(header.data() + 77, fields.horizontal);
    store_be32(header.data() + 83, fields.data_length);
    store_be32(header.data() + 87, fields.resource_length);
    store_be32(header.data() + 91, fields.created);
    store_be32(header.data() + 95, fields.modified);
    header[kFlagsLow] = static_cast<std::uint8_t>(fields.finder_flags & 0xFF);
    header[kVersion] = kMacBinaryII;
    header[kMinimumVersion] = kMacBinaryII;
    store_be16(header.data() + kCrc, macbinary_crc(std::span(header).first(kCrc)));
    return header;
}

std::optional<MacBinaryHeader> read_macbinary_header(std::span<const std::uint8_t, kMacBinaryHeaderSize> bytes,
                                                     std::uint64_t file_size) {
    if (bytes[0] != 0 || bytes[kOldVersion] != 0) return std::nullopt;
    const std::size_t name_length = bytes[1];
    if (name_length == 0 || name_length > 63) return std::nullopt;
    if (crc_claimed(bytes) && macbinary_crc(bytes.first(kCrc)) != load_be16(bytes.data() + kCrc)) return std::nullopt;
    MacBinaryHeader header;
    header.name.assign(bytes.begin() + 2, bytes.begin() + 2 + static_cast<std::ptrdiff_t>(name_length));
    std::copy_n(bytes.begin() + 65, 4, header.type.begin());
    std::copy_n(bytes.begin() + 69, 4, header.creator.begin());
    header.finder_flags = static_cast<std::uint16_t>(bytes[kFlagsHigh] << 8 | bytes[kFlagsLow]);
    header.data_length = load_be32(bytes.data() + 83);
    header.resource_length = load_be32(bytes.data() + 87);
    header.created = load_be32(bytes.data() + 91);
    header.modified = load_be32(bytes.data() + 95);
    // A MacBinary II secondary header sits between the header and the data fork.
    header.data_offset = kMacBinaryHeaderSize + padded(load_be16(bytes.data() + kSecondaryHeader));
    header.resource_offset = header.data_offset + padded(header.data_length);
    const std::uint64_t data_end = header.data_offset + header.data_length;
    const std::uint64_t resource_end = header.resource_offset + header.resource_length;
    if (data_end > file_size || (header.resource_length > 0 && resource_end > file_size)) return std::nullopt;
    return header;
}

}  // namespace korvane
