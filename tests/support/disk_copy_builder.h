#pragma once
// DiskCopy 4.2 images built in the tests from the published layout, around
// the bytes of a raw volume: an 84-byte big-endian header, the data, the tags.

#include <cstdint>
#include <string>

namespace korvane::testing {

struct DiskCopyFields {
    std::string name = "Test disk";
    std::uint8_t diskFormat = 1;  // 800K GCR
    std::uint8_t formatByte = 0x22;
    std::string tags;  // 12 bytes a block, or none
};

// For each big-endian 16-bit word from `from` on: add, then rotate right by one bit.
inline std::uint32_t disk_copy_sum(const std::string& bytes, std::size_t from = 0) {
    std::uint32_t sum = 0;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
        sum += static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i]) << 8 |
                                          static_cast<std::uint8_t>(bytes[i + 1]));
        sum = sum >> 1 | sum << 31;
    }
    return sum;
}

inline void put_be32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// Tags as DiskCopy keeps them: 12 bytes a block, here a pattern that shows any change.
inline std::string disk_copy_tags(std::size_t blocks) {
    std::string tags(blocks * 12, '\0');
    for (std::size_t i = 0; i < tags.size(); ++i) tags[i] = static_cast<char>(i * 13 + 5);
    return tags;
}

inline std::string disk_copy_image(const std::string& data, const DiskCopyFields& fields = {}) {
    std::string header(84, '\0');
    header[0] = static_cast<char>(fields.name.size());
    header.replace(1, fields.name.size(), fields.name);
    put_be32(header, 64, static_cast<std::uint32_t>(data.size()));
    put_be32(header, 68, static_cast<std::uint32_t>(fields.tags.size()));
    put_be32(header, 72, disk_copy_sum(data));
    // The tag checksum leaves out the first 12 tag bytes.
    put_be32(header, 76, fields.tags.size() > 12 ? disk_copy_sum(fields.tags, 12) : 0);
    header[80] = static_cast<char>(fields.diskFormat);
    header[81] = static_cast<char>(fields.formatByte);
    header[82] = 0x01;
    header[83] = 0x00;
    return header + data + fields.tags;
}

}  // namespace korvane::testing
