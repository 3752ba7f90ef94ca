#pragma once
// UNDO and "Undo last change": the last change to the selected medium is
// put back from its undo journal, and the volume is read again.

#include "app/command_line.h"
#include "app/context.h"

namespace korvane {

namespace cmd {
// "Undo last change" of the "File" menu.
inline constexpr int kUndoLastChange = 160;
}  // namespace cmd

void undo_command(Context& ctx);
void run_undo_command(Context& ctx, const ParsedCommand& command);

}  // namespace korvane
