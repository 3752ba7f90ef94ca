#include "util/memory.h"

#include <cstdlib>

#include "core/messages.h"
#include "core/notices.h"

namespace korvane {

std::uint8_t* alloc_zeroed(CoreContext& ctx, std::uint32_t byte_count) {
    if (byte_count == 0) fatal_notice(ctx, std::string(kZeroAllocation));
    void* block = std::calloc(byte_count, 1);
    if (block == nullptr) fatal_notice(ctx, std::string(kNoMemory));
    return static_cast<std::uint8_t*>(block);
}

void release_block(std::uint8_t* block) { std::free(block); }

}  // namespace korvane
