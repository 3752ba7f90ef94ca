#include "core/working_files.h"

#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>

#include "tests/support/fatal_text.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"

namespace korvane::testing {
namespace {

// A working file is made in TMPDIR and remembered; without room for it
// nothing is made and the error is fatal (the front end's answer removes the
// working files, see the notices' test).
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
