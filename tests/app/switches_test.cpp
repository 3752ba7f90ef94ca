#include "app/switches.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvane {
namespace {

TEST(StartupSwitchParsing, DriveAddressResetAndLog) {
    struct Case {
        std::vector<std::string> args;
        std::uint8_t adapter, target;
        bool reset;
        std::optional<std::string> log;
    } cases[] = {
            {{"-a25", "-r"}, 2, 5, true, {}},
            {{"/A25", "/R"}, 2, 5, true, {}},
            {{"/A0"}, 0, kNoDrive, false, {}},
            {{"/Ax4"}, kNoDrive, kNoDrive, false, {}},
            {{}, kNoDrive, kNoDrive, false, {}},
            {{"/L"}, kNoDrive, kNoDrive, false, ""},
            {{"/L:transfers.log"}, kNoDrive, kNoDrive, false, ":transfers.log"},
            {{"-lname"}, kNoDrive, kNoDrive, false, "name"},
            {{"/L:/var/tmp/x.log"}, kNoDrive, kNoDrive, false, ":/var/tmp/x.log"},
            // an absolute path whose first folder begins with a switch letter is an image
            {{"/root/disk.img", "/lib/x.hda"}, kNoDrive, kNoDrive, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
        const ParsedLaunch parsed = parse_launch_arguments(c.args, FrontEnd::Window);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        const StartupSwitches& s = parsed.arguments.switches;
        EXPECT_EQ(s.host_adapter, c.adapter);
        EXPECT_EQ(s.target_id, c.target);
        EXPECT_EQ(s.reset_each_access, c.reset);
        EXPECT_EQ(s.log_option, c.log);
    }
}

// Relative image paths are made absolute at once: --pc-dir moves the
// current directory before the images are attached.
TEST(StartupSwitchParsing, OtherLettersAreIgnoredAndPathsAreImages) {
    ParsedLaunch parsed = parse_launch_arguments(
            {"/X", "HD10_512.hda,ro", "/tmp/MO3_1024.img", "--bus", "images", "--no-journal"}, FrontEnd::Window);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_TRUE(parsed.arguments.no_journal);
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(parsed.arguments.images, (std::vector<std::string>{here + "/HD10_512.hda,ro", "/tmp/MO3_1024.img"}));
    EXPECT_EQ(parsed.arguments.bus_dirs, std::vector<std::string>{here + "/images"});
}

// The console's bad command lines run through korvane-cmd in
// KorvaneCmd.ABadCommandLineExitsWithTwoAndShowsTheUsage.
TEST(ConsoleOptionParsing, CollectsLinesAnswersAndSettings) {
    ParsedLaunch parsed = parse_launch_arguments(
            {"-c", "DIR", "--no", "-c", "CD Letters", "--partition", "2", "--pc-dir", "/tmp", "--port", "LPT1", "-v"},
            FrontEnd::Console);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const ConsoleOptions& console = parsed.arguments.console;
    EXPECT_EQ(console.lines, (std::vector<std::string>{"DIR", "CD Letters"}));
    EXPECT_EQ(console.answers, AnswerMode::AlwaysNo);
    EXPECT_EQ(console.partition_row, 2);
    EXPECT_EQ(console.pc_dir, "/tmp");
    EXPECT_EQ(console.port, "LPT1");
    EXPECT_TRUE(console.verbose);
    EXPECT_FALSE(parse_launch_arguments({"--yes"}, FrontEnd::Window).ok()) << "not an option of the window";
}

}  // namespace
}  // namespace korvane
