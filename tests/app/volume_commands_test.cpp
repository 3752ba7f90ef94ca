// The browsing and folder commands on volumes made by hfsutils: entering
// folders from the selection, parent and root, the log lines of each move,
// the keywords of the command line, the brute-force search command on a
// medium whose map was overwritten; the selection deleted and renamed entry
// by entry, by exact name, after the questions, the dialogs supplying the
// names, every failure counted.

#include "app/browse_commands.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/dir_command.h"
#include "app/folder_commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "device/same_drive_dialog.h"
#include "hfs/name_dialogs.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/support/session.h"
#include "tests/volume/medium_builder.h"
#include "volume/discovery.h"

namespace korvane::testing {
namespace {

std::string dir_line(const Session& s) { return listing_text_lines(s.ctx).at(3); }

class BrowseCommands : public ::testing::Test {
protected:
    void SetUp() override {
        volume.add_folder(":Outer");
        volume.add_folder(":Outer:Inner");
        volume.addFile(":Outer:Inner:Leaf", "leaf");
        volume.addFile(":Top file", "top");
        volume.unmount();
    }

    ScratchDir dir;
    HfsutilsVolume volume{dir, "browse.img", 800, "Browse"};
};

TEST_F(BrowseCommands, SelectedFolderIsEnteredAndParentAndRootLeadBack) {
    Session s(volume.image());
    const std::string logPath = dir / "browse.log";
    ASSERT_TRUE(s.ctx.log.open(logPath, LogOpenMode::Truncate));
    ASSERT_GT(analyze_volume(s.ctx), 0);

    // Nothing selected: the status line asks for a selection.
    change_directory_command(s.ctx);
    EXPECT_EQ(s.ctx.state.status_text, "No selected file or folder. Please select an item to copy toward the PC");
    EXPECT_EQ(s.ctx.state.current_dir_id, 2u);

    // A file and a folder selected: the folder is entered.
    s.select("Top file");
    s.select("Outer");
    change_directory_command(s.ctx);
    EXPECT_EQ(dir_line(s), " Dir: Outer");
    EXPECT_EQ(count_selected(s.ctx.state), 0u);

    enter_folder_at(s.ctx, static_cast<std::size_t>(s.index_of("Inner")));
    EXPECT_EQ(dir_line(s), " Dir: Inner");
    EXPECT_EQ(s.names(), std::vector<std::string>{"Leaf"});
    enter_folder_at(s.ctx, 0);  // a file: nothing happens
    EXPECT_EQ(dir_line(s), " Dir: Inner");

    return_to_parent_command(s.ctx);
    EXPECT_EQ(dir_line(s), " Dir: Outer");
    return_to_root_command(s.ctx);
    EXPECT_EQ(dir_line(s), " Dir: Root");
    EXPECT_EQ(s.ctx.state.current_parent_id, 1u);
    // At the root both do nothing, and log nothing.
    return_to_root_command(s.ctx);
    return_to_parent_command(s.ctx);
    EXPECT_EQ(dir_line(s), " Dir: Root");
    s.ctx.log.close_file();
    EXPECT_EQ(read_all(logPath), "*log Browse\n*cd Outer\r\n*cd Inner\r\n*cd..\n*cd\\\n");

    CommandHandlers handlers;
    add_browse_command_handlers(handlers);
    run_command_line(s.ctx, handlers, "cd outer");  // names ignore case
    EXPECT_EQ(dir_line(s), " Dir: Outer");
    run_command_line(s.ctx, handlers, "CD \"No such\"");
    EXPECT_EQ(dir_line(s), " Dir: Outer");
    run_command_line(s.ctx, handlers, "CD\\");
    EXPECT_EQ(dir_line(s), " Dir: Root");
    run_command_line(s.ctx, handlers, "DIR /E T*");
    EXPECT_TRUE(s.ctx.menus.checked(cmd::kExtendedListing));
    EXPECT_EQ(s.names(), std::vector<std::string>{"Top file"});
    run_command_line(s.ctx, handlers, "D /S");
    EXPECT_FALSE(s.ctx.menus.checked(cmd::kExtendedListing));
    EXPECT_EQ(s.ctx.state.entries.size(), 2u);
}

// "Cancel" in the question ends the command before any search; a medium
// without a header is said to be so; a header behind an overwritten map is
// found and its volume opened.
TEST_F(BrowseCommands, BruteForceCommandOpensTheVolumeItFinds) {
    const std::string blank = dir / "blank.img";
    make_blank_medium(blank, 2u << 20);
    for (int answer : {kSameDriveCancel, kUseSameDrive}) {
        Session s(blank);
        s.host.dialog_answers.push_back([answer](Dialog&) { return answer; });
        brute_force_command(s.ctx);
        EXPECT_EQ(s.host.notices,
                  answer == kSameDriveCancel
                          ? std::vector<std::string>{}
                          : std::vector<std::string>{"Unable to find a Macintosh volume header (MDB)."});
        EXPECT_EQ(s.ctx.state.volume_start, 0);
    }

    const std::string medium = dir / "lost.img";
    write_volume_at(medium, 4u << 20, 300, volume.image());
    Session s(medium);
    ASSERT_EQ(analyze_volume(s.ctx), 0);
    EXPECT_EQ(s.ctx.state.target_id, kNoDrive);
    // Discovery gave the drive up; select it again as the device dialog would.
    s.ctx.state.target_id = 0;
    s.host.dialog_answers.push_back([](Dialog&) { return kUseSameDrive; });
    brute_force_command(s.ctx);
    EXPECT_EQ(s.host.dialogs, (std::vector<std::string>{"DLG_SAME"}));
    EXPECT_GT(s.ctx.state.volume_start, 0);
    EXPECT_EQ(s.ctx.geometry.mdbSector, 302u);
    EXPECT_GE(s.index_of("Outer"), 0);
    EXPECT_GE(s.index_of("Top file"), 0);
}

// A session on the volume, opened.
struct FolderSession : Session {
    explicit FolderSession(const std::string& image) : Session(image) { EXPECT_GT(analyze_volume(ctx), 0); }
    // The answer of the next DLG_REN or DLG_NOUV: OK with that name.
    void answer_name(const std::string& name) {
        host.dialog_answers.push_back([name](Dialog& dialog) {
            if (auto* rename = dynamic_cast<RenameDialog*>(&dialog)) rename->new_name = name;
            if (auto* folder = dynamic_cast<NewDirectoryDialog*>(&dialog)) folder->folder_name = name;
            return kDialogOk;
        });
    }
};

class FolderCommands : public ::testing::Test {
protected:
    void SetUp() override {
        volume = std::make_unique<HfsutilsVolume>(dir, "folders.img", 800, "Folders");
        for (const char* name : {":a*", ":abc", ":ab"}) volume->addFile(name, "x");
        volume->add_folder(":Full");
        volume->addFile(":Full:inside", "y");
        volume->tool({"humount"});
    }
    void expect_sound() {
        EXPECT_EQ(check_problems(volume->image()), "");
        EXPECT_EQ(volume->tool({"hmount", volume->image()}), 0);
        EXPECT_EQ(volume->tool({"hls", "-R", ":"}), 0);
    }

    ScratchDir dir;
    std::unique_ptr<HfsutilsVolume> volume;
};

TEST_F(FolderCommands, DeleteTakesTheSelectedEntriesByNameAfterTheQuestions) {
    FolderSession s(volume->image());
    const std::string logPath = dir / "delete.log";
    ASSERT_TRUE(s.ctx.log.open(logPath, LogOpenMode::Truncate));
    s.select("a*");
    s.select("Full");
    s.host.answers = {false};
    dispatch_command(s.ctx, cmd::kDelete);
    EXPECT_EQ(s.host.questions, std::vector<std::string>{"Deleting several files/directories?"});
    EXPECT_EQ(s.names().size(), 4u) << "Cancel deletes nothing";

    s.select("a*");
    s.select("Full");
    s.host.answers = {true, true};
    dispatch_command(s.ctx, cmd::kDelete);
    EXPECT_EQ(s.names(), (std::vector<std::string>{"ab", "abc"})) << "a* is a name, not a pattern";
    EXPECT_FALSE(s.ctx.outcome.failureReported);
    s.ctx.log.close_file();
    EXPECT_NE(read_all(logPath).find("*del a*\r\n*rd Full\r\n*cd Full\r\n*del inside\r\n"), std::string::npos)
            << read_all(logPath);
    expect_sound();
}

TEST_F(FolderCommands, RenameMakeDirectoryAndLabelTakeTheirNamesFromTheDialogs) {
    FolderSession s(volume->image());
    const std::string logPath = dir / "rename.log";
    ASSERT_TRUE(s.ctx.log.open(logPath, LogOpenMode::Truncate));
    s.select("ab");
    s.answer_name("abc");
    dispatch_command(s.ctx, cmd::kRename);
    EXPECT_EQ(s.host.notices.back(), "An entry of that name exists already.");
    EXPECT_TRUE(s.ctx.outcome.failureReported);

    s.ctx.outcome.failureReported = false;
    s.select("ab");
    s.select("a*");
    s.answer_name("first");
    s.answer_name("second*");
    dispatch_command(s.ctx, cmd::kRename);
    s.answer_name("NEW FOLDER");
    dispatch_command(s.ctx, cmd::kMakeDirectory);
    s.answer_name("Renamed volume");
    dispatch_command(s.ctx, cmd::kRenameVolume);
    EXPECT_EQ(s.host.dialogs, (std::vector<std::string>{"DLG_REN", "DLG_REN", "DLG_REN", "DLG_NOUV", "DLG_REN"}));
    EXPECT_EQ(s.names(), (std::vector<std::string>{"abc", "first", "Full", "New folder", "second*"}));
    EXPECT_EQ(s.ctx.mdb.volume_name(), "Renamed volume");
    EXPECT_FALSE(s.ctx.outcome.failureReported);
    s.ctx.log.close_file();
    EXPECT_NE(read_all(logPath).find("*ren a*\tfirst\r\n*ren ab\tsecond*\r\n*md New folder\r\n"
                                     "*label Renamed volume\r\n"),
              std::string::npos)
            << read_all(logPath);
    expect_sound();
}

}  // namespace
}  // namespace korvane::testing
