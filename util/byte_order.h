#pragma once
// Big-endian access to the structures of an HFS volume and to SCSI command
// blocks. Every number on the medium is big-endian and stays that way in
// memory: values are converted each time they are read or written.

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvane {

constexpr std::uint16_t swap16(std::uint16_t value) { return static_cast<std::uint16_t>((value >> 8) | (value << 8)); }

constexpr std::uint32_t swap32(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

// Unchecked loads and stores at a pointer the caller has bounded.
constexpr std::uint16_t load_be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

constexpr std::uint32_t load_be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

constexpr void store_be16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

constexpr void store_be32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

// Bounded loads from bytes read off the medium: an offset whose value would
// reach past the end yields 0, so damaged structures read as empty fields.
constexpr std::uint8_t load_u8(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return offset < bytes.size() ? bytes[offset] : 0;
}

constexpr std::uint16_t load_be16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return offset <= bytes.size() && bytes.size() - offset >= 2 ? load_be16(bytes.data() + offset) : 0;
}

constexpr std::uint32_t load_be32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return offset <= bytes.size() && bytes.size() - offset >= 4 ? load_be32(bytes.data() + offset) : 0;
}

// Bounded stores: false (and nothing written) when the field does not fit.
constexpr bool store_be16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    if (offset > bytes.size() || bytes.size() - offset < 2) return false;
    store_be16(bytes.data() + offset, value);
    return true;
}

constexpr bool store_be32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return false;
    store_be32(bytes.data() + offset, value);
    return true;
}

// In-place arithmetic on big-endian counters; both wrap around.
constexpr void increment_be16(std::uint8_t* field) {
    store_be16(field, static_cast<std::uint16_t>(load_be16(field) + 1));
}
constexpr void decrement_be16(std::uint8_t* field) {
    store_be16(field, static_cast<std::uint16_t>(load_be16(field) - 1));
}
constexpr void increment_be32(std::uint8_t* field) { store_be32(field, load_be32(field) + 1); }
constexpr void decrement_be32(std::uint8_t* field) { store_be32(field, load_be32(field) - 1); }

}  // namespace korvane
