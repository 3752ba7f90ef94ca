#include "core/messages.h"

#include <algorithm>
#include <array>
#include <utility>

namespace korvane {
namespace {

using MessageText = std::pair<Msg, std::string_view>;
using Text = std::pair<int, std::string_view>;

// The numbered texts every subsystem shows, exactly as the user sees them.
constexpr auto kMessages = std::to_array<MessageText>({
        {Msg::kFileDump, "filedump"},
        {Msg::kProgramName, "Korvane"},
        {Msg::kNoticeCaption, "Korvane"},
        {Msg::kSelectDriveInMenu, "Select drive in the 'Mac Drive' menu"},
        {Msg::kWritesNotValidatedFor1024, "Write functions are not yet validated for media with 1024 bytes/sector."},
        {Msg::kNoDataFork, "File %s has no data fork."},
        {Msg::kNoResourceFork, "File %s has no resources fork."},
        {Msg::kRenameVolumeTitle, "Rename Macintosh volume"},
        {Msg::kDriveNotReady, "Drive not ready or no floppy disk."},
        {Msg::kErrorChangingDrive, "Error changing drive."},
        {Msg::kCopyOfFile, "Copy of \"%s\" to \"%s\""},
        {Msg::kCopyingDirectory, "Copying directory \"%s\" to \"%s\""},
        {Msg::kQuitting, "Quitting..."},
        {Msg::kNoSelectionToCopy, "No selected file or folder. Please select an item to copy toward the PC"},
        {Msg::kCopyingCatalog, "Copying catalog..."},
        {Msg::kCopyingExtents, "Copying extensions..."},
        {Msg::kUpdatingStructures, "Updating disk managing structures on disc..."},
        {Msg::kRenameTitle, "Rename file or folder"},
        {Msg::kDosFileNameTitle, "File name on the DOS volume"},
        {Msg::kErrorReadingData, "Error reading data. Restart the program."},
        {Msg::kWildcardOnOneSide, "Renaming with a wildcard on one side only?"},
        {Msg::kNotMacBinary, "Not a MacBinary file."},
        {Msg::kErrorInitializingWindows, "Error initializing menu/windows."},
        {Msg::kKilobytesFree, "KB free : "},
        {Msg::kKilobytesUsed, "KB used : "},
        {Msg::kCatalogNotExtended, "Error trying to extend catalog."},
        {Msg::kTheFile, "The file "},
        {Msg::kAlreadyExistsReplace, " already exists. OK to replace it?"},
        {Msg::kAlreadyExistsAborting, " already exists. Aborting the copy..."},
        {Msg::kDirectoryExists, "A directory exists already with this name."},
        {Msg::kIsMacintoshDrive, "It is the Macintosh drive !"},
        {Msg::kDeleteDirectoryTitle, "Delete directory"},
        {Msg::kDumpingFile, "Dumping file \""},
        {Msg::kDeleteSeveral, "Deleting several files/directories?"},
        {Msg::kAnalyzingVolume, "Analyzing the volume..."},
        {Msg::kDirectoryNotEmpty, "The directory is not empty."},
        {Msg::kAbortOnEsc, "You hit the Esc key. Do you really want to abort?"},
        {Msg::kNoTemporarySpace, "Not enough free space for temporary files."},
        {Msg::kNotMacintoshVolume, "This is not a Macintosh volume."},
        {Msg::kDosVolume, "This is a MS-DOS formatted volume."},
        {Msg::kInitializingVolume, "Volume initializing running..."},
        {Msg::kNotEnoughSpace, "Not enough space on the volume."},
        {Msg::kNoKnownDevice, "The program can't detect a kwown SCSI device."},
        {Msg::kNoVolumeHeader, "Unable to find a Macintosh volume header (MDB)."},
        {Msg::kWriteProtected, "Write-protected media."},
        {Msg::kBlockError, "Error in block of %d sectors beginning at %lu. Do you want to continue?"},
        {Msg::kErrorInitializingBus, "Error initializing the ASPI manager."},
        {Msg::kLockVolume, "Lock volume"},
        {Msg::kUnlockVolume, "Unlock volume"},
        {Msg::kSelectScsiDrive, "Please select a drive on the SCSI bus."},
        {Msg::kSelectPartition, "Please select a partition on the volume."},
        {Msg::kCreatingStructures, "Creating disk management structures..."},
        {Msg::kResettingFirstSectors, "Resetting first sectors of the disk..."},
        {Msg::kUnidentifiedMedium, "Unable to identify the magnetic medium."},
        {Msg::kDirectoryTag, "<DIR> "},
        {Msg::kDirectoryLabel, " Dir: "},
        {Msg::kVolumeLabel, " Vol: "},
        {Msg::kRootPath, "Root  "},
        {Msg::kKeysNotAvailable, "Key combinations not available."},
        {Msg::kUntitled, "Untitled"},
        {Msg::kNewFolder, "New folder"},
        {Msg::kNoFile, "[No file]"},
        {Msg::kCannotSwapForks, "Unable to swap data and resource forks."},
});

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
        {142, "Narrow (short) listing with name and data length"},
        {2101, "OK"},
        {2113, "Copy in current directory"},
});

template <typename Key, std::size_t N>
std::string_view look_up(const std::array<std::pair<Key, std::string_view>, N>& table, Key key) {
    auto found = std::find_if(table.begin(), table.end(), [key](const auto& entry) { return entry.first == key; });
    return found == table.end() ? std::string_view{} : found->second;
}

}  // namespace

std::string_view message(Msg id) { return look_up(kMessages, id); }

std::string_view string_resource(int number) { return look_up(kStrings, number); }

}  // namespace korvane
