#include "core/working_files.h"

#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>

#include "core/notices.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

using korvane::testing::ScratchDir;
using korvane::testing::ScriptedHost;

TEST(TempFiles, AreCreatedInTmpdirWithTheirPrefixAndRemembered) {
    ScratchDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    ScriptedHost host;
    CoreContext ctx(host);
    std::string path;
    int fd = create_temp_file(ctx, path, "CATALOG", 4096);
    unsetenv("TMPDIR");
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(path.rfind(dir / "CAT", 0), 0u) << path;
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(ctx.working_files.count(path), 1u);
    remove_working_file(ctx, path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ctx.working_files.empty());
}

TEST(TempFiles, NoRoomIsFatalAndTheFrontEndsAnswerRemovesTheWorkingFiles) {
    ScratchDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    ScriptedHost host;
    CoreContext ctx(host);
    std::string path;
    close(create_temp_file(ctx, path, "EXT", 512));
    try {
        create_temp_file(ctx, path, "CAT", std::uint64_t(1) << 62);
        ADD_FAILURE() << "no room for the file, yet no fatal error";
    } catch (const FatalError& error) {
        report_fatal_error(ctx, error);
    }
    unsetenv("TMPDIR");
    EXPECT_EQ(host.notices, std::vector<std::string>{"Not enough free space for temporary files."});
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace korvane
