#include "cli/console_session.h"

#include <istream>
#include <ostream>

#include "app/command_line.h"
#include "app/device_commands.h"
#include "app/startup.h"
#include "cli/console_host.h"
#include "cli/console_output.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

constexpr const char* kUsage =
        "usage: korvane-cmd [/A<adapter><target>] [/L[:file]] [/R] [IMAGE[,options]...] [--bus DIR]...\n"
        "                   [-c LINE]... [--yes|--no] [--partition N] [--pc-dir DIR] [--port NAME]\n"
        "                   [--scan] [-v]\n";

// Runs one line; false when the session should end (QUIT).
bool run_line(Context& ctx, ConsoleHost& host, const CommandHandlers& handlers, const std::string& line,
              std::ostream& out) {
    ParsedCommand parsed;
    // The terminal types UTF-8; the command language works in the Windows character set.
    const std::string typed = pc_name_from_utf8(line, PcCharset::Windows).name;
    switch (run_command_line(ctx, handlers, typed, parsed)) {
        case LineOutcome::Empty:
            if (line.find_first_not_of(" \t\r") != std::string::npos) host.say("not a command: " + line);
            break;
        case LineOutcome::UnknownKeyword: host.say("unknown command \"" + parsed.keyword + "\""); break;
        case LineOutcome::NotAvailable:
            host.say(std::string(keyword_of(parsed.code)) + " is not available in this version of Korvane");
            break;
        case LineOutcome::Dropped: break;
        case LineOutcome::Executed: print_command_output(ctx, parsed, out); break;
    }
    return parsed.code != CommandCode::Quit;
}

void run_lines(Context& ctx, ConsoleHost& host, ConsoleStreams streams) {
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    add_console_command_handlers(handlers, streams.out);
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

int run_console_session(const std::vector<std::string>& args, ConsoleStreams streams) {
    ParsedLaunch parsed = parse_launch_arguments(args, FrontEnd::Console);
    if (!parsed.ok()) {
        streams.err << "korvane-cmd: " << parsed.error << '\n' << kUsage;
        return kExitBadCommandLine;
    }
    ConsoleHost host(parsed.arguments.console, streams.in, streams.err, streams.interactive);
    Context ctx(host);
    init_application(ctx, parsed.arguments);
    if (parsed.arguments.console.scan) {
        print_bus_scan(ctx, streams.out);
    } else {
        run_lines(ctx, host, streams);
    }
    shutdown_application(ctx);
    streams.out << std::flush;
    return kExitOk;
}

}  // namespace korvane
