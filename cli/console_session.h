#pragma once
// One run of korvane-cmd: read the command line, start up, run the -c lines
// or the lines of standard input through the command language, shut down.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFatal = 1;  // after a fatal notice (std::exit inside fatal_notice)
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
