#pragma once
// Big-endian fields of SCSI command blocks and answers (block addresses,
// lengths). The HFS layer has its own for the volume's structures; the
// device layer sits below it and cannot use them.

#include <cstdint>

namespace korvane {

constexpr std::uint32_t scsiLoad32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 | at[3];
}

constexpr std::uint16_t scsiLoad16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

constexpr void scsiStore32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

constexpr void scsiStore16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

}  // namespace korvane
