#pragma once
// What korvane-cmd prints on standard output after a command, and the
// commands that exist only on the console (HELP lists the keywords, QUIT ends
// the session).

#include <iosfwd>

#include "app/command_line.h"

namespace korvane {

void add_console_command_handlers(CommandHandlers& handlers, std::ostream& out);

// After DIR and the CD commands: the listing, header lines first.
void print_command_output(const Context& ctx, const ParsedCommand& command, std::ostream& out);

}  // namespace korvane
