#pragma once
// The engine's side of the user-interface services: they keep AppState and
// the transfer log in step with what the host shows.

#include <cstdint>
#include <string>

#include "core/core_context.h"

namespace korvane {

// The self-closing notice box. When it closes by itself and a log is open,
// the log receives "#", the text and a line feed.
void show_notice(CoreContext& ctx, const std::string& text);

// Shows the notice, removes the working files and ends the process with exit
// code 1; none of the other shutdown steps run.
[[noreturn]] void fatal_notice(CoreContext& ctx, const std::string& text);

// left: nullptr clears the left text, "" keeps it, anything else replaces it.
// right: nullptr clears the right text, anything else replaces it.
// Texts are cut to 139 characters. The host repaints the status line at once.
void set_status(CoreContext& ctx, const char* left, const char* right);

void show_progress(CoreContext& ctx, std::uint32_t remaining, std::uint32_t total);

// Removes Korvane's temporary working files (shutdown and fatal exit).
void remove_working_files(CoreContext& ctx);

}  // namespace korvane
