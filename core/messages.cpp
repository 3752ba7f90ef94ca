#include "core/messages.h"

#include <algorithm>
#include <array>
#include <utility>

namespace korvane {
namespace {

using Text = std::pair<int, std::string_view>;

// The numbered texts every subsystem shows, exactly as the user sees them.
constexpr auto kMessages = std::to_array<Text>({
        {2, "filedump"},
        {3, "Korvane"},
        {4, "Korvane"},
        {5, "Select drive in the 'Mac Drive' menu"},
        {6, "Write functions are not yet validated for media with 1024 bytes/sector."},
        {8, "File %s has no data fork."},
        {9, "File %s has no resources fork."},
        {10, "Rename Macintosh volume"},
        {11, "Drive not ready or no floppy disk."},
        {13, "Error changing drive."},
        {15, "Copy of \"%s\" to \"%s\""},
        {16, "Copying directory \"%s\" to \"%s\""},
        {17, "Quitting..."},
        {18, "No selected file or folder. Please select an item to copy toward the PC"},
        {19, "Copying catalog..."},
        {20, "Copying extensions..."},
        {21, "Updating disk managing structures on disc..."},
        {22, "Rename file or folder"},
        {23, "File name on the DOS volume"},
        {25, "Error reading data. Restart the program."},
        {26, "Renaming with a wildcard on one side only?"},
        {27, "Not a MacBinary file."},
        {28, "Error initializing menu/windows."},
        {29, "KB free : "},
        {30, "KB used : "},
        {33, "Error trying to extend catalog."},
        {35, "The file "},
        {36, " already exists. OK to replace it?"},
        {37, " already exists. Aborting the copy..."},
        {38, "A directory exists already with this name."},
        {39, "It is the Macintosh drive !"},
        {41, "Delete directory"},
        {42, "Dumping file \""},
        {43, "Deleting several files/directories?"},
        {45, "Analyzing the volume..."},
        {46, "The directory is not empty."},
        {48, "You hit the Esc key. Do you really want to abort?"},
        {49, "Not enough free space for temporary files."},
        {52, "This is not a Macintosh volume."},
        {53, "This is a MS-DOS formatted volume."},
        {54, "Volume initializing running..."},
        {55, "Not enough space on the volume."},
        {56, "The program can't detect a kwown SCSI device."},
        {57, "Unable to find a Macintosh volume header (MDB)."},
        {58, "Write-protected media."},
        {60, "Error in block of %d sectors beginning at %lu. Do you want to continue?"},
        {61, "Error initializing the ASPI manager."},
        {62, "Lock volume"},
        {63, "Unlock volume"},
        {64, "Please select a drive on the SCSI bus."},
        {65, "Please select a partition on the volume."},
        {66, "Creating disk management structures..."},
        {67, "Resetting first sectors of the disk..."},
        {68, "Unable to identify the magnetic medium."},
        {70, "<DIR> "},
        {71, " Dir: "},
        {72, " Vol: "},
        {73, "Root  "},
        {75, "Key combinations not available."},
        {79, "Untitled"},
        {80, "New folder"},
        {81, "[No file]"},
        {83, "Unable to swap data and resource forks."},});

// The menu help lines of the status line, keyed by command number.
constexpr auto kStrings = std::to_array<Text>({
        {100, "Select a menu or press F1 for help..."},
        {101, "Select the drive holding the Macintosh volume."},
        {102, "Format a medium as a Macintosh volume."},
        {103, "Rename the Macintosh volume."},
        {104, "Display informations about the Macintosh volume."},
        {105, "Exit to Windows."},
        {106, "Copy files or directories from the Macintosh volume to the PC."},
        {107, "Copy files or directories from the PC to the Macintosh volume."},
        {108, "Change Directory (expand selected subdirectory)."},
        {109, "Return to root directory."},
        {110, "Return to parent directory."},
        {111, "Create a new directory (empty folder)."},
        {112, "Delete selected items (files or directories)."},
        {113, "Rename selected items (files or directories)."},
        {114, "Raw listing of file content."},
        {115, "Edit attributes (Name, Creator, Filetype, Date/Time)."},
        {116, "Cancel the entire selection."},
        {117, "Select all listed files."},
        {118, "Invert selection (selected items are deselected...)."},
        {119, "Show next directory screen."},
        {120, "Return to the top of the directory."},
        {121, "Copy the data fork only (default copy for Macintosh files)."},
        {122, "Copy the resources fork only (Macintosh files)."},
        {123, "MacBinary copy (Finder header + Data fork + Resources fork)."},
        {124, "Select a target directory."},
        {125, "Confirm current directory as target directory."},
        {126, "Naming mode of the Macintosh files copied on the PC."},
        {127, "Direct copy of Macintosh files to computer ports (LPT, COM)."},
        {128, "Wide listing with length of data and resources, date/time, etc."},
        {129, "Toggle between function buttons and command line."},
        {130, "Scan the whole (corrupted) Macintosh volume to rescue existing files."},
        {131, "Open/close a logfile with Macintosh and MS-DOS file names."},
        {132, "Activate the help system."},
        {135, "Verify integrity of the magnetic volume (caution, lengthy operation)."},
        {136, "Lock/unlock the Macintosh volume (enable/disable ejection of the medium)."},
        {137, "Systematic reset with each read/write operation (required for certain types of SyQuest drives)."},
        {138, "Wide listing with length of data and resources, plus signature (creator/type) string."},
        {139, "Brute force search of the volume header (for some reformatted media)."},
        {140, "Swap the resources fork and the data fork of the Macintosh file."},
        {142, "Narrow (short) listing with name and data length"},        {2101, "OK"},
        {2113, "Copy in current directory"},
});

template <std::size_t N>
std::string_view look_up(const std::array<Text, N>& table, int number) {
    auto found = std::find_if(table.begin(), table.end(), [number](const Text& t) { return t.first == number; });
    return found == table.end() ? std::string_view{} : found->second;
}

}  // namespace

std::string_view message(int number) { return look_up(kMessages, number); }

std::string_view string_resource(int number) { return look_up(kStrings, number); }

}  // namespace korvane
