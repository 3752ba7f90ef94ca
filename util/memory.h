#pragma once
// Zero-filled memory blocks whose failure is fatal (a FatalError to the front
// end), so callers never test for it.

#include <cstdint>

#include "core/core_context.h"

namespace korvane {

// A zero-filled block of exactly byte_count bytes. A request for 0 bytes or a
// failed allocation is fatal (fatal_notice).
std::uint8_t* alloc_zeroed(CoreContext& ctx, std::uint32_t byte_count);
void release_block(std::uint8_t* block);

}  // namespace korvane
