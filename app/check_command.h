#pragma once
// CHECK and "Check volume" (in the "Mac Drive" menu): the read-only
// consistency check of the open volume, reported in plain words. Nothing on
// the medium or in the working copies changes. When it finds a problem, the
// run records damage (ctx.outcome.damageFound), so that korvane-cmd can tell
// a script.

#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/dialog.h"
#include "hfs/check_report.h"

namespace korvane {

// The report: the window shows its lines in a scrollable text, korvane-cmd
// prints them on standard output. The lines are in the Windows character set.
class CheckReportDialog : public Dialog {
public:
    std::string_view name() const override { return "DLG_CHECK"; }
    static constexpr const char* kTitle = "Check volume";
    std::vector<std::string> lines;
};

// One line per problem, then "No problems found." or the number found.
std::vector<std::string> check_report_lines(const CheckReport& report);

// The one entry point of the keyword and of the menu item (which passes an
// empty command): checks the open volume and shows the report.
void run_check_command(Context& ctx, const ParsedCommand& command);

}  // namespace korvane
