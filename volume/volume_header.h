#pragma once
// Recognising what lies on a medium from single sectors: an HFS volume
// header that can be opened, and an MS-DOS boot sector.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace korvane {

// Attempts at reading the volume header before discovery gives up on it.
inline constexpr int kHeaderReadAttempts = 10;

// Whether a 512-byte sector is a volume header Korvane can open: the "BD"
// signature, a catalog whose first extent is not empty, and allocation
// blocks that the rest of the engine can address (a non-zero multiple of
// 512 bytes, starting behind the bitmap).
bool accepts_volume_header(std::span<const std::uint8_t> sector);

// Why a sector is not a volume header Korvane can open (a text for the
// user), or nothing when it is one.
std::optional<std::string> volume_header_problem(std::span<const std::uint8_t> sector);

// The MS-DOS test on sector 0 of a medium: negative when the sector ends in
// the boot signature 0x55 0xAA (at offset 510), otherwise 0. Only the sign
// matters to the callers: -2 for a sector that does not begin with a jump
// (0xEB), else the negated byte 29, or -1 when that byte is 0.
std::int32_t dos_medium_result(std::span<const std::uint8_t> sector0);

}  // namespace korvane
