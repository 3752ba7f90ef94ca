// update_menus bringing items and function buttons in line with the drive,
// the directory and the selection.

#include <gtest/gtest.h>

#include "app/context.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/undo_command.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

TEST(MenuStateTest, ItemsAndButtonsFollowTheDriveTheDirectoryAndTheSelection) {
    // Buttons: Mac->PC, PC->Mac, Rename, Delete, Parent, Root.
    struct Case {
        const char* what;
        std::uint8_t target;
        std::uint32_t dir_id;
        bool selection;
        bool file_menu;
        std::array<bool, kFunctionButtonCount> buttons;
        std::vector<int> enabled;
        std::vector<int> grayed;
    } cases[] = {
            {"root, nothing selected", 3, 2, false, true, {true, true, false, false, false, false},
             {cmd::kDeselectAll, cmd::kMakeDirectory, cmd::kRenameVolume, cmd::kUndoLastChange},
             {cmd::kRoot, cmd::kParent, cmd::kCopyToPc, cmd::kChangeDirectory, cmd::kDelete, cmd::kRename}},
            {"folder, one selected", 3, 17, true, true, {true, true, true, true, true, true},
             {cmd::kRoot, cmd::kParent, cmd::kCopyToPc, cmd::kChangeDirectory, cmd::kDelete, cmd::kRename}, {}},
            // Discovery found no Macintosh volume: "Mac->PC" and "PC->Mac" keep their state and answer with a notice.
            {"drive dropped", kNoDrive, 17, true, false, {true, true, false, false, false, false}, {},
             {cmd::kCopyToPc, cmd::kChangeDirectory, cmd::kDeselectAll, cmd::kRenameVolume, cmd::kUndoLastChange}},
    };
    testing::ScriptedHost host;
    Context ctx{host};
    ctx.state.host_adapter = 0;
    ctx.state.entries.assign(3, ListingEntry{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ctx.state.target_id = c.target;
        ctx.state.current_dir_id = c.dir_id;
        deselect_all(ctx.state);
        if (c.selection) select_entry(ctx.state, 1);
        update_menus(ctx);
        EXPECT_EQ(ctx.menus.file_menu_enabled, c.file_menu);
        EXPECT_EQ(ctx.menus.buttons_enabled, c.buttons);
        // A key works only when its item, and the item's menu, are enabled.
        for (int command : c.enabled) EXPECT_TRUE(command_available(ctx.menus, command)) << command;
        for (int command : c.grayed) EXPECT_FALSE(command_available(ctx.menus, command)) << command;
        EXPECT_TRUE(command_available(ctx.menus, cmd::kExit));
    }
}

}  // namespace
}  // namespace korvane
