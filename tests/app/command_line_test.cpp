#include "app/command_line.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(lookup_keyword("ch"), CommandCode::Check);
    EXPECT_EQ(lookup_keyword("CHECK"), CommandCode::Check);
    EXPECT_EQ(lookup_keyword("CL"), CommandCode::Cls);
}

ParsedCommand parse(std::string_view line, std::uint16_t& flags) { return parse_command(line, flags); }

TEST(CommandParsing, CdForms) {
    std::uint16_t flags = kCopyDataFork;
    EXPECT_EQ(parse("cd..", flags).code, CommandCode::CdParent);
    EXPECT_EQ(parse("CD ..", flags).code, CommandCode::CdParent);
    EXPECT_EQ(parse("CD\\", flags).code, CommandCode::CdRoot);
    EXPECT_EQ(parse("  CD \\", flags).code, CommandCode::CdRoot);
    ParsedCommand letters = parse("CD Letters", flags);
    EXPECT_EQ(letters.code, CommandCode::Cd);
    EXPECT_EQ(letters.first, "Letters");
}

TEST(CommandParsing, ArgumentsQuotesAndExtras) {
    std::uint16_t flags = kCopyDataFork;
    ParsedCommand rename = parse("RENAME OLD NEW EXTRA", flags);
    EXPECT_EQ(rename.code, CommandCode::Rename);
    EXPECT_EQ(rename.first, "OLD");
    EXPECT_EQ(rename.second, "NEW");
    ParsedCommand quoted = parse("REN \"My File\" Other", flags);
    EXPECT_EQ(quoted.first, "My File");
    EXPECT_EQ(quoted.second, "Other");
    ParsedCommand open_quote = parse("DEL \"half open", flags);
    EXPECT_EQ(open_quote.first, "half open");
    ParsedCommand tab = parse("COPY a\tb", flags);
    EXPECT_EQ(tab.first, "a");
    EXPECT_EQ(tab.second, "b");
    EXPECT_EQ(parse(std::string("COPY ") + std::string(100, 'n'), flags).first.size(), kCommandArgumentMax);
    EXPECT_EQ(parse("  ", flags).code, CommandCode::None);
    EXPECT_EQ(parse("123", flags).keyword, "");
}

TEST(CommandParsing, SwitchesChangeTheOptionFlagsEvenForUnknownKeywords) {
    std::uint16_t flags = kCopyDataFork;
    parse("COPY /B", flags);
    EXPECT_EQ(flags & kCopyModeMask, kCopyMacBinary);
    parse("dir -a", flags);
    EXPECT_EQ(flags & (kListingExtended | kListingSignature), kListingExtended | kListingSignature);
    parse("dir /e", flags);
    EXPECT_EQ(flags & (kListingExtended | kListingSignature), kListingExtended);
    parse("DIR /S", flags);
    EXPECT_EQ(flags & (kListingExtended | kListingSignature), 0);
    parse("X /r /f /q", flags);
    EXPECT_EQ(flags & kCopyModeMask, kCopyResourceFork);
    EXPECT_TRUE(flags & kFilesOnly);
    parse("C -D", flags);
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

}  // namespace
}  // namespace korvane
