#pragma once
// The launch arguments shared by both front ends: the start-up switches /A, /L
// and /R (also written with "-" and in either case), disk images and image
// folders for the image bus, and the options of korvane-cmd.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app_state.h"

namespace korvane {

struct StartupSwitches {
    // /A followed by adapter and target digits; a missing digit leaves kNoDrive.
    std::uint8_t host_adapter = kNoDrive;
    std::uint8_t target_id = kNoDrive;
    // /R: reset the drive before every transfer.
    bool reset_each_access = false;
    // The text after the letter of the last /L ("" for /L alone); absent without /L.
    std::optional<std::string> log_option;
};

// How korvane-cmd answers questions and confirmations.
enum class AnswerMode { AskTerminal, AlwaysYes, AlwaysNo };

struct ConsoleOptions {
    std::vector<std::string> lines;  // -c LINE, in order
    AnswerMode answers = AnswerMode::AskTerminal;
    std::optional<int> partition_row;  // --partition N
    std::string pc_dir;                // --pc-dir DIR (empty: stay where started)
    bool scan = false;                 // --scan
    std::string port;                  // --port NAME (empty: none given)
    bool verbose = false;              // -v: status texts go to standard error too
    std::string driver_from;           // --driver-from IMAGE: FORMAT copies its drivers
};

struct LaunchArguments {
    StartupSwitches switches;
    // "PATH[,options]" exactly as given, in order: images for adapter 0.
    std::vector<std::string> images;
    // --bus DIR, in order: one adapter each, after the adapter of the images.
    std::vector<std::string> bus_dirs;
    // --no-journal: changes are made without an undo journal.
    bool no_journal = false;
    ConsoleOptions console;
};

enum class FrontEnd { Window, Console };

struct ParsedLaunch {
    LaunchArguments arguments;
    std::string error;  // empty when the command line is good
    bool ok() const { return error.empty(); }
};

// Parses the arguments after the program name. Options of korvane-cmd are a
// bad command line for the window; unknown "--" options, a missing value and
// an image with a bad option or of the wrong kind (a directory, a FIFO)
// always are. A single "/" or "-" with a letter other than A, L and R is
// ignored, as it always has been.
ParsedLaunch parse_launch_arguments(const std::vector<std::string>& args, FrontEnd front_end);

// Applies one switch token ("/A04", "-r", "/L:name") to the switches; returns
// false when the token is not a switch at all (a path, for instance).
bool apply_switch(std::string_view token, StartupSwitches& switches);

// Whether a token beginning with "/" is an absolute path rather than a switch:
// its first component names an entry of the root directory ("/tmp/HD10.hda",
// "/root/disk.img", "/lib/..."), so /R and /L never swallow such a path.
bool looks_like_absolute_path(std::string_view token);

}  // namespace korvane
