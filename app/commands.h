#pragma once
// The command dispatch of the main window: every menu item, function button
// and accelerator arrives here as its command number (101-142) and runs to
// completion, write guard first for the commands that change the volume.

#include "app/context.h"

namespace korvane {

enum class CommandOutcome {
    Done,          // the command ran (or had nothing to do)
    CloseWindow,   // "Exit": the front end closes its window (with its question)
    NotAvailable,  // the number is unknown or its engine is not in this build
};

// Runs a menu command: the write guard first when the command writes to the
// medium (a refusal is a failure of the run), then the command.
CommandOutcome dispatch_command(Context& ctx, int command);
// The command alone, for a keyword of the command language that stands for
// a menu item and has already passed the guard as that keyword.
CommandOutcome run_menu_command(Context& ctx, int command);

// Whether a menu command writes to the medium (the command table's flag) and
// so passes the write guard first.
bool is_write_guarded(int command);

// The write guard: refuses every write on media with 1024-byte sectors and
// asks before writing to a write-protected medium.
bool write_guard_passes(Context& ctx);

}  // namespace korvane
