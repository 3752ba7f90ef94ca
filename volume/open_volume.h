#pragma once
// Whether a volume is open, and what a command that needs one says when none
// is: the reason discovery left behind.

#include <string>

#include "hfs/hfs_context.h"

namespace korvane {

// A drive is selected and discovery (or the brute-force search) opened a
// volume on it.
bool volume_is_open(const HfsContext& ctx);

// Why no volume is open, as a sentence for the user.
std::string no_volume_text(const HfsContext& ctx);

// For the commands that need a volume: true when one is open; otherwise says
// why (a notice) and records that the command failed.
bool require_open_volume(HfsContext& ctx);

}  // namespace korvane
