#pragma once
// The commands that make, delete and rename folders and files and rename the
// volume: menu items 103 Rename Macintosh volume, 111 Make Directory,
// 112 Delete and 113 Rename, and the MD, DELETE/ERASE, RENAME and LABEL
// commands of the command line. Each runs as one modification: its changes
// reach the medium through one write-back, or not at all.

#include "app/command_line.h"
#include "app/context.h"

namespace korvane {

void rename_volume_command(Context& ctx);
void make_directory_command(Context& ctx);
// The selected entries are deleted and renamed by their exact names: a '*'
// in a selected name is a character, never a wildcard.
void delete_selection_command(Context& ctx);
void rename_selection_command(Context& ctx);

void add_folder_command_handlers(CommandHandlers& handlers);

}  // namespace korvane
