#include <gtest/gtest.h>

#include <fstream>

#include "core/notices.h"
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

}  // namespace
}  // namespace korvane
