#pragma once
// 114 "Dump content" and the keyword DUMP: the dump window on a file of the
// current folder, and in korvane-cmd the window's lines for a whole fork.

#include <functional>
#include <string>

#include "app/command_line.h"
#include "app/dump_state.h"
#include "core/dialog.h"

namespace korvane {

// The dump window (class filedump): the front end shows the state and runs
// its commands until "Back to Main Screen" or the window's Close. Only its
// own messages are handled meanwhile.
class DumpWindowDialog : public Dialog {
public:
    explicit DumpWindowDialog(DumpState& dump) : state(dump) {}
    std::string_view name() const override { return "filedump"; }
    DumpState& state;
};

// 114: the window on the first selected entry when it is a file of the
// current folder; afterwards the status texts are cleared and the listing
// reloaded and repainted.
void dump_content_command(Context& ctx);

// DUMP name [/R] [/H] where the window is the front end: the window on the
// first file that the name matches, on the resource fork with /R and with
// hexadecimal offsets with /H.
void run_dump_command(Context& ctx, const ParsedCommand& command);

// DUMP name [/R] [/H] in korvane-cmd: every line of the fork as the window
// shows them (Macintosh characters, /R the resource fork, /H hexadecimal
// offsets), given to print one by one. The dump stops after the page where
// the fork's extents end; that, and sectors that could not be read (shown
// as zeros), are reported and the run marked as failed.
void print_dump_command(Context& ctx, const ParsedCommand& command,
                        const std::function<void(const std::string&)>& print_line);

}  // namespace korvane
