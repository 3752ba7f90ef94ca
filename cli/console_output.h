#pragma once
// What korvane-cmd prints on standard output after a command, and the
// commands that exist only on the console (HELP lists the keywords, QUIT ends
// the session).

#include <iosfwd>

#include "app/command_line.h"

namespace korvane {

void add_console_command_handlers(CommandHandlers& handlers, std::ostream& out);

class ConsoleHost;
// MCOPY without a name opens "Copy PC -> Mac" only when a person can answer
// it; otherwise it says how to name the files. Wraps the handler already added.
void add_console_mcopy_handler(CommandHandlers& handlers, ConsoleHost& host);

// After DIR and the CD commands: the listing, header lines first.
void print_command_output(const Context& ctx, const ParsedCommand& command, std::ostream& out);

}  // namespace korvane
