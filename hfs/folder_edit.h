#pragma once
// The catalog changes of the folder commands: making folders, deleting files
// and folders (recursively), renaming entries and the volume, and keeping
// each folder's entry count. They change the working copies, the header
// image and the bitmap only: the caller starts the modification and runs the
// write-back. A change that cannot complete is reported, every change of the
// command is dropped (the medium is untouched) and the run is marked failed.
//
// Names typed on the PC side (make_directory, set_volume_label) are in the
// Windows character set; all others in the Macintosh one. A name handed to
// delete_entries or rename_entries is a pattern ("ab*"); the *Named forms take
// the name of one entry and never treat '*' as a wildcard.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hfs/hfs_context.h"

namespace korvane {

enum class FolderEditEnd {
    Done,
    NotFound,   // no entry matched; nothing changed
    Cancelled,  // the user said Cancel; what was done before stays done
    Failed,     // reported; every change of the command dropped
};

// What a typed name with a character that has no Macintosh equivalent gets.
inline constexpr const char* kUntypeableName = "This name holds a character that Macintosh names cannot hold.";

// Why a name (Macintosh character set) cannot name an entry, or a volume
// when max_length is 27: empty, too long or holding ':'. Nothing when it can.
std::optional<std::string> name_problem(std::string_view mac_name, std::size_t max_length);

// Adds delta to the entry count of folder dir_id in its own record, and keeps
// the listing's room when it is the current folder. A folder without its
// thread or record is left alone.
bool adjust_valence(HfsContext& ctx, std::uint32_t dir_id, int delta);

// A new folder in the current one, named as typed: "New folder" for an empty
// name, the letters after the first in lower case. Refused when an entry of
// that name exists ("A directory exists already with this name.").
bool make_directory(HfsContext& ctx, std::string_view pc_name);
// The folder record, its thread and the counts; the name is not checked.
bool create_directory(HfsContext& ctx, std::string_view mac_name, std::uint32_t parentID);

// Deletes the entries of the current folder that match pattern. A folder
// that is not empty is deleted with all it holds once the user agrees to
// "The directory is not empty.".
FolderEditEnd delete_entries(HfsContext& ctx, std::string_view pattern);
FolderEditEnd delete_named_entry(HfsContext& ctx, std::string_view mac_name);

// Renames the entries of the current folder that match oldPattern. With '*'
// in newPattern each takes the text before that '*' followed by its own name
// from the position of the '*' in oldPattern on (from its end when
// oldPattern has none); without, only the first match is renamed. Refused,
// with nothing changed, when a new name is taken or cannot name an entry.
FolderEditEnd rename_entries(HfsContext& ctx, std::string_view oldPattern, std::string_view newPattern);
FolderEditEnd rename_named_entry(HfsContext& ctx, std::string_view mac_name, std::string_view newName);

// The volume's name in the header, the root folder's record and its thread.
bool set_volume_label(HfsContext& ctx, std::string_view pc_name);

}  // namespace korvane
