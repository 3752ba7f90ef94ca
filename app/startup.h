#pragma once
// Start-up and shutdown of a Korvane process, shared by the window and the
// console. The front end creates the Context, calls init_application, runs
// its loop, and calls shutdown_application at the end.

#include <string>
#include <vector>

#include "app/context.h"
#include "app/switches.h"
#include "core/fatal_error.h"

namespace korvane {

// The engine's start-up steps: options and state defaults, the start
// directory, the launch arguments (switches, images, --pc-dir), the work area,
// the transport, drive selection or the test of the /A drive, the log's
// opening date line, then volume discovery when a drive is selected and the
// matching status text. args are the arguments after the program name.
// Returns false for a bad command line (nothing else has been done then).
// Unrecoverable failures throw FatalError (core/fatal_error.h) to the front end.
bool init_application(Context& ctx, const std::vector<std::string>& args, FrontEnd front_end = FrontEnd::Window);
// The same with arguments already parsed (the front end reports a bad
// command line itself and exits with 2).
void init_application(Context& ctx, const LaunchArguments& launch);

// Step 9 alone: options, start directory, switches, work area, transport,
// drive selection and the log's opening line. With --scan only the transport
// is set up (no drive is selected).
void init_options_and_device(Context& ctx, const LaunchArguments& launch);

// After the loop: unlock the media this run locked, release the work area
// and the working files, restore the start directory, write the log's
// closing date line and close the log.
void shutdown_application(Context& ctx);

// The front end's answer to a FatalError: the notice, the working files
// removed and the media this run locked unlocked (a removable medium must
// not stay locked after Korvane ends). The caller then ends with kExitFatal.
void shutdown_after_fatal_error(Context& ctx, const FatalError& error);

}  // namespace korvane
