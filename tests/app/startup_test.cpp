// Start-up and shutdown on real images: the test of the drive named with /A,
// discovery deciding the status line, and the end of a run (the device dialog
// of a start without /A is in device_commands_test).

#include "app/startup.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/messages.h"
#include "core/working_files.h"
#include "tests/support/fatal_text.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "util/pc_directory.h"

namespace korvane {
namespace {

using korvane::testing::read_all;
using korvane::testing::ScratchDir;
using korvane::testing::ScriptedHost;

struct StartupTest : ::testing::Test {
    ScratchDir dir;
    ScriptedHost host;
    Context ctx{host};

    // A medium of 64 sectors; its first sector as given.
    std::string medium(const std::string& name, std::vector<std::uint8_t> first_sector = {}) {
        std::string path = dir / name;
        first_sector.resize(64 * 512);
        std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(first_sector.data()),
                       static_cast<std::streamsize>(first_sector.size()));
        return path;
    }
    bool start(const std::vector<std::string>& args) { return init_application(ctx, args); }
};

// The drive named with /A must answer as a disk; what discovery then finds
// decides the status line.
TEST_F(StartupTest, TheDriveNamedWithAIsTestedAndDiscoveryDecidesTheStatus) {
    std::vector<std::uint8_t> dos_boot(512, 0);
    dos_boot[0] = 0xEB;
    dos_boot[510] = 0x55;
    dos_boot[511] = 0xAA;
    struct Case {
        std::vector<std::string> args;
        bool drive_kept;
        std::string status;
    } cases[] = {
            {{"/A00", medium("blank.img")}, false, std::string(message(Msg::kNotMacintoshVolume))},
            {{"/A00", medium("dos.img", dos_boot), "-r"}, true, std::string(message(Msg::kDosVolume))},
            {{"/A01", medium("blank.img"), medium("TP1.tap")},
             false,
             std::string(message(Msg::kSelectDriveInMenu))},                                        // a tape
            {{"/A0", medium("blank.img")}, false, std::string(message(Msg::kSelectDriveInMenu))},   // no target
            {{"/A05", medium("blank.img")}, false, std::string(message(Msg::kSelectDriveInMenu))},  // nothing there
    };
    for (const Case& c : cases) {
        ScriptedHost case_host;
        Context run(case_host);
        ASSERT_TRUE(init_application(run, c.args));
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(run.state.target_id != kNoDrive, c.drive_kept);
        EXPECT_EQ(run.state.status_text, c.status);
        EXPECT_EQ(case_host.showed(std::string(message(Msg::kDriveNotReady))),
                  c.status == message(Msg::kSelectDriveInMenu));
        EXPECT_TRUE(case_host.dialogs.empty());
        EXPECT_EQ(run.device.transfer, TransferRoutine::Sector512);
        EXPECT_EQ(run.state.reset_each_access, c.args.back() == "-r");
    }
}

// The whole life of a run with /L: the opening line at start, the closing
// line at exit, the start directory restored, the working files gone.
TEST_F(StartupTest, ShutdownRestoresTheStartDirectoryClosesTheLogAndRemovesWorkingFiles) {
    const std::string start_dir = current_directory();
    setenv("TMPDIR", dir.path().c_str(), 1);
    ASSERT_TRUE(start({"/L:" + (dir / "run.log")}));
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
