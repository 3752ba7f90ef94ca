#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/command_line_dialog.h"
#include "app/menu_state.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

TEST(CommandKeywords, AbbreviationsResolveToTheFirstMatchInTableOrder) {
    EXPECT_EQ(lookup_keyword("C"), CommandCode::Copy);
    EXPECT_EQ(lookup_keyword("d"), CommandCode::Dir);
    EXPECT_EQ(lookup_keyword("M"), CommandCode::MCopy);
    EXPECT_EQ(lookup_keyword("L"), CommandCode::Log);
    EXPECT_EQ(lookup_keyword("RE"), CommandCode::Rename);
    EXPECT_EQ(lookup_keyword("ren"), CommandCode::Rename);
    EXPECT_EQ(lookup_keyword("U"), CommandCode::Unlock);
    EXPECT_EQ(lookup_keyword("?"), CommandCode::Help);
    EXPECT_EQ(lookup_keyword("erase"), CommandCode::Delete);
    EXPECT_EQ(lookup_keyword("ch"), CommandCode::Check);
    EXPECT_EQ(lookup_keyword("X"), CommandCode::None);
    EXPECT_EQ(lookup_keyword("COPYING"), CommandCode::None);
    EXPECT_EQ(lookup_keyword("CHECK"), CommandCode::Check);
    EXPECT_EQ(lookup_keyword("CL"), CommandCode::Cls);
}

ParsedCommand parse(std::string_view line, std::uint16_t& flags) { return parse_command(line, flags); }

TEST(CommandParsing, CodesAndArguments) {
    struct Case {
        std::string_view line;
        CommandCode code;
        std::string first;
        std::string second;
    };
    const std::string long_name(100, 'n');
    const Case cases[] = {
            {"cd..", CommandCode::CdParent, "", ""},
            {"CD ..", CommandCode::CdParent, "", ""},
            {"CD\\", CommandCode::CdRoot, "", ""},
            {"  CD \\", CommandCode::CdRoot, "", ""},
            {"CD Letters", CommandCode::Cd, "Letters", ""},
            {"DIR ..", CommandCode::Dir, "", ""},  // "." and "\\" change only CD
            {"RENAME OLD NEW EXTRA", CommandCode::Rename, "OLD", "NEW"},
            {"REN \"My File\" Other", CommandCode::Rename, "My File", "Other"},
            {"DEL \"half open", CommandCode::Delete, "half open", ""},
            {"COPY a\tb", CommandCode::Copy, "a", "b"},
            {"COPY\t\ta", CommandCode::Copy, "a", ""},  // a tab never stands for an empty argument
            {"MODE R-", CommandCode::Mode, "R-", ""},
            {"lo", CommandCode::Log, "", ""},
            {"LOC", CommandCode::Lock, "", ""},
            {"u", CommandCode::Unlock, "", ""},
            {"inf", CommandCode::Info, "", ""},
            {"? x", CommandCode::Help, "x", ""},
            {"X /b name", CommandCode::None, "name", ""},
            {"123", CommandCode::None, "", ""},
            {"  ", CommandCode::None, "", ""},
    };
    for (const Case& c : cases) {
        std::uint16_t flags = kCopyDataFork;
        const ParsedCommand parsed = parse(c.line, flags);
        EXPECT_EQ(parsed.code, c.code) << c.line;
        EXPECT_EQ(parsed.first, c.first) << c.line;
        EXPECT_EQ(parsed.second, c.second) << c.line;
    }
    std::uint16_t flags = kCopyDataFork;
    EXPECT_EQ(parse("COPY " + long_name, flags).first.size(), kCommandArgumentMax);
    EXPECT_EQ(parse("123", flags).keyword, "");
}

TEST(CommandParsing, SwitchesChangeTheOptionFlagsEvenForUnknownKeywords) {
    std::uint16_t flags = kCopyDataFork;
    parse_command("COPY /B", flags);
    EXPECT_EQ(flags & kCopyModeMask, kCopyMacBinary);
    parse_command("dir -a", flags);
    EXPECT_EQ(flags & (kListingExtended | kListingSignature), kListingExtended | kListingSignature);
    parse_command("dir /e", flags);
    EXPECT_EQ(flags & (kListingExtended | kListingSignature), kListingExtended);
    parse_command("DIR /S", flags);
    EXPECT_EQ(flags & (kListingExtended | kListingSignature), 0);
    parse_command("X /r /f /q", flags);
    EXPECT_EQ(flags & kCopyModeMask, kCopyResourceFork);
    EXPECT_TRUE(flags & kFilesOnly);
    parse_command("C -D", flags);
    EXPECT_EQ(flags & kCopyModeMask, kCopyDataFork);
}

TEST(CommandExecution, ReportsUnknownMissingAndGuardedCommands) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    CommandHandlers handlers;
    std::vector<std::string> ran;
    handlers.add(CommandCode::Md, [&](Context&, const ParsedCommand& c) { ran.push_back("MD " + c.first); });
    handlers.add(CommandCode::Dir, [&](Context&, const ParsedCommand& c) { ran.push_back("DIR " + c.first); });
    bool writable = false;
    handlers.write_guard = [&](Context&) { return writable; };

    EXPECT_EQ(run_command_line(ctx, handlers, "X"), LineOutcome::UnknownKeyword);
    EXPECT_EQ(run_command_line(ctx, handlers, "INFO"), LineOutcome::NotAvailable);
    EXPECT_EQ(run_command_line(ctx, handlers, "TYPE x"), LineOutcome::Executed);
    EXPECT_EQ(run_command_line(ctx, handlers, "MD Letters"), LineOutcome::Dropped);
    writable = true;
    EXPECT_EQ(run_command_line(ctx, handlers, "MD Letters"), LineOutcome::Executed);
    EXPECT_EQ(run_command_line(ctx, handlers, "d *.txt"), LineOutcome::Executed);
    EXPECT_EQ(ran, (std::vector<std::string>{"MD Letters", "DIR *.txt"}));
}

// Every keyword whose row writes to the medium meets the guard before its
// handler, FORMAT and SWAP included; no other keyword does. A refusal is a
// failure of the run, and so is a command that needs a volume when none is open.
TEST(CommandExecution, TheWriteGuardRunsBeforeEveryKeywordThatWrites) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    CommandHandlers handlers;
    for (const CommandRow& row : command_table()) {
        if (row.code != CommandCode::None) handlers.add(row.code, [](Context&, const ParsedCommand&) {});
    }
    std::vector<std::string> guarded;
    handlers.write_guard = [&](Context&) { return false; };
    for (const CommandRow& row : command_table()) {
        if (row.code == CommandCode::None || row.keyword.find(' ') != std::string_view::npos) continue;
        ctx.outcome.failureReported = false;
        const LineOutcome outcome = run_command_line(ctx, handlers, std::string(row.keyword) + " x");
        if (outcome == LineOutcome::Dropped) guarded.push_back(std::string(row.keyword));
        EXPECT_EQ(ctx.outcome.failureReported, outcome == LineOutcome::Dropped || row.needs_volume()) << row.keyword;
    }
    EXPECT_EQ(guarded, (std::vector<std::string>{"FORMAT", "RENAME", "LABEL", "DELETE", "ERASE", "MCOPY", "MD",
                                                 "ATTRIB", "UNDO", "SWAP"}));
}

TEST(CommandExecution, ModeSwitchesTheDriveReset) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    run_command_line(ctx, handlers, "MODE R");
    EXPECT_TRUE(ctx.state.reset_each_access);
    run_command_line(ctx, handlers, "mode r-");
    EXPECT_FALSE(ctx.state.reset_each_access);
    run_command_line(ctx, handlers, "MODE R+");
    EXPECT_TRUE(ctx.state.reset_each_access);
    run_command_line(ctx, handlers, "MODE X-");
    EXPECT_TRUE(ctx.state.reset_each_access);
}

// Keywords that stand for menu items post them: they run after the line.
TEST(CommandExecution, KeywordsPostTheirMenuCommands) {
    korvane::testing::ScriptedHost host;
    Context ctx(host);
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    const std::pair<std::string_view, std::vector<int>> cases[] = {
            {"C", {cmd::kNormalCopy, cmd::kCopyToPc}},
            {"COPY /B", {cmd::kBinaryCopy, cmd::kCopyToPc}},
            {"CD", {cmd::kChangeDirectory}},
            {"LOG", {cmd::kSelectDrive}},
            {"LABEL", {cmd::kRenameVolume}},
            {"MCOPY", {cmd::kCopyToMac}},
            {"INFO", {cmd::kVolumeInfo}},
            {"?", {cmd::kHelpIndex}},
            {"QUIT", {cmd::kExit}},
            {"ATTRIB", {cmd::kEditAttributes}},
            {"CLS", {}},
    };
    for (const auto& [line, posted] : cases) {
        ctx.posted_commands.clear();
        run_command_line(ctx, handlers, line);
        EXPECT_EQ(ctx.posted_commands, posted) << line;
    }
    run_command_line(ctx, handlers, "QUIT");
    EXPECT_TRUE(run_posted_commands(ctx)) << "Exit closes the window";
    EXPECT_TRUE(ctx.posted_commands.empty());
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
}  // namespace korvane
