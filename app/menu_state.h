#pragma once
// The menu bar VELLMAR, the pop-up menu POPMENU, the accelerator table and the
// six function buttons, as data both front ends read; and MenuState, the
// enabled/grayed/checked state of every item and button. The engine changes
// the state (update_menus and the commands); the Qt window applies it to its
// widgets after every command.

#include <array>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace korvane {

struct Context;

// Command numbers of the menu items, buttons and accelerators.
namespace cmd {
inline constexpr int kSelectDrive = 101;
inline constexpr int kFormat = 102;
inline constexpr int kRenameVolume = 103;
inline constexpr int kVolumeInfo = 104;
inline constexpr int kExit = 105;
inline constexpr int kCopyToPc = 106;
inline constexpr int kCopyToMac = 107;
inline constexpr int kChangeDirectory = 108;
inline constexpr int kRoot = 109;
inline constexpr int kParent = 110;
inline constexpr int kMakeDirectory = 111;
inline constexpr int kDelete = 112;
inline constexpr int kRename = 113;
inline constexpr int kDump = 114;
inline constexpr int kEditAttributes = 115;
inline constexpr int kDeselectAll = 116;
inline constexpr int kSelectAll = 117;
inline constexpr int kInvertSelection = 118;
inline constexpr int kNextScreen = 119;
inline constexpr int kFirstScreen = 120;
inline constexpr int kNormalCopy = 121;
inline constexpr int kResourcesCopy = 122;
inline constexpr int kBinaryCopy = 123;
inline constexpr int kDestination = 124;
inline constexpr int kUseCurrentDirectory = 125;
inline constexpr int kFileNaming = 126;
inline constexpr int kOutputPorts = 127;
inline constexpr int kExtendedListing = 128;
inline constexpr int kCommandLine = 129;
inline constexpr int kMediumScanning = 130;
inline constexpr int kLogFile = 131;
inline constexpr int kHelpIndex = 132;
inline constexpr int kVerify = 135;
inline constexpr int kLockVolume = 136;
inline constexpr int kResetDrive = 137;
inline constexpr int kSignatureListing = 138;
inline constexpr int kBruteForce = 139;
inline constexpr int kSwapForks = 140;
// "Check volume" of the "Mac Drive" menu.
inline constexpr int kCheckVolume = 151;
inline constexpr int kPrecedingScreen = 141;
inline constexpr int kShortListing = 142;
}  // namespace cmd

// One menu item as the menu resource defines it; command 0 is a separator.
struct MenuItemDef {
    int command;
    std::string_view text;  // "&" marks the mnemonic, "\t" starts the key text
    bool grayed = false;
    bool checked = false;
};

struct MenuDef {
    std::string_view title;
    std::span<const MenuItemDef> items;
    bool at_right_end = false;  // "&Help" stands apart at the right
};

std::span<const MenuDef> menu_bar_layout();
// The first submenu of POPMENU, offered by a right click on an entry.
std::span<const MenuItemDef> popup_menu_layout();

// A key of the accelerator table, in the notation "Ctrl+F10", "Shift+F10",
// "Alt+A", "PgDown", "Del", "Esc".
struct AcceleratorDef {
    std::string_view key;
    int command;
};
std::span<const AcceleratorDef> accelerator_table();

// A: needs a drive; B: needs a directory other than the root; C: needs a selection.
enum class ButtonClass { A, B, C };

struct FunctionButtonDef {
    std::string_view text;
    int command;
    ButtonClass button_class;
};
inline constexpr std::size_t kFunctionButtonCount = 6;
std::span<const FunctionButtonDef, kFunctionButtonCount> function_buttons();

// The menu and the key of the "&File" menu, which update_menus grays as a whole.
inline constexpr std::size_t kFileMenuIndex = 1;

struct MenuItemState {
    bool enabled = true;
    bool checked = false;
};

struct MenuState {
    // Every item of the menu bar and of the pop-up menu, keyed by command, in
    // the states of the menu resource.
    MenuState();

    std::map<int, MenuItemState> items;
    bool file_menu_enabled = true;
    // The function buttons start disabled until the first update_menus.
    std::array<bool, kFunctionButtonCount> buttons_enabled{};

    bool enabled(int command) const;
    bool checked(int command) const;
    void set_enabled(int command, bool on);
    void set_checked(int command, bool on);
    // Checks exactly one of the given commands (a group of radio-like items).
    void check_only(std::initializer_list<int> group, int command);
};

// The text of the lock item: what choosing it will do next.
std::string_view lock_item_text(bool volume_locked);

// Whether an accelerator or a button may run the command now: its menu item
// (if it has one) and the item's menu must be enabled.
bool command_available(const MenuState& menus, int command);

// Brings the menu items and the function buttons in line with the state: the
// "Reset drive" check, the File menu, the volume and selection commands and
// the buttons of the three enabling classes; what is not built stays grayed.
void update_menus(Context& ctx);

}  // namespace korvane
