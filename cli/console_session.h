#pragma once
// One run of korvane-cmd: read the command line, start up, run the -c lines
// or the lines of standard input through the command language, shut down.

#include <iosfwd>
#include <string>
#include <vector>

#include "core/fatal_error.h"

namespace korvane {

inline constexpr int kExitOk = 0;
// kExitFatal (1, core/fatal_error.h): a fatal error ended the run
inline constexpr int kExitBadCommandLine = 2;

struct ConsoleStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool interactive;  // in is a terminal: prompt and ask
};

// args: the arguments after the program name. Returns the exit status.
int run_console_session(const std::vector<std::string>& args, ConsoleStreams streams);

}  // namespace korvane
