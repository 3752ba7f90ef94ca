#include "app/switches.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvane {
namespace {

StartupSwitches switches_of(const std::vector<std::string>& args) {
    ParsedLaunch parsed = parse_launch_arguments(args, FrontEnd::Window);
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    return parsed.arguments.switches;
}

TEST(StartupSwitchParsing, DriveAddressAndReset) {
    StartupSwitches lower = switches_of({"-a25", "-r"});
    StartupSwitches upper = switches_of({"/A25", "/R"});
    EXPECT_EQ(lower.host_adapter, 2);
    EXPECT_EQ(lower.target_id, 5);
    EXPECT_TRUE(lower.reset_each_access);
    EXPECT_EQ(upper.host_adapter, lower.host_adapter);
    EXPECT_EQ(upper.target_id, lower.target_id);
    EXPECT_TRUE(upper.reset_each_access);

    StartupSwitches one_digit = switches_of({"/A0"});
    EXPECT_EQ(one_digit.host_adapter, 0);
    EXPECT_EQ(one_digit.target_id, kNoDrive);

    StartupSwitches not_digits = switches_of({"/Ax4"});
    EXPECT_EQ(not_digits.host_adapter, kNoDrive);
    EXPECT_EQ(not_digits.target_id, kNoDrive);

    StartupSwitches none = switches_of({});
    EXPECT_EQ(none.host_adapter, kNoDrive);
    EXPECT_FALSE(none.reset_each_access);
    EXPECT_FALSE(none.log_option.has_value());
}

TEST(StartupSwitchParsing, LogOptionKeepsTheTextAfterTheLetter) {
    EXPECT_EQ(switches_of({"/L"}).log_option, "");
    EXPECT_EQ(switches_of({"/L:transfers.log"}).log_option, ":transfers.log");
    EXPECT_EQ(switches_of({"-lname"}).log_option, "name");
    EXPECT_EQ(switches_of({"/L:/var/tmp/x.log"}).log_option, ":/var/tmp/x.log");
}

TEST(StartupSwitchParsing, OtherLettersAreIgnoredAndPathsAreImages) {
    ParsedLaunch parsed = parse_launch_arguments(
            {"/X", "HD10_512.hda,ro", "/tmp/MO3_1024.img", "--bus", "images", "--no-journal"}, FrontEnd::Window);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_TRUE(parsed.arguments.no_journal);
    // Relative paths are made absolute at once: --pc-dir moves the current
    // directory before the images are attached.
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(parsed.arguments.images, (std::vector<std::string>{here + "/HD10_512.hda,ro", "/tmp/MO3_1024.img"}));
    EXPECT_EQ(parsed.arguments.bus_dirs, std::vector<std::string>{here + "/images"});
}

// An absolute path whose first folder begins with a switch letter (/root,
// /lib, /run, /lost+found) is an image, not /R or /L.
TEST(StartupSwitchParsing, AbsolutePathsAreNotSwallowedAsSwitches) {
    ParsedLaunch parsed = parse_launch_arguments({"/root/disk.img", "/lib/x.hda"}, FrontEnd::Window);
    ASSERT_TRUE(parsed.ok());
    EXPECT_FALSE(parsed.arguments.switches.reset_each_access);
    EXPECT_FALSE(parsed.arguments.switches.log_option.has_value());
    EXPECT_EQ(parsed.arguments.images.size(), 2u);
}

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
}

TEST(ConsoleOptionParsing, BadCommandLines) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"-c"},
                 {"--bus"},
                 {"--partition", "two"},
                 {"--partition", "-1"},
                 {"--pc-dir", "/no/such/folder"},
                 {"--yes", "--no"},
                 {"--frobnicate"},
         }) {
        EXPECT_FALSE(parse_launch_arguments(args, FrontEnd::Console).ok()) << args[0];
    }
    EXPECT_FALSE(parse_launch_arguments({"--yes"}, FrontEnd::Window).ok()) << "console options are not the window's";
}

}  // namespace
}  // namespace korvane
