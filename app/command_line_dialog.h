#pragma once
// 129 "Command Line": the dialog DLG_COMM "Command line" takes one line of
// the command language; Execute runs it through the same parser and command
// table as korvane-cmd, and the menu commands it posted run after it.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "app/context.h"
#include "core/dialog.h"

namespace korvane {

class CommandLineDialog : public Dialog {
public:
    static constexpr std::size_t kMaxLineLength = 79;  // characters read from the edit field
    static constexpr std::string_view kTitle = "Command line";
    std::string_view name() const override { return "DLG_COMM"; }
    std::string line;  // the edit field, empty when the dialog opens; the answer (Windows character set)
};

// Runs the dialog; after Execute, the line and then the commands it posted.
// Cancel does nothing. Afterwards the menus follow the state and the window
// is repainted, so that listing switches show at once.
CommandOutcome command_line_command(Context& ctx);

}  // namespace korvane
