#pragma once
// Moving the current directory: into a subdirectory, to the parent, to the
// root. Each move is written to the transfer log when one is open.

#include <string_view>

#include "hfs/hfs_context.h"

namespace korvane {

// Enters the subdirectory mac_name (Macintosh character set; a pattern enters
// the first match) of the current directory. False, with nothing changed,
// when there is no such directory or it has no thread record.
bool change_directory(HfsContext& ctx, std::string_view mac_name);

// Goes to the parent directory; false (nothing happens) at the root.
bool change_to_parent(HfsContext& ctx);

// Goes to the root directory.
bool change_to_root(HfsContext& ctx);

}  // namespace korvane
