#pragma once
// The PC directory browser of the "Target Directory" dialog (and of the
// dialog that copies toward the Macintosh volume): it walks the PC's
// directories by making them current, lists subdirectories, files and the
// drives (the mounted file systems), and shows the path shortened to fit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/transfer_context.h"

namespace korvane {

inline constexpr std::size_t kShownPathMax = 30;

struct PcBrowser {
    std::string path;                      // the current directory, with a final '/'
    std::string shown_path;                // show_path(path)
    std::vector<std::string> directories;  // "[..]", "[name]", sorted
    std::vector<std::string> files;        // names matching the mask, sorted
    std::uint64_t files_size = 0;          // bytes in the listed files
    std::vector<std::string> drives;       // home, then mount points (drive_choices)
    std::string mask = "*";
};

// The displayed form of a path: whole up to 30 characters; otherwise the
// root and first directory, "...", and the rest from the directory after the
// second (or the third, when that is still too long); never more than 30.
std::string show_path(std::string_view path);

// The shell pattern that a mask stands for: "*.*" (and an empty mask) means
// every name, as on the PC; any other mask is matched as typed.
std::string files_pattern(std::string_view mask);

// Reads the current directory into the browser and fills its lists.
void open_browser(TransferContext& ctx, PcBrowser& browser);

// Lists the current directory's subdirectories, the files matching the
// mask (shell wildcards; "*.*" means every file) and the drives.
void fill_lists(PcBrowser& browser);

// One step of the browser: a drive (a mount point, starting with '/'), ".."
// or a subdirectory (its name, with or without brackets). The step happens
// only when the directory can be entered, so the path never disagrees with
// the current directory. 0, or -1 when nothing changed (a drive that cannot
// be entered shows "Error changing drive.").
int change_pc_dir(TransferContext& ctx, PcBrowser& browser, std::string_view entry);

// "[:\]": the root of the current drive.
int go_to_drive_root(TransferContext& ctx, PcBrowser& browser);

// "Create new": makes the directory in the current one and steps into it.
int create_pc_directory(TransferContext& ctx, PcBrowser& browser, std::string_view name);

}  // namespace korvane
