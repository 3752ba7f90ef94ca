#include "app/menu_state.h"

#include <algorithm>
#include <array>

#include "app/check_command.h"
#include "app/context.h"
#include "app/device_commands.h"
#include "app/listing_view.h"
#include "app/undo_command.h"
#include "core/messages.h"

namespace korvane {
namespace {

constexpr MenuItemDef kSeparator{0, {}};

constexpr auto kDriveMenu = std::to_array<MenuItemDef>({
        {cmd::kSelectDrive, "&Select Drive\tAlt+D"},
        // Disk images stand in for SCSI cartridges: one can join the bus at any time.
        {cmd::kAttachImage, "Attach image..."},
        {cmd::kBruteForce, "Brute force search"},
        kSeparator,
        {cmd::kFormat, "&Format Macintosh volume"},
        {cmd::kRenameVolume, "Re&name Macintosh volume", true},
        {cmd::kVerify, "Verify volume"},
        {cmd::kCheckVolume, "Check volume", true},
        {cmd::kVolumeInfo, "Volume Information", true},
        kSeparator,
        {cmd::kLockVolume, "Lock volume"},
        {cmd::kResetDrive, "Reset drive"},
        kSeparator,
        {cmd::kExit, "E&xit"},
});

constexpr auto kFileMenu = std::to_array<MenuItemDef>({
        {cmd::kCopyToPc, "&Copy from Mac to PC"},
        {cmd::kCopyToMac, "Copy from PC to &Mac"},
        kSeparator,
        {cmd::kChangeDirectory, "C&hange Directory"},
        {cmd::kRoot, "&Return to Root"},
        {cmd::kParent, "Return to &Parent"},
        {cmd::kMakeDirectory, "&Make Directory\tAlt+N"},
        kSeparator,
        {cmd::kDelete, "&Delete\tDel"},
        {cmd::kRename, "R&ename"},
        {cmd::kDump, "Dump content"},
        {cmd::kEditAttributes, "Edit &Attributes\tAlt+A"},
        {cmd::kUndoLastChange, "Undo last change"},
        kSeparator,
        {cmd::kSelectAll, "Select All\tCtl+F10"},
        {cmd::kDeselectAll, "Deselect All\tF10"},
        {cmd::kInvertSelection, "&Invert Selection\tShift+F10"},
        kSeparator,
        {cmd::kNextScreen, "Next Screen\tPgDn", true},
        {cmd::kPrecedingScreen, "Preceding Screen\tPgUp", true},
        {cmd::kFirstScreen, "First Screen\tCtl+PgUp", true},
});

constexpr auto kOptionsMenu = std::to_array<MenuItemDef>({
        {cmd::kNormalCopy, "&Normal Copy", false, true},
        {cmd::kResourcesCopy, "&Resources Copy\tAlt+R"},
        {cmd::kBinaryCopy, "&Binary Copy\tAlt+B"},
        kSeparator,
        {cmd::kSwapForks, "Swap file forks"},
        kSeparator,
        {cmd::kDestination, "&Destination Directory"},
        {cmd::kUseCurrentDirectory, "&Use Current Directory"},
        kSeparator,
        {cmd::kFileNaming, "&File Naming"},
        {cmd::kOutputPorts, "&Output Ports"},
        kSeparator,
        {cmd::kShortListing, "Short Listing", false, true},
        {cmd::kExtendedListing, "&Extended Listing\tAlt+E"},
        {cmd::kSignatureListing, "Listing w/Signature\tAlt+S"},
        kSeparator,
        {cmd::kCommandLine, "&Command Line\tAlt+C"},
        {cmd::kMediumScanning, "&Medium Scanning"},
        {cmd::kLogFile, "&Log File"},
});

constexpr auto kHelpMenu = std::to_array<MenuItemDef>({
        {cmd::kHelpIndex, "Help Index"},
});

constexpr auto kMenuBar = std::to_array<MenuDef>({
        {"Mac &Drive", kDriveMenu},
        {"&File", kFileMenu},
        {"&Options", kOptionsMenu},
        {"&Help", kHelpMenu, true},
});

constexpr auto kPopupMenu = std::to_array<MenuItemDef>({
        {cmd::kCopyToPc, "&Copy from Mac to PC"},
        {cmd::kDelete, "&Delete\tDel"},
        {cmd::kRename, "R&ename"},
        {cmd::kDump, "Dump content"},
        {cmd::kEditAttributes, "Edit &Attributes\tAlt+A"},
});

constexpr auto kAccelerators = std::to_array<AcceleratorDef>({
        {"F1", cmd::kHelpIndex},
        {"F10", cmd::kDeselectAll},
        {"Ctrl+F10", cmd::kSelectAll},
        {"Shift+F10", cmd::kInvertSelection},
        {"PgDown", cmd::kNextScreen},
        {"PgUp", cmd::kPrecedingScreen},
        {"Ctrl+PgUp", cmd::kFirstScreen},
        {"Del", cmd::kDelete},
        {"Esc", cmd::kExit},
        {"Alt+A", cmd::kEditAttributes},
        {"Alt+B", cmd::kBinaryCopy},
        {"Alt+C", cmd::kCommandLine},
        {"Alt+D", cmd::kSelectDrive},
        {"Alt+E", cmd::kExtendedListing},
        {"Alt+N", cmd::kMakeDirectory},
        {"Alt+R", cmd::kResourcesCopy},
        {"Alt+S", cmd::kSignatureListing},
});

constexpr std::array<FunctionButtonDef, kFunctionButtonCount> kButtons{{
        {"Mac->PC", cmd::kCopyToPc, ButtonClass::A},
        {"PC->Mac", cmd::kCopyToMac, ButtonClass::A},
        {"Rename", cmd::kRename, ButtonClass::C},
        {"Delete", cmd::kDelete, ButtonClass::C},
        {"Parent", cmd::kParent, ButtonClass::B},
        {"Root", cmd::kRoot, ButtonClass::B},
}};

constexpr auto kSelectionCommands = std::to_array<int>(
        {cmd::kCopyToPc, cmd::kRename, cmd::kDelete, cmd::kChangeDirectory, cmd::kDump, cmd::kEditAttributes});
constexpr auto kVolumeCommands =
        std::to_array<int>({cmd::kRenameVolume, cmd::kVolumeInfo, cmd::kMediumScanning, cmd::kCheckVolume});

// The menu (by position) that holds a command, or -1 for none.
int menu_of(int command) {
    for (std::size_t m = 0; m < kMenuBar.size(); ++m) {
        for (const MenuItemDef& item : kMenuBar[m].items) {
            if (item.command == command) return static_cast<int>(m);
        }
    }
    return -1;
}

void enable_class(MenuState& menus, ButtonClass button_class, bool on) {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        if (kButtons[i].button_class == button_class) menus.buttons_enabled[i] = on;
    }
}

void enable_commands(MenuState& menus, std::span<const int> commands, bool on) {
    for (int command : commands) menus.set_enabled(command, on);
}

void enable_by_state(Context& ctx) {
    const AppState& state = ctx.state;
    MenuState& menus = ctx.menus;
    menus.set_checked(cmd::kResetDrive, state.reset_each_access);

    bool have_drive = state.target_id != kNoDrive;
    menus.file_menu_enabled = have_drive;
    enable_commands(menus, kVolumeCommands, have_drive);
    if (!have_drive) {
        // "Mac->PC" and "PC->Mac" keep their state: they answer with a notice.
        enable_class(menus, ButtonClass::B, false);
        enable_class(menus, ButtonClass::C, false);
        enable_commands(menus, kSelectionCommands, false);
        return;
    }
    enable_class(menus, ButtonClass::A, true);
    bool below_root = state.current_dir_id != 2;
    enable_class(menus, ButtonClass::B, below_root);
    menus.set_enabled(cmd::kRoot, below_root);
    menus.set_enabled(cmd::kParent, below_root);
    bool any_selected = count_selected(state) > 0;
    enable_class(menus, ButtonClass::C, any_selected);
    enable_commands(menus, kSelectionCommands, any_selected);
}

}  // namespace

std::span<const MenuDef> menu_bar_layout() { return kMenuBar; }
std::span<const MenuItemDef> popup_menu_layout() { return kPopupMenu; }
std::span<const AcceleratorDef> accelerator_table() { return kAccelerators; }
std::span<const FunctionButtonDef, kFunctionButtonCount> function_buttons() { return kButtons; }

MenuState::MenuState() {
    for (const MenuDef& menu : kMenuBar) {
        for (const MenuItemDef& item : menu.items) {
            if (item.command != 0) items[item.command] = {!item.grayed, item.checked};
        }
    }
}

bool MenuState::enabled(int command) const {
    auto found = items.find(command);
    return found != items.end() && found->second.enabled;
}

bool MenuState::checked(int command) const {
    auto found = items.find(command);
    return found != items.end() && found->second.checked;
}

void MenuState::set_enabled(int command, bool on) { items[command].enabled = on; }
void MenuState::set_checked(int command, bool on) { items[command].checked = on; }

void MenuState::check_only(std::initializer_list<int> group, int command) {
    for (int member : group) set_checked(member, member == command);
}

std::string_view lock_item_text(bool volume_locked) {
    return message(volume_locked ? Msg::kUnlockVolume : Msg::kLockVolume);
}

bool command_available(const MenuState& menus, int command) {
    int menu = menu_of(command);
    if (menu < 0) return true;  // a key without a menu item is always live
    if (menu == static_cast<int>(kFileMenuIndex) && !menus.file_menu_enabled) return false;
    return menus.enabled(command);
}

void update_menus(Context& ctx) { enable_by_state(ctx); }

}  // namespace korvane
