#pragma once
// The message table (numbered texts shown by every subsystem) and the string
// table (menu help lines 100-142, dialog strings 2101 and 2113).

#include <string_view>

namespace korvane {

// The numbered texts; the values are their numbers in the message table.
enum class Msg : int {
    kFileDump = 2,
    kProgramName = 3,  // the main window's title
    kNoticeCaption = 4,
    kSelectDriveInMenu = 5,
    kWritesNotValidatedFor1024 = 6,
    kNoDataFork = 8,
    kNoResourceFork = 9,
    kRenameVolumeTitle = 10,
    kDriveNotReady = 11,
    kErrorChangingDrive = 13,
    kCopyOfFile = 15,
    kCopyingDirectory = 16,
    kQuitting = 17,
    kNoSelectionToCopy = 18,
    kCopyingCatalog = 19,
    kCopyingExtents = 20,
    kUpdatingStructures = 21,
    kRenameTitle = 22,
    kDosFileNameTitle = 23,
    kErrorReadingData = 25,
    kWildcardOnOneSide = 26,
    kNotMacBinary = 27,
    kErrorInitializingWindows = 28,
    kKilobytesFree = 29,
    kKilobytesUsed = 30,
    kCatalogNotExtended = 33,
    kTheFile = 35,
    kAlreadyExistsReplace = 36,
    kAlreadyExistsAborting = 37,
    kDirectoryExists = 38,
    kIsMacintoshDrive = 39,
    kDeleteDirectoryTitle = 41,
    kDumpingFile = 42,
    kDeleteSeveral = 43,
    kAnalyzingVolume = 45,
    kDirectoryNotEmpty = 46,
    kAbortOnEsc = 48,
    kNoTemporarySpace = 49,
    kNotMacintoshVolume = 52,
    kDosVolume = 53,
    kInitializingVolume = 54,
    kNotEnoughSpace = 55,
    kNoKnownDevice = 56,
    kNoVolumeHeader = 57,
    kWriteProtected = 58,
    kBlockError = 60,
    kErrorInitializingBus = 61,
    kLockVolume = 62,
    kUnlockVolume = 63,
    kSelectScsiDrive = 64,
    kSelectPartition = 65,
    kCreatingStructures = 66,
    kResettingFirstSectors = 67,
    kUnidentifiedMedium = 68,
    kDirectoryTag = 70,
    kDirectoryLabel = 71,
    kVolumeLabel = 72,
    kRootPath = 73,
    kKeysNotAvailable = 75,
    kUntitled = 79,
    kNewFolder = 80,
    kNoFile = 81,
    kCannotSwapForks = 83,
};

// The string-table entries that are not menu help lines; the values are
// their numbers in the string table.
enum class StringId : int {
    kMenuPrompt = 100,  // the status line when no command is highlighted
    kOk = 2101,
    kCopyInCurrentDirectory = 2113,
};

// The text of a message; empty for a number the table does not hold.
std::string_view message(Msg id);

// The text of a string-table entry; empty when the entry does not exist
// (command 141, for instance, has no help line). Menu help lines are keyed
// by their command number.
std::string_view string_resource(int number);
inline std::string_view string_resource(StringId id) { return string_resource(static_cast<int>(id)); }

// Fixed texts outside the numbered table.
inline constexpr std::string_view kPleaseWait = "Please wait";
inline constexpr std::string_view kErrorOpeningFile = "Error opening file:";
inline constexpr std::string_view kZeroAllocation = "Allocation request for zero bytes. Aborting.";
inline constexpr std::string_view kNoMemory = "Not enough memory. Aborting.";

}  // namespace korvane
