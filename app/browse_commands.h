#pragma once
// The browsing commands of the main window, engine side: entering folders,
// going to the parent and the root, reloading the listing, and the
// brute-force search for a volume header.

#include <cstddef>
#include <string_view>

#include "app/context.h"

namespace korvane {

// Whether a drive is selected and its Macintosh volume is open.
bool volume_is_open(const Context& ctx);

// Reloads the current directory's listing, optionally filtered by a name
// pattern typed on the PC side; the view starts again at the first entry.
void reload_listing(Context& ctx, std::string_view pc_pattern = {});

// 108 Change Directory: enters the first selected folder; without one the
// status line asks for a selection.
void change_directory_command(Context& ctx);
// Double click: enters the folder at index of the listing (files: nothing).
void enter_folder_at(Context& ctx, std::size_t index);
// 109 Return to Root and 110 Return to Parent: only below the root.
void return_to_root_command(Context& ctx);
void return_to_parent_command(Context& ctx);

// 139 Brute force search: asks which drive, scans the first megabyte for a
// volume header and opens the volume found there.
void brute_force_command(Context& ctx);

}  // namespace korvane
