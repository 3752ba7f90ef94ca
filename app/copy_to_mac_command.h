#pragma once
// 107 Copy from PC to Mac (menu item and "PC->Mac" button) and the MCOPY
// command of the command line.

#include "app/command_line.h"
#include "app/context.h"

namespace korvane {

// 107: "PC->Mac" in the log, the type database, then "Copy PC -> Mac"; the
// listing is reloaded when the dialog copied.
void copy_to_mac_command(Context& ctx);

// MCOPY: with a name or pattern, copies the matching entries of the current
// PC directory; without one, runs 107.
void run_mcopy_command(Context& ctx, const ParsedCommand& command);

}  // namespace korvane
