// The transfer log, the status line, fatal notices, and the working files a
// fatal error or the end of a run removes.
#include "core/log_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/notices.h"
#include "core/working_files.h"
#include "tests/support/fatal_text.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"

namespace korvane::testing {
namespace {

struct LogWorld {
    ScratchDir dir;
    ScriptedHost host;
    CoreContext ctx{host};
};

// A local time written "YYYY-MM-DD HH:MM:SS".
std::tm local(const char* text) {
    std::tm time{};
    strptime(text, "%Y-%m-%d %H:%M:%S", &time);
    return time;
}

TEST(LogOption, SkipsANonLetterAndKeepsTheNameWhenEmpty) {
    // Any length and any path, where an MS-DOS limit would cut it; a slash
    // right after the letter begins an absolute path (/L/var/...).
    const std::string long_path = "/var/tmp/a folder with a long name/transfers of the week.log";
    const std::pair<std::string, std::string> cases[] = {
            {":name.log", "name.log"}, {"=name.log", "name.log"},    {"name.log", "name.log"}, {"", "korvane.log"},
            {":", "korvane.log"},      {":" + long_path, long_path}, {long_path, long_path},
    };
    for (const auto& [option, name] : cases) EXPECT_EQ(log_name_from_option(option, "korvane.log"), name) << option;
}

// Two runs with /L: each continues the file at its end with its own date
// lines (only the hour padded with a blank), and the bytes are exactly what
// each writer chose (LF or CR LF).
TEST(TransferLogFile, TwoRunsAppendWithTheirDateLinesByteForByte) {
    ScratchDir dir;
    const std::string path = dir / "korvane.log";
    for (const auto& [opening, closing] :
         {std::pair{"1996-05-23 09:05:07", "1996-05-23 10:00:00"}, {"1996-05-23 10:05:07", "1996-05-23 11:00:00"}}) {
        ScriptedHost host;
        CoreContext ctx(host);
        ASSERT_TRUE(open_log_from_option(ctx, ":" + path));
        write_log_date(ctx, false, local(opening));
        ctx.log.write("Mac->PC\n");
        ctx.log.write("Read Me\tREADME.TXT\r\n");
        write_log_date(ctx, true, local(closing));
        ctx.log.close_file();
    }
    EXPECT_EQ(read_all(path),
              ">1996/5/23 -  9:05:07\nMac->PC\nRead Me\tREADME.TXT\r\n<1996/5/23 - 10:00:00\n"
              ">1996/5/23 - 10:05:07\nMac->PC\nRead Me\tREADME.TXT\r\n<1996/5/23 - 11:00:00\n");
}

// /L opens nothing but a regular file, and a failed /L reports nothing.
TEST(TransferLogFile, OnlyRegularFilesOpen) {
    LogWorld w;
    ASSERT_EQ(mkfifo((w.dir / "fifo").c_str(), 0644), 0);
    for (const std::string& path : {w.dir / "fifo", w.dir.path(), std::string("/dev/null")})
        EXPECT_FALSE(open_log_from_option(w.ctx, ":" + path)) << path;
    EXPECT_FALSE(w.ctx.log.is_open());
    EXPECT_TRUE(w.host.notices.empty());
}

TEST(LogFileDialog, CreateEmptiesOpenAppendsAndAFileThatCannotBeOpenedIsFatal) {
    LogWorld w;
    const std::string path = w.dir / "dialog.log";
    std::ofstream(path, std::ios::binary) << "old\n";
    LogFileDialog dialog(w.ctx);
    EXPECT_EQ(dialog.file_field, "korvane.log");
    dialog.file_field = path;
    dialog.press_open();
    EXPECT_EQ(w.ctx.state.log_file_name, path);
    EXPECT_FALSE(dialog.create_enabled());
    w.ctx.log.write("more\n");
    dialog.press_close();
    EXPECT_FALSE(w.ctx.log.is_open());
    EXPECT_EQ(read_all(path), "old\nmore\n") << "Open appends and writes no date line";

    LogFileDialog again(w.ctx);
    EXPECT_EQ(again.file_field, path);
    again.press_create();
    w.ctx.log.write("fresh\n");
    again.press_close();
    EXPECT_EQ(read_all(path), "fresh\n") << "Create empties the file";

    again.file_field = w.dir / "no-such-folder/x.log";
    EXPECT_EQ(fatal_text_of([&] { again.press_create(); }), "Error opening file:" + again.file_field);
}

TEST(StatusLine, EmptyLeftKeepsTextNullRightClears) {
    ScriptedHost host;
    CoreContext ctx(host);
    set_status(ctx, "first", "right");
    set_status(ctx, "", nullptr);
    EXPECT_EQ(ctx.state.status_text, "first");
    EXPECT_EQ(ctx.state.status_right_text, "");
    set_status(ctx, nullptr, "x");
    EXPECT_EQ(ctx.state.status_text, "");
    EXPECT_EQ(ctx.state.status_right_text, "x");
    set_status(ctx, std::string(200, 'a').c_str(), nullptr);
    EXPECT_EQ(ctx.state.status_text.size(), kStatusTextMax);
}

TEST(Notice, AFatalNoticeTravelsToTheFrontEndWhichShowsItAndRemovesWorkingFiles) {
    std::string path = ::testing::TempDir() + "CATworking";
    std::ofstream(path) << "x";
    ScriptedHost host;
    CoreContext ctx(host);
    ctx.working_files.insert(path);
    try {
        fatal_notice(ctx, "Not enough memory. Aborting.");
    } catch (const FatalError& error) {
        EXPECT_TRUE(host.notices.empty()) << "nothing is shown before the front end has it";
        EXPECT_TRUE(std::ifstream(path).good());
        report_fatal_error(ctx, error);
    }
    EXPECT_EQ(host.notices, std::vector<std::string>{"Not enough memory. Aborting."});
    EXPECT_FALSE(std::ifstream(path).good());
}

// A working file is made in TMPDIR and remembered; without room for it
// nothing is made and the error is fatal (the front end then removes the
// working files, as above).
TEST(TempFiles, AreCreatedInTmpdirWithTheirPrefixAndRememberedOrAreFatalWithoutRoom) {
    ScratchDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    ScriptedHost host;
    CoreContext ctx(host);
    std::string path;
    int fd = create_temp_file(ctx, path, "CATALOG", 4096);
    EXPECT_EQ(fatal_text_of([&] { create_temp_file(ctx, path, "EXT", std::uint64_t(1) << 62); }),
              "Not enough free space for temporary files.");
    unsetenv("TMPDIR");
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(path.rfind(dir / "CAT", 0), 0u) << path;
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(ctx.working_files.count(path), 1u);
    remove_working_file(ctx, path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ctx.working_files.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace korvane::testing
