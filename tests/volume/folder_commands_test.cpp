// The folder commands of the main window on a volume made by hfsutils: the
// selection is deleted and renamed entry by entry, by exact name, after the
// questions; the dialogs supply the names; every failure is counted.

#include "app/folder_commands.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "hfs/name_dialogs.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/support/session.h"
#include "volume/discovery.h"

namespace korvane::testing {
namespace {

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
