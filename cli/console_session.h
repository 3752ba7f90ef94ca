#pragma once
// One run of korvane-cmd: read the command line, start up, run the -c lines
// or the lines of standard input through the command language, shut down.

#include <iosfwd>
#include <string>
#include <vector>

#include "core/core_context.h"
#include "core/fatal_error.h"

namespace korvane {

// The exit statuses of korvane-cmd. When several apply, fatal wins over
// damage found, and damage found over a failed command.
inline constexpr int kExitOk = 0;  // every command did what it was asked
// kExitFatal (1, core/fatal_error.h): a fatal error ended the run
inline constexpr int kExitBadCommandLine = 2;  // the command line (an image option included) is bad
inline constexpr int kExitDamageFound = 3;     // a consistency check of the run found damage
inline constexpr int kExitCommandFailed = 4;   // a command of the run reported a failure

struct ConsoleStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool interactive;  // in is a terminal: prompt and ask
};

// The status of a run that ended normally, from what its commands reported.
int exit_status_of(const CoreContext::RunOutcome& outcome);

// args: the arguments after the program name. Returns the exit status.
int run_console_session(const std::vector<std::string>& args, ConsoleStreams streams);

}  // namespace korvane
