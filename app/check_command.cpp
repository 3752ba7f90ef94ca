#include "app/check_command.h"

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/volume_check.h"
#include "hfs/working_copies.h"

namespace korvane {
namespace {

constexpr const char* kNoVolume = "There is no Macintosh volume to check.";
constexpr const char* kNoProblems = "No problems found.";

std::string count_text(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

std::vector<std::string> check_report_lines(const CheckReport& report) {
    std::vector<std::string> lines = report.problems();
    if (report.unlisted() > 0) lines.push_back("... and " + count_text(report.unlisted(), "more problem") + ".");
    lines.push_back(report.empty() ? kNoProblems : count_text(report.count(), "problem") + " found.");
    return lines;
}

void run_check_command(Context& ctx, const ParsedCommand&) {
    if (ctx.state.target_id == kNoDrive) {
        show_notice(ctx, std::string(message(Msg::kSelectDriveInMenu)));
        ctx.outcome.failureReported = true;
        return;
    }
    if (ctx.state.volume_start <= 0 || !ctx.catalogTree.is_open()) {
        show_notice(ctx, kNoVolume);
        ctx.outcome.failureReported = true;
        return;
    }
    // The check itself asks nothing of the user: the extents copy, which is
    // made on first need and says so on the status line, is made here.
    open_extents_tree(ctx);
    const CheckReport report = check_volume(ctx);
    if (!report.empty()) ctx.outcome.damageFound = true;
    CheckReportDialog dialog;
    dialog.lines = check_report_lines(report);
    ctx.host.run_dialog(dialog);
}

}  // namespace korvane
