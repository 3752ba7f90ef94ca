#pragma once
// Zero-filled memory blocks whose failure ends the program, so callers never
// test for it.

#include <cstdint>

#include "core/core_context.h"

namespace korvane {

// A zero-filled block of exactly byte_count bytes. A request for 0 bytes or a
// failed allocation ends the program through fatal_notice.
std::uint8_t* alloc_zeroed(CoreContext& ctx, std::uint32_t byte_count);
void release_block(std::uint8_t* block);

}  // namespace korvane
