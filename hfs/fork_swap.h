#pragma once
// Exchanging a file's data and resource forks: the two forks' extent records
// and their first block, logical and physical lengths trade places in the
// file's catalog record. Only forks wholly described by that record can
// trade places: the extents-overflow records of a fork are keyed by its fork
// type, and would otherwise continue the other fork.

#include <cstdint>
#include <string_view>

#include "hfs/hfs_context.h"

namespace korvane {

enum class SwapResult {
    Swapped = 0,
    NoSuchFile = 1,
    ResourceForkNotSwappable = 2,
    DataForkNotSwappable = 3,
    Failed = 4,  // the change could not be made or written; reported
};

// Swaps the forks of the file named exactly name (never a pattern) in
// parentID and writes the volume back. Nothing is changed unless both forks
// can be swapped.
SwapResult swap_forks(HfsContext& ctx, std::uint32_t parentID, std::string_view name);

}  // namespace korvane
