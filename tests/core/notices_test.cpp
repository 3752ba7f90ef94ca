#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/messages.h"
#include "core/notices.h"
#include "tests/support/scripted_host.h"

namespace korvane {
namespace {

TEST(Messages, TextsAreExact) {
    EXPECT_EQ(message(Msg::kNoticeCaption), "Korvane");
    EXPECT_EQ(message(Msg::kCopyOfFile), "Copy of \"%s\" to \"%s\"");
    EXPECT_EQ(message(Msg::kNoKnownDevice), "The program can't detect a kwown SCSI device.");
    EXPECT_EQ(string_resource(StringId::kMenuPrompt), "Select a menu or press F1 for help...");
    EXPECT_EQ(string_resource(StringId::kCopyInCurrentDirectory), "Copy in current directory");
    EXPECT_TRUE(string_resource(141).empty());
    EXPECT_TRUE(message(static_cast<Msg>(7)).empty());
}

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

TEST(Notice, TimedOutNoticeIsLogged) {
    testing::ScriptedHost host;
    CoreContext ctx(host);
    std::string path = ::testing::TempDir() + "notice_log.txt";
    ctx.log.adopt(std::fopen(path.c_str(), "w+b"));
    show_notice(ctx, "answered in time");
    host.notices_time_out = true;
    show_notice(ctx, "left alone");
    ctx.log.close_file();
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "#left alone\n");
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
