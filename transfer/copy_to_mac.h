#pragma once
// Copying PC files and PC directory trees into the current Macintosh folder.

#include <string_view>

#include "transfer/transfer_context.h"

namespace korvane {

// copy_pc_matching's result when no entry of the PC directory matches.
inline constexpr int kNoPcEntry = -1;

// Copies the entries of the current PC directory whose names match pattern
// (a PC name or a pattern with * and ?, in the Windows character set, matched
// against the names as the character tables show them, letters of either
// case) into the current Macintosh folder, in the copy mode of the options,
// and writes the volume back. 0 when the copy went through, non-zero when it
// stopped (kNoPcEntry when nothing matched).
int copy_pc_matching(TransferContext& ctx, std::string_view pattern);

}  // namespace korvane
