#pragma once
// korvane-cmd's output of VERIFY (each block with an error) and RESCUE (one
// line per rescued file: the Macintosh name, a tab, the PC file).

#include "app/command_line.h"

namespace korvane {

class ConsoleHost;

// Replaces the VERIFY and RESCUE handlers with ones that print.
void add_console_maintenance_handlers(CommandHandlers& handlers, ConsoleHost& host);

}  // namespace korvane
