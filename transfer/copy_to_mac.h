#pragma once
// Copying PC files and PC directory trees into the current Macintosh folder.

#include <string_view>

#include "transfer/transfer_context.h"

namespace korvane {

// copy_pc_matching's result when no entry of the PC directory matches.
inline constexpr int kNoPcEntry = -1;

// Copies the entries of the current PC directory whose names match pattern
// (shell wildcards over the names as the file system spells them, UTF-8,
// letters of either case; a backslash takes the next character literally)
// into the current Macintosh folder, in the copy mode of the options,
// and writes the volume back. 0 when the copy went through, non-zero when it
// stopped (kNoPcEntry when nothing matched).
int copy_pc_matching(TransferContext& ctx, std::string_view pattern);

}  // namespace korvane
