#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/command_line_dialog.h"
#include "app/menu_state.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

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
}  // namespace korvane
