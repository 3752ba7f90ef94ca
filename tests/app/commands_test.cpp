// Dispatch of the window's commands that live in the app layer: paging by
// 36 or 18 across the three listings, CHECK, entries taken by name, the
// write guard (clicks are mapped to entries through the window in
// gui_main_window_test).
//
// The browsing and folder commands on volumes made by hfsutils: entering
// folders from the selection, parent and root, the log lines of each move,
// the keywords of the command line, the brute-force search command on a
// medium whose map was overwritten; the selection deleted and renamed entry
// by entry, by exact name, after the questions, the dialogs supplying the
// names, every failure counted.
//
// The command language: keywords, parsing, switches, the write guard, the
// commands the keywords post, and the window's "Command line".

#include "app/browse_commands.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/attribute_commands.h"
#include "app/check_command.h"
#include "app/command_line.h"
#include "app/command_line_dialog.h"
#include "app/commands.h"
#include "app/dir_command.h"
#include "app/folder_commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/undo_command.h"
#include "device/same_drive_dialog.h"
#include "hfs/name_dialogs.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/session.h"
#include "tests/support/single_drive.h"
#include "tests/volume/medium_builder.h"
#include "transfer/copy_to_mac_dialog.h"
#include "volume/discovery.h"

namespace korvane::testing {
namespace {

struct CommandsTest : ::testing::Test {
    testing::ScratchDir dir;
    testing::ScriptedHost host;
    Context ctx{host};
    std::optional<testing::HfsutilsVolume> volume;

    void open_listing(std::size_t count) {
        ctx.state.host_adapter = 0;
        ctx.state.target_id = 2;
        ctx.state.volume_start = 1;
        ctx.state.current_dir_id = 2;
        ctx.state.entries.assign(count, ListingEntry{});
        for (auto& entry : ctx.state.entries) entry.set_record_type(ListingEntry::kFile);
        ctx.state.first_shown = 0;
        settle_screen(ctx);
    }
    // A volume made by hfsutils holding the files, open on the drive.
    void open_volume(const std::vector<std::pair<std::string, std::string>>& files) {
        volume.emplace(dir, "volume.img", 800);
        for (const auto& [path, contents] : files) volume->addFile(path, contents);
        volume->unmount();
        testing::select_single_image(ctx, volume->image());
        ASSERT_GT(analyze_volume(ctx), 0);
    }
    void run(int command) { EXPECT_EQ(dispatch_command(ctx, command), CommandOutcome::Done) << command; }
    std::pair<int, int> shown() const { return {ctx.state.first_shown, ctx.state.end_shown}; }
};

TEST_F(CommandsTest, ExtendedListingNeedsThreeScreensAndSwitchingBackKeepsThePlace) {
    open_listing(37);
    run(cmd::kExtendedListing);
    EXPECT_EQ(shown(), std::make_pair(0, 18));
    run(cmd::kExtendedListing);  // twice keeps the listing as it is
    EXPECT_EQ(ctx.state.option_flags & kListingExtended, kListingExtended);

    run(cmd::kNextScreen);
    run(cmd::kNextScreen);
    EXPECT_EQ(shown(), std::make_pair(36, 37));
    run(cmd::kShortListing);
    EXPECT_EQ(shown(), std::make_pair(36, 37));

    run(cmd::kFirstScreen);
    run(cmd::kSignatureListing);
    run(cmd::kNextScreen);
    EXPECT_EQ(shown(), std::make_pair(18, 36));
    run(cmd::kShortListing);
    EXPECT_EQ(shown(), std::make_pair(0, 36)) << "18 rounds down to the first short screen";
    EXPECT_EQ(ctx.state.option_flags & (kListingExtended | kListingSignature), 0);
}

// The clean report and the texts of the findings are read through CHECK
// in CopyVolumes.CheckFindsNothingThenNamesAWrongFileCount.
TEST_F(CommandsTest, CheckVolumeReportsInItsDialogAndRecordsDamage) {
    run(cmd::kCheckVolume);
    EXPECT_EQ(host.notices.back(), "Select drive in the 'Mac Drive' menu");
    EXPECT_TRUE(ctx.outcome.failureReported);

    open_volume({{":one", "1"}});
    store_be16(ctx.mdb.field(mdb::drFilCnt + 2), 3);
    std::vector<std::string> shown;
    host.dialog_answers.push_back([&shown](Dialog& dialog) {
        shown = dynamic_cast<CheckReportDialog&>(dialog).lines;
        return kDialogOk;
    });
    run(cmd::kCheckVolume);
    EXPECT_EQ(shown, (std::vector<std::string>{
                             "The volume header counts 3 files on the volume (drFilCnt), the catalog holds 1.",
                             "1 problem found."}));
    EXPECT_TRUE(ctx.outcome.damageFound);
    EXPECT_EQ(host.dialogs, std::vector<std::string>{"DLG_CHECK"});
}

// Edit Attributes and Swap file forks take the selected entry by its name:
// a '*' in it is a character, not a pattern that "B" would match first.
TEST_F(CommandsTest, SelectedEntriesAreNamesNotPatterns) {
    open_volume({{":B", "plain B"}, {":B*", "starred"}});
    ASSERT_EQ(ctx.state.entries.size(), 2u);
    ASSERT_EQ(entry_name(ctx.state, 1), "B*");
    select_entry(ctx.state, 1);
    std::string shown;
    host.dialog_answers.push_back([&shown](Dialog& dialog) {
        auto& attributes = dynamic_cast<AttributesDialog&>(dialog);
        shown = attributes.file_name;
        attributes.file_type = "STAR";
        return kDialogOk;
    });
    run(cmd::kEditAttributes);
    EXPECT_EQ(shown, "B*");
    select_entry(ctx.state, 1);
    run(cmd::kSwapForks);
    EXPECT_FALSE(ctx.outcome.failureReported);

    volume->mount();
    const auto listed = volume->lines({"hls", "-l", ":"});
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_NE(listed[0].find("/UNIX         0         7"), std::string::npos) << listed[0];
    EXPECT_NE(listed[1].find("STAR/UNIX         7         0"), std::string::npos) << listed[1];
    EXPECT_EQ(volume->tool({"hcopy", "-r", ":B", dir / "b.out"}), 0);
    EXPECT_EQ(testing::read_all(dir / "b.out"), "plain B");
    EXPECT_EQ(testing::check_problems(volume->image()), "");
}

// "PC->Mac" (107) and MCOPY without a name: the log line, the type
// database, "Copy PC -> Mac", and a new listing only after a copy.
TEST_F(CommandsTest, CopyToMacRunsItsDialogAndReloadsOnlyAfterACopy) {
    open_volume({{":one", "1"}});
    ASSERT_TRUE(ctx.log.open(dir / "transfer.log", LogOpenMode::Truncate));
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    struct Case {
        const char* what;
        int answer;
        std::size_t entries_after;
    } cases[] = {{"closed without a copy", kDialogCancel, 0}, {"after a copy", kDialogOk, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool typed : {false, true}) {
            ctx.state.entries.clear();
            host.dialog_answers.push_back([&c](Dialog& dialog) {
                EXPECT_NE(dynamic_cast<CopyToMacDialog*>(&dialog), nullptr);
                return c.answer;
            });
            if (typed) {
                EXPECT_EQ(run_command_line(ctx, handlers, "MCOPY"), LineOutcome::Executed);
                run_posted_commands(ctx);
            } else {
                run(cmd::kCopyToMac);
            }
            EXPECT_EQ(host.dialogs.back(), "DLG_MCOP");
            EXPECT_EQ(ctx.state.entries.size(), c.entries_after);
        }
    }
    EXPECT_TRUE(ctx.type_database_loaded);
    ctx.log.close_file();
    EXPECT_EQ(testing::read_all(dir / "transfer.log"), "PC->Mac\nPC->Mac\nPC->Mac\nPC->Mac\n");
    EXPECT_FALSE(ctx.outcome.failureReported);
}

// The menus guard the same commands as the command language: those that
// write to the medium, Edit Attributes and Swap file forks included.
TEST_F(CommandsTest, TheMenusGuardEveryCommandThatWrites) {
    ctx.device.sectorSize = 1024;
    std::vector<int> refused;
    for (int command = cmd::kSelectDrive; command <= cmd::kShortListing; ++command) {
        if (!is_write_guarded(command)) continue;
        host.messages.clear();
        host.notices.clear();
        ctx.outcome.failureReported = false;
        EXPECT_EQ(dispatch_command(ctx, command), CommandOutcome::Done);
        EXPECT_TRUE(host.showed("Write functions are not yet validated for media with 1024 bytes/sector."));
        EXPECT_TRUE(ctx.outcome.failureReported);
        refused.push_back(command);
    }
    EXPECT_EQ(refused, (std::vector<int>{cmd::kFormat, cmd::kRenameVolume, cmd::kCopyToMac, cmd::kMakeDirectory,
                                         cmd::kDelete, cmd::kRename, cmd::kEditAttributes, cmd::kSwapForks}));
    EXPECT_TRUE(is_write_guarded(cmd::kUndoLastChange));
}

// An item, key or button that is offered runs its command: a command this
// build cannot do is grayed rather than left to beep.
TEST_F(CommandsTest, EveryOfferedItemAndButtonDoesSomething) {
    open_listing(3);
    testing::select_single_image(ctx, testing::zero_file(dir / "blank.img", 64 * 512));
    for (bool selection : {false, true}) {
        std::vector<int> offered;
        auto offer = [&] {
            deselect_all(ctx.state);
            if (selection) select_entry(ctx.state, 1);
            update_menus(ctx);
        };
        offer();
        for (const MenuDef& menu : menu_bar_layout())
            for (const MenuItemDef& item : menu.items)
                if (item.command != 0 && item.command != cmd::kExit && command_available(ctx.menus, item.command))
                    offered.push_back(item.command);
        for (std::size_t i = 0; i < kFunctionButtonCount; ++i)
            if (ctx.menus.buttons_enabled[i]) offered.push_back(function_buttons()[i].command);
        for (int command : offered) {
            offer();
            EXPECT_NE(dispatch_command(ctx, command), CommandOutcome::NotAvailable) << command;
        }
        EXPECT_EQ(host.beeps, 0);
    }
}

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

using enum CommandCode;

TEST(CommandKeywords, AbbreviationsResolveToTheFirstMatchInTableOrder) {
    const std::pair<std::string_view, CommandCode> cases[] = {
            {"C", Copy},      {"d", Dir},  {"M", MCopy},      {"L", Log},    {"RE", Rename}, {"ren", Rename},
            {"U", Unlock},    {"?", Help}, {"erase", Delete}, {"ch", Check}, {"X", None},    {"COPYING", None},
            {"CHECK", Check}, {"CL", Cls}, {"lo", Log},       {"LOC", Lock}, {"inf", Info}};
    for (const auto& [word, code] : cases) EXPECT_EQ(lookup_keyword(word), code) << word;
}

TEST(CommandParsing, CodesAndArguments) {
    struct Case {
        std::string_view line;
        CommandCode code;
        std::string first;
        std::string second;
    };
    // "." and "\\" change only CD; a tab never stands for an empty argument.
    const Case cases[] = {{"cd..", CdParent, "", ""},
                          {"CD ..", CdParent, "", ""},
                          {"CD\\", CdRoot, "", ""},
                          {"  CD \\", CdRoot, "", ""},
                          {"CD Letters", Cd, "Letters", ""},
                          {"DIR ..", Dir, "", ""},
                          {"RENAME OLD NEW EXTRA", Rename, "OLD", "NEW"},
                          {"REN \"My File\" Other", Rename, "My File", "Other"},
                          {"DEL \"half open", Delete, "half open", ""},
                          {"COPY a\tb", Copy, "a", "b"},
                          {"COPY\t\ta", Copy, "a", ""},
                          {"MODE R-", Mode, "R-", ""},
                          {"? x", Help, "x", ""},
                          {"X /b name", None, "name", ""},
                          {"123", None, "", ""},
                          {"  ", None, "", ""}};
    std::uint16_t flags = kCopyDataFork;
    for (const Case& c : cases) {
        const ParsedCommand parsed = parse_command(c.line, flags);
        EXPECT_EQ(parsed.code, c.code) << c.line;
        EXPECT_EQ(parsed.first, c.first) << c.line;
        EXPECT_EQ(parsed.second, c.second) << c.line;
    }
    EXPECT_EQ(parse_command("COPY " + std::string(100, 'n'), flags).first.size(), kCommandArgumentMax);
    EXPECT_EQ(parse_command("123", flags).keyword, "");
}

TEST(CommandParsing, SwitchesChangeTheOptionFlagsEvenForUnknownKeywords) {
    const std::uint16_t listing = kListingExtended | kListingSignature;
    const struct {
        std::string_view line;
        std::uint16_t mask, flags;
    } steps[] = {{"COPY /B", kCopyModeMask, kCopyMacBinary},
                 {"dir -a", listing, listing},
                 {"dir /e", listing, kListingExtended},
                 {"DIR /S", listing, 0},
                 {"X /r /f /q", kCopyModeMask | kFilesOnly, kCopyResourceFork | kFilesOnly},
                 {"C -D", kCopyModeMask, kCopyDataFork}};
    std::uint16_t flags = kCopyDataFork;
    for (const auto& step : steps) {
        parse_command(step.line, flags);
        EXPECT_EQ(flags & step.mask, step.flags) << step.line;
    }
}

// Every keyword whose row writes to the medium meets the guard before its
// handler, FORMAT and SWAP included; no other keyword does. A refusal is a
// failure of the run, and so is a command that needs a volume when none is open.
TEST(CommandExecution, TheWriteGuardRunsBeforeEveryKeywordThatWrites) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    CommandHandlers handlers;
    for (const CommandRow& row : command_table()) {
        if (row.code != None) handlers.add(row.code, [](Context&, const ParsedCommand&) {});
    }
    std::vector<std::string> guarded;
    handlers.write_guard = [&](Context&) { return false; };
    for (const CommandRow& row : command_table()) {
        if (row.code == None || row.keyword.find(' ') != std::string_view::npos) continue;
        ctx.outcome.failureReported = false;
        const LineOutcome outcome = run_command_line(ctx, handlers, std::string(row.keyword) + " x");
        if (outcome == LineOutcome::Dropped) guarded.push_back(std::string(row.keyword));
        EXPECT_EQ(ctx.outcome.failureReported, outcome == LineOutcome::Dropped || row.needs_volume()) << row.keyword;
    }
    EXPECT_EQ(guarded, (std::vector<std::string>{"FORMAT", "RENAME", "LABEL", "DELETE", "ERASE", "MCOPY", "MD",
                                                 "ATTRIB", "UNDO", "SWAP"}));
}

// Keywords that stand for menu items post them: they run after the line.
// MODE switches the drive reset at once.
TEST(CommandExecution, KeywordsPostTheirMenuCommandsAndModeSwitchesTheReset) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    const std::pair<std::string_view, std::vector<int>> cases[] = {{"C", {cmd::kNormalCopy, cmd::kCopyToPc}},
                                                                   {"COPY /B", {cmd::kBinaryCopy, cmd::kCopyToPc}},
                                                                   {"CD", {cmd::kChangeDirectory}},
                                                                   {"LOG", {cmd::kSelectDrive}},
                                                                   {"LABEL", {cmd::kRenameVolume}},
                                                                   {"MCOPY", {cmd::kCopyToMac}},
                                                                   {"INFO", {cmd::kVolumeInfo}},
                                                                   {"?", {cmd::kHelpIndex}},
                                                                   {"QUIT", {cmd::kExit}},
                                                                   {"ATTRIB", {cmd::kEditAttributes}},
                                                                   {"CLS", {}}};
    for (const auto& [line, posted] : cases) {
        ctx.posted_commands.clear();
        run_command_line(ctx, handlers, line);
        EXPECT_EQ(ctx.posted_commands, posted) << line;
    }
    run_command_line(ctx, handlers, "QUIT");
    EXPECT_TRUE(run_posted_commands(ctx)) << "Exit closes the window";
    EXPECT_TRUE(ctx.posted_commands.empty());

    for (const auto& [line, reset] :
         {std::pair{"MODE R", true}, {"mode r-", false}, {"MODE R+", true}, {"MODE X-", true}}) {
        run_command_line(ctx, handlers, line);
        EXPECT_EQ(ctx.state.reset_each_access, reset) << line;
    }
}

// The window's "Command line": Cancel runs nothing; Execute runs the line,
// clears the status texts, and then runs what the line posted. A word that is
// no keyword does nothing but its switches.
TEST(CommandLineDialog, RunsTheLineThenWhatItPosted) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    ctx.state.status_text = "before";
    auto answer = [&host](std::string line, int end) {
        host.dialog_answers.push_back([line, end](Dialog& dialog) {
            auto& command = dynamic_cast<CommandLineDialog&>(dialog);
            EXPECT_EQ(command.line, "") << "the field opens empty";
            command.line = line;
            return end;
        });
    };
    answer("MODE R", kDialogCancel);
    EXPECT_EQ(command_line_command(ctx), CommandOutcome::Done);
    EXPECT_FALSE(ctx.state.reset_each_access);
    EXPECT_EQ(ctx.state.status_text, "before");

    answer("MODE R", kDialogOk);
    command_line_command(ctx);
    EXPECT_TRUE(ctx.state.reset_each_access);
    EXPECT_TRUE(ctx.menus.checked(cmd::kResetDrive)) << "the menus follow at once";
    EXPECT_EQ(ctx.state.status_text, "");

    answer("FROB /B /E", kDialogOk);
    command_line_command(ctx);
    EXPECT_EQ(ctx.state.option_flags & kCopyModeMask, kCopyMacBinary);
    EXPECT_EQ(ctx.state.option_flags & kListingExtended, kListingExtended);

    answer("? ", kDialogOk);
    answer("QUIT", kDialogOk);
    command_line_command(ctx);
    EXPECT_EQ(host.help_keys, (std::vector<std::string>{""})) << "the help index";
    EXPECT_EQ(command_line_command(ctx), CommandOutcome::CloseWindow);
    EXPECT_EQ(host.dialogs, std::vector<std::string>(5, "DLG_COMM"));
}

}  // namespace
}  // namespace korvane::testing
