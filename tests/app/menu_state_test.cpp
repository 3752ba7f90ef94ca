// The menu tree as the resource defines it, and update_menus bringing items
// and function buttons in line with the drive, the directory and the selection.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/check_command.h"
#include "app/context.h"
#include "app/device_commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

struct MenuStateTest : ::testing::Test {
    testing::ScriptedHost host;
    Context ctx{host};

    void load_entries(std::size_t count) {
        ctx.state.entries.assign(count, ListingEntry{});
        for (auto& entry : ctx.state.entries) entry.bytes[listing_field::kRecordType] = kRecordFile;
    }
    void select_drive(std::uint32_t dir_id) {
        ctx.state.host_adapter = 0;
        ctx.state.target_id = 3;
        ctx.state.current_dir_id = dir_id;
    }
    std::array<bool, kFunctionButtonCount> buttons() const { return ctx.menus.buttons_enabled; }
};

TEST_F(MenuStateTest, MenuBarHoldsEveryCommandOnceWithTheResourceStates) {
    std::set<int> seen;
    int separators = 0;
    for (const MenuSpec& menu : menu_bar_layout()) {
        for (const MenuItemSpec& item : menu.items) {
            if (item.command == 0) {
                ++separators;
                continue;
            }
            EXPECT_TRUE(seen.insert(item.command).second) << item.command;
        }
    }
    // 10 + 16 + 14 + 1 items: every number from 101 to 142 but 133 and 134, "Attach image..." and
    // "Check volume".
    EXPECT_EQ(seen.size(), 42u);
    EXPECT_TRUE(seen.count(cmd::kAttachImage));
    EXPECT_TRUE(seen.count(cmd::kCheckVolume));
    EXPECT_EQ(separators, 12);
    EXPECT_EQ(menu_bar_layout()[kFileMenuIndex].title, "&File");
    EXPECT_TRUE(menu_bar_layout().back().at_right_end);

    MenuState initial;
    for (int grayed : {cmd::kRenameVolume, cmd::kVolumeInfo, cmd::kCheckVolume, cmd::kNextScreen,
                       cmd::kPrecedingScreen, cmd::kFirstScreen})
        EXPECT_FALSE(initial.enabled(grayed)) << grayed;
    for (int checked : {cmd::kNormalCopy, cmd::kShortListing}) EXPECT_TRUE(initial.checked(checked)) << checked;
    EXPECT_FALSE(initial.checked(cmd::kLogFile));
    EXPECT_TRUE(initial.enabled(cmd::kDelete));
    EXPECT_TRUE(initial.file_menu_enabled);
    for (bool on : initial.buttons_enabled) EXPECT_FALSE(on);
}

TEST_F(MenuStateTest, ButtonsFollowTheTableOfClasses) {
    auto buttons = function_buttons();
    const char* texts[] = {"Mac->PC", "PC->Mac", "Rename", "Delete", "Parent", "Root"};
    const int commands[] = {106, 107, 113, 112, 110, 109};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].text, texts[i]);
        EXPECT_EQ(buttons[i].command, commands[i]);
    }
}

TEST_F(MenuStateTest, NoDriveGraysFileMenuButKeepsTheCopyButtons) {
    select_drive(2);
    update_menus(ctx);
    EXPECT_TRUE(buttons()[0]);
    EXPECT_TRUE(buttons()[1]);

    ctx.state.target_id = kNoDrive;  // discovery found no Macintosh volume
    update_menus(ctx);
    EXPECT_FALSE(ctx.menus.file_menu_enabled);
    EXPECT_TRUE(buttons()[0]) << "Mac->PC keeps its state and answers with a notice";
    EXPECT_TRUE(buttons()[1]);
    for (std::size_t i = 2; i < kFunctionButtonCount; ++i) EXPECT_FALSE(buttons()[i]) << i;
    for (int command : {106, 113, 112, 108, 114, 115, 103, 104, 130}) EXPECT_FALSE(ctx.menus.enabled(command)) << command;
    EXPECT_FALSE(command_available(ctx.menus, cmd::kDeselectAll)) << "keys of a grayed menu do nothing";
    EXPECT_TRUE(command_available(ctx.menus, cmd::kExit));
}

TEST_F(MenuStateTest, RootDisablesParentAndRootAndSelectionEnablesClassC) {
    select_drive(2);
    load_entries(3);
    update_menus(ctx);
    EXPECT_TRUE(ctx.menus.file_menu_enabled);
    EXPECT_TRUE(ctx.menus.enabled(cmd::kVolumeInfo));
    EXPECT_FALSE(ctx.menus.enabled(cmd::kRoot));
    EXPECT_FALSE(ctx.menus.enabled(cmd::kParent));
    EXPECT_FALSE(buttons()[4]);
    EXPECT_FALSE(buttons()[5]);
    EXPECT_FALSE(buttons()[2]);
    EXPECT_FALSE(ctx.menus.enabled(cmd::kCopyToPc));

    ctx.state.current_dir_id = 17;
    select_entry(ctx.state, 1);
    update_menus(ctx);
    for (bool on : buttons()) EXPECT_TRUE(on);
    for (int command : {106, 113, 112, 108, 114, 115, 109, 110}) EXPECT_TRUE(ctx.menus.enabled(command)) << command;
    EXPECT_TRUE(command_available(ctx.menus, cmd::kDelete));
}

TEST_F(MenuStateTest, ResetDriveCheckFollowsTheState) {
    ctx.state.reset_each_access = true;
    update_menus(ctx);
    EXPECT_TRUE(ctx.menus.checked(cmd::kResetDrive));
    ctx.state.reset_each_access = false;
    update_menus(ctx);
    EXPECT_FALSE(ctx.menus.checked(cmd::kResetDrive));
}

TEST_F(MenuStateTest, AcceleratorTableAndLockText) {
    std::map<std::string_view, int> keys;
    for (const AcceleratorSpec& key : accelerator_table()) keys[key.key] = key.command;
    EXPECT_EQ(keys.at("Esc"), cmd::kExit);
    EXPECT_EQ(keys.at("Ctrl+PgUp"), cmd::kFirstScreen);
    EXPECT_EQ(keys.at("Del"), cmd::kDelete);
    EXPECT_EQ(keys.at("Shift+F10"), cmd::kInvertSelection);
    EXPECT_EQ(accelerator_table().size(), 17u);
    EXPECT_EQ(lock_item_text(false), "Lock volume");
    EXPECT_EQ(lock_item_text(true), "Unlock volume");
}

}  // namespace
}  // namespace korvane
