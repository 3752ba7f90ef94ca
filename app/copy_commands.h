#pragma once
// The commands that copy from the Macintosh volume to the PC and set how:
// 106 Copy from Mac to PC, 124 Destination Directory, 126 File Naming,
// 127 Output Ports, and the COPY and OPTIONS commands of the command line.

#include <string_view>

#include "app/command_line.h"
#include "app/context.h"

namespace korvane {

// 106: copies the selected entries, each by its exact name, in listing
// order, to the current PC directory (after "Target Directory" unless "Use
// Current Directory" is checked) or to the output port. Each mark is cleared
// as its entry is copied; after a stop the entries not copied stay selected.
void copy_selection_to_pc(Context& ctx);

// 124: "Target Directory"; OK checks "Use Current Directory", Cancel clears it.
void choose_destination(Context& ctx);
// 126: "Advanced copy options" (the naming mode).
void choose_file_naming(Context& ctx);
// 127: "Output Ports".
void choose_output_port(Context& ctx);

// Sets the output port from a name (FILE, LPT1-LPT3, COM1-COM4, either case);
// false for any other name.
bool apply_port_option(Context& ctx, std::string_view name);

// COPY: with a name or pattern, copies the matching entries of the current
// folder; without one, copies the selection in the current copy mode.
void run_copy_command(Context& ctx, const ParsedCommand& command);
// OPTIONS LONG / SHORT / ASK set the naming mode; OPTIONS alone runs the
// "Advanced copy options" dialog.
void run_options_command(Context& ctx, const ParsedCommand& command);

}  // namespace korvane
