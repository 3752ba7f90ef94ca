#pragma once
// The brute-force search: a volume header looked for block by block in the
// first megabyte of a medium whose partition map has been overwritten.

#include <cstdint>
#include <optional>
#include <span>

#include "core/volume_geometry.h"
#include "hfs/hfs_context.h"

namespace korvane {

// 512-byte blocks searched: blocks 0 to 2047.
inline constexpr std::uint32_t kBruteForceBlocks = 2048;

// The first block of blocks (512 bytes each, numbered from firstBlock) that
// holds a usable volume header, or nothing.
std::optional<std::uint32_t> find_header_block(std::span<const std::uint8_t> blocks, std::uint32_t firstBlock);

// Searches blocks 0 to 2047 of the selected drive's medium for a volume
// header. When one is found: fills ctx.mdb and ctx.geometry, sets the
// capacity from the header when it is still unknown, and returns the first
// allocation sector; otherwise 0. The catalog is not opened here.
std::int32_t brute_force_search(HfsContext& ctx);

// The medium's size in 512-byte sectors as far as the header found by the
// search tells it: the volume's allocation blocks end the medium.
std::uint32_t capacity_from_header(std::uint16_t allocation_blocks, const VolumeGeometry& geometry);

}  // namespace korvane
