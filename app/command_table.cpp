#include "app/command_table.h"

#include <array>
#include <cctype>
#include <string>

#include "app/menu_state.h"
#include "app/undo_command.h"

namespace korvane {
namespace {

using namespace command_trait;
using C = CommandCode;

// The keyword rows keep the order in which an abbreviation finds its keyword.
// "CD .." and "CD \" are never typed as keywords: parsing reaches them
// through the "." and "\" after CD.
constexpr auto kRows = std::to_array<CommandRow>({
        {C::Copy, "COPY", cmd::kCopyToPc, kNeedsVolume},
        {C::Cd, "CD", cmd::kChangeDirectory, kNeedsVolume},
        {C::CdParent, "CD ..", cmd::kParent, kNeedsVolume},
        {C::CdRoot, "CD \\", cmd::kRoot, kNeedsVolume},
        {C::Dir, "DIR", 0, kNeedsVolume},
        {C::Help, "HELP", cmd::kHelpIndex, 0},
        {C::Help, "?", 0, 0},
        {C::Quit, "QUIT", cmd::kExit, 0},
        {C::Type, "TYPE", 0, kDoesNothing},
        {C::Cls, "CLS", 0, kDoesNothing},
        {C::Log, "LOG", cmd::kSelectDrive, 0},
        {C::Format, "FORMAT", cmd::kFormat, kWrites},
        {C::Rename, "RENAME", cmd::kRename, kWrites | kNeedsVolume},
        {C::Label, "LABEL", cmd::kRenameVolume, kWrites | kNeedsVolume},
        {C::Delete, "DELETE", cmd::kDelete, kWrites | kNeedsVolume},
        {C::Delete, "ERASE", 0, kWrites | kNeedsVolume},
        {C::MCopy, "MCOPY", cmd::kCopyToMac, kWrites | kNeedsVolume},
        {C::Md, "MD", cmd::kMakeDirectory, kWrites | kNeedsVolume},
        {C::Attrib, "ATTRIB", cmd::kEditAttributes, kWrites | kNeedsVolume},
        {C::Options, "OPTIONS", cmd::kFileNaming, 0},
        {C::Verify, "VERIFY", cmd::kVerify, 0},
        {C::Next, "NEXT", 0, kDoesNothing},
        {C::Lock, "LOCK", 0, 0},
        {C::Unlock, "UNLOCK", 0, 0},
        {C::Undo, "UNDO", cmd::kUndoLastChange, kWrites},  // after UNLOCK: "U" stays UNLOCK
        {C::Mode, "MODE", 0, 0},
        {C::Rep, "REP", 0, kDoesNothing},
        {C::Info, "INFO", cmd::kVolumeInfo, kNeedsVolume},
        {C::Swap, "SWAP", cmd::kSwapForks, kWrites | kNeedsVolume},
        {C::Check, "CHECK", cmd::kCheckVolume, kNeedsVolume},
        {C::Dump, "DUMP", cmd::kDump, kNeedsVolume},
        {C::Rescue, "RESCUE", cmd::kMediumScanning, 0},
        // Menu items that no keyword stands for.
        {C::None, "", cmd::kDeselectAll, 0},
        {C::None, "", cmd::kSelectAll, 0},
        {C::None, "", cmd::kInvertSelection, 0},
        {C::None, "", cmd::kNextScreen, 0},
        {C::None, "", cmd::kFirstScreen, 0},
        {C::None, "", cmd::kPrecedingScreen, 0},
        {C::None, "", cmd::kNormalCopy, 0},
        {C::None, "", cmd::kResourcesCopy, 0},
        {C::None, "", cmd::kBinaryCopy, 0},
        {C::None, "", cmd::kDestination, 0},
        {C::None, "", cmd::kUseCurrentDirectory, 0},
        {C::None, "", cmd::kOutputPorts, 0},
        {C::None, "", cmd::kExtendedListing, 0},
        {C::None, "", cmd::kSignatureListing, 0},
        {C::None, "", cmd::kShortListing, 0},
        {C::None, "", cmd::kCommandLine, 0},
        {C::None, "", cmd::kLogFile, 0},
        {C::None, "", cmd::kLockVolume, 0},
        {C::None, "", cmd::kResetDrive, 0},
        {C::None, "", cmd::kBruteForce, 0},
});

}  // namespace

std::span<const CommandRow> command_table() { return kRows; }

const CommandRow* row_for_keyword(std::string_view word) {
    if (word.empty()) return nullptr;
    std::string upper(word);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const CommandRow& row : kRows) {
        if (!row.keyword.empty() && row.keyword.starts_with(upper)) return &row;
    }
    return nullptr;
}

const CommandRow* row_for_code(CommandCode code) {
    if (code == CommandCode::None) return nullptr;
    for (const CommandRow& row : kRows) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

const CommandRow* row_for_menu_command(int command) {
    if (command == 0) return nullptr;
    for (const CommandRow& row : kRows) {
        if (row.menu_command == command) return &row;
    }
    return nullptr;
}

}  // namespace korvane
