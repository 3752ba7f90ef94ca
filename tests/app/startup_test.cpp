// Start-up and shutdown on real images: the test of the drive named with /A,
// discovery deciding the status line, and the end of a run (the device dialog
// of a start without /A is in device_commands_test).

#include "app/startup.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "core/messages.h"
#include "core/working_files.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "util/pc_directory.h"

namespace korvane {
namespace {

using korvane::testing::read_all;
using korvane::testing::ScratchDir;
using korvane::testing::ScriptedHost;

// The drive named with /A must answer as a disk; what discovery then finds
// decides the status line.
TEST(Startup, TheDriveNamedWithAIsTestedAndDiscoveryDecidesTheStatus) {
    ScratchDir dir;
    const std::string blank = testing::zero_file(dir / "blank.img", 64 * 512);
    const std::string tape = testing::zero_file(dir / "TP1.tap", 64 * 512);
    std::string dos_boot(64 * 512, '\0');
    dos_boot.replace(0, 1, "\xEB");
    dos_boot.replace(510, 2, "\x55\xAA");
    std::ofstream(dir / "dos.img", std::ios::binary) << dos_boot;
    const std::string no_drive(message(Msg::kSelectDriveInMenu));
    struct Case {
        std::vector<std::string> args;
        bool drive_kept;
        std::string status;
    } cases[] = {
            {{"/A00", blank}, false, std::string(message(Msg::kNotMacintoshVolume))},
            {{"/A00", dir / "dos.img", "-r"}, true, std::string(message(Msg::kDosVolume))},
            {{"/A01", blank, tape}, false, no_drive},  // a tape
            {{"/A0", blank}, false, no_drive},         // no target
            {{"/A05", blank}, false, no_drive},        // nothing there
    };
    for (const Case& c : cases) {
        ScriptedHost host;
        Context run(host);
        ASSERT_TRUE(init_application(run, c.args));
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(run.state.target_id != kNoDrive, c.drive_kept);
        EXPECT_EQ(run.state.status_text, c.status);
        EXPECT_EQ(host.showed(std::string(message(Msg::kDriveNotReady))), c.status == no_drive);
        EXPECT_TRUE(host.dialogs.empty());
        EXPECT_EQ(run.device.transfer, TransferRoutine::Sector512);
        EXPECT_EQ(run.state.reset_each_access, c.args.back() == "-r");
    }
}

// The whole life of a run with /L: the opening line at start, the closing
// line at exit, the start directory restored, the working files gone.
TEST(Startup, ShutdownRestoresTheStartDirectoryClosesTheLogAndRemovesWorkingFiles) {
    ScratchDir dir;
    ScriptedHost host;
    Context ctx(host);
    const std::string start_dir = current_directory();
    setenv("TMPDIR", dir.path().c_str(), 1);
    ASSERT_TRUE(init_application(ctx, {"/L:" + (dir / "run.log")}));
    std::string working;
    close(create_temp_file(ctx, working, "CAT", 512));
    unsetenv("TMPDIR");
    ASSERT_TRUE(change_directory(dir.path()));
    ctx.log.write("Mac->PC\n");
    shutdown_application(ctx);

    EXPECT_EQ(current_directory(), start_dir);
    EXPECT_FALSE(std::filesystem::exists(working));
    EXPECT_FALSE(ctx.log.is_open());
    const std::string log = read_all(dir / "run.log");
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], '>');
    EXPECT_NE(log.find("\nMac->PC\n<"), std::string::npos) << log;
    EXPECT_EQ(log.back(), '\n');
}

}  // namespace
}  // namespace korvane
