#pragma once
// 115 Edit Attributes and 140 Swap file forks, and their keywords ATTRIB and
// SWAP. The menu commands act on the first selected entry by its exact name;
// the keywords on the first file of the current folder that the typed name
// (a pattern) matches.

#include <string>
#include <string_view>

#include "app/command_line.h"
#include "hfs/attribute_dialogs.h"

namespace korvane {

// Applies "field=value,..." to the dialog's fields: name, type, creator,
// created and modified (dates as "YYYY-MM-DD HH:MM"), all in the Windows
// character set. Returns why the text cannot be applied ("" when it was);
// the dialog is then left as it was.
std::string apply_attribute_settings(AttributesDialog& dialog, std::string_view settings);

void edit_attributes_command(Context& ctx);
void swap_forks_command(Context& ctx);

// ATTRIB: no name edits the selected file as 115 does; a name shows the
// attributes dialog of that file; a name and settings change the file
// without a dialog.
void run_attrib_command(Context& ctx, const ParsedCommand& command);
// SWAP name.
void run_swap_command(Context& ctx, const ParsedCommand& command);

}  // namespace korvane
