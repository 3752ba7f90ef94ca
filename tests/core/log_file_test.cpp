#include "core/log_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/notices.h"
#include "tests/support/fatal_text.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

using korvane::testing::read_all;
using korvane::testing::ScratchDir;
using korvane::testing::ScriptedHost;

std::tm local(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(LogOption, SkipsANonLetterAndKeepsTheNameWhenEmpty) {
    EXPECT_EQ(log_name_from_option(":name.log", "korvane.log"), "name.log");
    EXPECT_EQ(log_name_from_option("=name.log", "korvane.log"), "name.log");
    EXPECT_EQ(log_name_from_option("name.log", "korvane.log"), "name.log");
    EXPECT_EQ(log_name_from_option("", "korvane.log"), "korvane.log");
    EXPECT_EQ(log_name_from_option(":", "korvane.log"), "korvane.log");
    // Any length and any path, where an MS-DOS limit would cut it.
    const std::string long_path = "/var/tmp/a folder with a long name/transfers of the week.log";
    EXPECT_EQ(log_name_from_option(":" + long_path, "korvane.log"), long_path);
    // A slash right after the letter begins an absolute path: /L/var/log/x.log.
    EXPECT_EQ(log_name_from_option(long_path, "korvane.log"), long_path);
}

// Two runs with /L: each continues the file at its end with its own date
// lines (only the hour padded with a blank), and the bytes are exactly what
// each writer chose (LF or CR LF).
TEST(TransferLogFile, TwoRunsAppendWithTheirDateLinesByteForByte) {
    ScratchDir dir;
    const std::string path = dir / "korvane.log";
    for (int run = 0; run < 2; ++run) {
        ScriptedHost host;
        CoreContext ctx(host);
        ASSERT_TRUE(open_log_from_option(ctx, ":" + path));
        write_log_date(ctx, false, local(1996, 5, 23, 9 + run, 5, 7));
        ctx.log.write("Mac->PC\n");
        ctx.log.write("Read Me\tREADME.TXT\r\n");
        write_log_date(ctx, true, local(1996, 5, 23, 10 + run, 0, 0));
        ctx.log.close_file();
    }
    EXPECT_EQ(read_all(path),
              ">1996/5/23 -  9:05:07\nMac->PC\nRead Me\tREADME.TXT\r\n<1996/5/23 - 10:00:00\n"
              ">1996/5/23 - 10:05:07\nMac->PC\nRead Me\tREADME.TXT\r\n<1996/5/23 - 11:00:00\n");
}

TEST(TransferLogFile, AnUnansweredNoticeLeavesAHashLine) {
    ScratchDir dir;
    ScriptedHost host;
    CoreContext ctx(host);
    ASSERT_TRUE(open_log_from_option(ctx, ":" + (dir / "n.log")));
    show_notice(ctx, "answered in time");
    host.notices_time_out = true;
    show_notice(ctx, "Write-protected media.");
    ctx.log.close_file();
    EXPECT_EQ(read_all(dir / "n.log"), "#Write-protected media.\n");
}

TEST(TransferLogFile, NeverOpensAnythingButARegularFile) {
    ScratchDir dir;
    ScriptedHost host;
    CoreContext ctx(host);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    EXPECT_FALSE(open_log_from_option(ctx, ":" + (dir / "fifo")));
    EXPECT_FALSE(open_log_from_option(ctx, ":" + dir.path()));
    EXPECT_FALSE(open_log_from_option(ctx, ":/dev/null"));
    EXPECT_FALSE(ctx.log.is_open());
    EXPECT_TRUE(host.notices.empty()) << "a failed /L reports nothing";
}

TEST(LogFileDialog, CreateEmptiesOpenAppendsCloseCloses) {
    ScratchDir dir;
    const std::string path = dir / "dialog.log";
    std::ofstream(path, std::ios::binary) << "old\n";
    ScriptedHost host;
    CoreContext ctx(host);

    LogFileDialog dialog(ctx);
    EXPECT_EQ(dialog.file_field, "korvane.log");
    EXPECT_TRUE(dialog.create_enabled());
    EXPECT_FALSE(dialog.close_enabled());
    dialog.file_field = path;
    dialog.press_open();
    EXPECT_EQ(ctx.state.log_file_name, path);
    EXPECT_FALSE(dialog.create_enabled());
    EXPECT_FALSE(dialog.open_enabled());
    EXPECT_TRUE(dialog.close_enabled());
    ctx.log.write("more\n");
    dialog.press_close();
    EXPECT_FALSE(ctx.log.is_open());
    EXPECT_EQ(read_all(path), "old\nmore\n") << "Open appends and writes no date line";

    LogFileDialog again(ctx);
    EXPECT_EQ(again.file_field, path);
    again.press_create();
    ctx.log.write("fresh\n");
    again.press_close();
    EXPECT_EQ(read_all(path), "fresh\n") << "Create empties the file";
    EXPECT_EQ(again.help_key(), "dlg_FLOG");
}

TEST(LogFileDialog, RunsThroughTheHostAndReportsWhetherALogIsOpen) {
    ScratchDir dir;
    ScriptedHost host;
    CoreContext ctx(host);
    host.dialog_answers.push_back([&](Dialog& dialog) {
        auto& log_dialog = dynamic_cast<LogFileDialog&>(dialog);
        log_dialog.file_field = dir / "menu.log";
        log_dialog.press_create();
        return kDialogOk;
    });
    EXPECT_TRUE(run_log_file_dialog(ctx));
    EXPECT_EQ(host.dialogs, std::vector<std::string>{"DLG_FLOG"});
    EXPECT_TRUE(std::filesystem::exists(dir / "menu.log"));
    EXPECT_TRUE(run_log_file_dialog(ctx)) << "Cancel leaves the log as it was";
}

TEST(LogFileDialog, AFileThatCannotBeOpenedIsFatal) {
    ScratchDir dir;
    const std::string path = dir / "no-such-folder/x.log";
    korvane::testing::ScriptedHost host;
    CoreContext ctx(host);
    LogFileDialog dialog(ctx);
    dialog.file_field = path;
    EXPECT_EQ(korvane::testing::fatal_text_of([&] { dialog.press_create(); }), "Error opening file:" + path);
}

}  // namespace
}  // namespace korvane
