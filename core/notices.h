#pragma once
// The engine's side of the user-interface services: they keep AppState and
// the transfer log in step with what the host shows.

#include <cstdint>
#include <string>

#include "core/core_context.h"
#include "core/fatal_error.h"

namespace korvane {

// The self-closing notice box. When it closes by itself and a log is open,
// the log receives "#", the text and a line feed.
void show_notice(CoreContext& ctx, const std::string& text);

// Ends the command and the run: throws FatalError with the text. The front
// end shows it, removes the working files and ends the program with status 1;
// none of the other shutdown steps run.
[[noreturn]] void fatal_notice(CoreContext& ctx, const std::string& text);

// The front end's answer to a FatalError: the notice, then the working files
// removed. The caller then ends the program with kExitFatal.
void report_fatal_error(CoreContext& ctx, const FatalError& error);

// left: nullptr clears the left text, "" keeps it, anything else replaces it.
// right: nullptr clears the right text, anything else replaces it.
// Texts are cut to 139 characters. The host repaints the status line at once.
void set_status(CoreContext& ctx, const char* left, const char* right);

void show_progress(CoreContext& ctx, std::uint32_t remaining, std::uint32_t total);

// Removes Korvane's temporary working files (shutdown and fatal exit).
void remove_working_files(CoreContext& ctx);

}  // namespace korvane
