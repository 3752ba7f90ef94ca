#include "cli/console_session.h"

#include <istream>
#include <ostream>

#include "app/command_line.h"
#include "app/device_commands.h"
#include "app/startup.h"
#include "cli/console_host.h"
#include "cli/console_output.h"
#include "cli/maintenance_dialogs.h"
#include "core/notices.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

constexpr const char* kUsage =
        "usage: korvane-cmd [/A<adapter><target>] [/L[:file]] [/R] [IMAGE[,options]...] [--bus DIR]...\n"
        "                   [-c LINE]... [--yes|--no] [--partition N] [--pc-dir DIR] [--port NAME]\n"
        "                   [--scan] [-v] [--driver-from IMAGE] [--no-journal]\n";

// What a script learns of a line: anything korvane-cmd could not do as asked
// is said on standard error and counts as a failure of the run.
void report_line(Context& ctx, ConsoleHost& host, const std::string& line, const ParsedCommand& parsed,
                 LineOutcome outcome) {
    const bool blank = line.find_first_not_of(" \t\r") == std::string::npos;
    switch (outcome) {
        case LineOutcome::Empty:
            if (blank) return;
            host.say("not a command: " + line);
            break;
        case LineOutcome::UnknownKeyword:
            host.say("unknown command \"" + parsed.keyword + "\"");
            break;
        case LineOutcome::NotAvailable:
            host.say(std::string(keyword_of(parsed.code)) + " is not available in this version of Korvane");
            break;
        case LineOutcome::Dropped:
            return;  // the guard has said why and counted it
        case LineOutcome::Executed:
            if (ctx.unmatched_name.empty()) return;
            host.say("No entry matches \"" + pc_name_to_utf8(ctx.unmatched_name, PcCharset::Windows) + "\"");
            break;
    }
    ctx.outcome.failureReported = true;
}

// Runs one line; false when the session should end (QUIT).
bool run_line(Context& ctx, ConsoleHost& host, const CommandHandlers& handlers, const std::string& line,
              std::ostream& out) {
    ParsedCommand parsed;
    // The terminal types UTF-8; the command language works in the Windows character set.
    const std::string typed = pc_name_from_utf8(line, PcCharset::Windows).name;
    const LineOutcome outcome = run_command_line(ctx, handlers, typed, parsed);
    if (outcome == LineOutcome::Executed) print_command_output(ctx, parsed, out);
    report_line(ctx, host, line, parsed, outcome);
    // There is no dialog to close first: what the line posted runs now.
    const bool exit = run_posted_commands(ctx);
    return parsed.code != CommandCode::Quit && !exit;
}

void run_lines(Context& ctx, ConsoleHost& host, ConsoleStreams streams) {
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    add_console_command_handlers(handlers, streams.out);
    add_console_mcopy_handler(handlers, host);
    add_console_maintenance_handlers(handlers, host);
    const std::vector<std::string>& lines = host.options().lines;
    if (!lines.empty()) {
        for (const std::string& line : lines) {
            if (!run_line(ctx, host, handlers, line, streams.out)) return;
        }
        return;
    }
    std::string line;
    for (;;) {
        if (streams.interactive) streams.out << "Korvane> " << std::flush;
        if (!std::getline(streams.in, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!run_line(ctx, host, handlers, line, streams.out)) break;
    }
    if (streams.interactive) streams.out << '\n';
}

void print_bus_scan(Context& ctx, std::ostream& out) {
    for (const std::string& line : bus_scan_lines(ctx)) out << line << '\n';
}

}  // namespace

int exit_status_of(const CoreContext::RunOutcome& outcome) {
    if (outcome.damageFound) return kExitDamageFound;
    if (outcome.failureReported) return kExitCommandFailed;
    return kExitOk;
}

int run_console_session(const std::vector<std::string>& args, ConsoleStreams streams) {
    ParsedLaunch parsed = parse_launch_arguments(args, FrontEnd::Console);
    if (!parsed.ok()) {
        streams.err << "korvane-cmd: " << parsed.error << '\n' << kUsage;
        return kExitBadCommandLine;
    }
    ConsoleHost host(parsed.arguments.console, streams.in, streams.err, streams.interactive);
    host.set_output(streams.out);
    Context ctx(host);
    try {
        init_application(ctx, parsed.arguments);
        if (parsed.arguments.console.scan) {
            print_bus_scan(ctx, streams.out);
        } else {
            run_lines(ctx, host, streams);
        }
    } catch (const FatalError& error) {
        // Nothing else of the shutdown runs after a fatal error.
        streams.out << std::flush;
        shutdown_after_fatal_error(ctx, error);
        return kExitFatal;
    }
    shutdown_application(ctx);
    streams.out << std::flush;
    return exit_status_of(ctx.outcome);
}

}  // namespace korvane
