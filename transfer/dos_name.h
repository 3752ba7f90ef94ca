#pragma once
// Turning a Macintosh name into a PC file name: long names (naming mode 0),
// MS-DOS 8.3 names (mode 1) and renaming on the fly (mode 2), with the
// extension taken from the type table when the name has none, and the
// numbered extension when the name is taken. Names on the Linux side are
// UTF-8; the character tables apply before that conversion.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "transfer/pc_output.h"
#include "transfer/transfer_context.h"

namespace korvane {

// The text after the last '.', stripped of blanks, when it has 1 to 3
// characters; nothing for a final '.' or 4 and more characters.
std::optional<std::string> usable_extension(std::string_view name);

// The long name in the Windows character set: the name through mac_to_ansi
// without '/', '\', '|', ':', '<', '>', '*', '"' and '?', plus the type's
// extension when the name has no usable one.
std::string long_dos_name(std::string_view mac_name, std::string_view type_extension);

// The 8.3 name in the MS-DOS character set: at most 8 kept characters, '.',
// and the lower-cased extension (the usable one, or the type's).
std::string short_dos_name(std::string_view mac_name, std::string_view type_extension);

// The Macintosh name as shown and logged, in the Windows character set like
// every text the engine shows: through mac_to_ansi.
std::string shown_mac_name(std::string_view mac_name);

// A PC name (UTF-8, as the file system has it) as shown and logged.
std::string shown_pc_name(std::string_view pc_name);

// The PC name (UTF-8) of a folder: the whole shown name where long names are
// available, otherwise up to 8 letters and digits; "_" when nothing usable
// remains, as for files.
std::string pc_folder_name(const TransferContext& ctx, std::string_view mac_name);

// The PC name (UTF-8, before any clash test) for a file in naming mode 0 or
// 1: blanks stripped, long or short name, "_" when empty.
std::string pc_file_name(TransferContext& ctx, std::string_view mac_name, std::string_view type_creator);

// Naming modes 0 and 1: builds the name; when anything stands under it,
// takes the numbered extension of the running file count, raised until the
// name is free; creates the file in the current PC directory, writes the log
// line and the status text. Nothing is opened when no name is free (reported).
CopyOutput make_dos_name(TransferContext& ctx, std::string_view mac_name, std::span<const std::uint8_t> file_record);

// Naming mode 2: asks for the name in "File name on the DOS volume" (its
// texts are in the Windows character set, like every text shown). Nothing is
// opened when cancelled, or when the name exists (reported).
CopyOutput ask_dos_name(TransferContext& ctx, std::string_view mac_name);

// The log line (shown name, tab, PC name, CR LF) and the status text
// "Copy of "%s" to "%s"". shown is in the Windows character set, pc_name UTF-8.
void record_copy(TransferContext& ctx, std::string_view shown, std::string_view pc_name);

}  // namespace korvane
