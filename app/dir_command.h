#pragma once
// The browsing keywords of the command language: DIR (with its name pattern
// and the listing switches), CD name, CD .., CD \ and LOG; and the text that
// korvane-cmd prints for DIR.

#include <string>
#include <vector>

#include "app/command_line.h"

namespace korvane {

void run_dir_command(Context& ctx, const ParsedCommand& command);
void run_cd_command(Context& ctx, const ParsedCommand& command);
void run_cd_parent_command(Context& ctx, const ParsedCommand& command);
void run_cd_root_command(Context& ctx, const ParsedCommand& command);
void run_log_command(Context& ctx, const ParsedCommand& command);

// Adds the handlers above to the command table.
void add_browse_command_handlers(CommandHandlers& handlers);

// The listing as korvane-cmd prints it, in UTF-8: the header lines as the
// window paints them ("KB free : ...", "KB used : ...", " Vol: ...",
// " Dir: ..."), then one line per entry: the name, a TAB and the entry's
// display text (NULs as blanks, trailing blanks removed); "[No file]" for an
// empty directory. Nothing when no volume is open.
std::vector<std::string> listing_text_lines(const Context& ctx);

}  // namespace korvane
