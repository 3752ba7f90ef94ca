// The status line, fatal notices, and the working files a fatal error or
// the end of a run removes.
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

namespace korvane {
namespace {

TEST(StatusLine, EmptyLeftKeepsTextNullRightClears) {
    testing::ScriptedHost host;
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
    testing::ScriptedHost host;
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
    testing::ScratchDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    testing::ScriptedHost host;
    CoreContext ctx(host);
    std::string path;
    int fd = create_temp_file(ctx, path, "CATALOG", 4096);
    EXPECT_EQ(testing::fatal_text_of([&] { create_temp_file(ctx, path, "EXT", std::uint64_t(1) << 62); }),
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
}  // namespace korvane
