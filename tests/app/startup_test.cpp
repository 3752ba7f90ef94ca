#include "app/startup.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "core/messages.h"
#include "tests/support/fatal_text.h"
#include "tests/support/scripted_host.h"
#include "tests/support/scratch_dir.h"
#include "util/pc_directory.h"
#include "util/temp_files.h"

namespace korvane {
namespace {

using korvane::testing::read_all;
using korvane::testing::ScratchDir;
using korvane::testing::ScriptedHost;

// Start-up with the device and volume layers replaced by recorders, so that
// the order and the consequences of each step can be checked alone.
struct StartupFixture : ::testing::Test {
    ScriptedHost host;
    Context ctx{host};
    std::vector<std::string> calls;
    bool drive_passes = true;
    int discovery_result = 1;

    void SetUp() override {
        StartupHooks& hooks = ctx.startup.hooks;
        hooks.allocate_work_area = [this](Context&) { calls.push_back("work area"); };
        hooks.init_transport = [this](Context&, const LaunchArguments& launch) {
            calls.push_back("transport " + std::to_string(launch.images.size()));
            return 1;
        };
        hooks.select_device = [this](Context&) { calls.push_back("device dialog"); };
        hooks.test_startup_drive = [this](Context& c) {
            calls.push_back("test " + std::to_string(c.state.host_adapter) + "," + std::to_string(c.state.target_id));
            return drive_passes;
        };
        hooks.install_transfer_routine = [this](Context&) { calls.push_back("transfer routine"); };
        hooks.discover_volume = [this](Context&) {
            calls.push_back("discovery");
            return discovery_result;
        };
        hooks.release_work_area = [this](Context&) { calls.push_back("release"); };
        hooks.close_working_files = [this](Context&) { calls.push_back("close working files"); };
    }

    bool start(const std::vector<std::string>& args) { return init_application(ctx, args); }
};

TEST_F(StartupFixture, WithoutADriveTheDeviceDialogRunsAndTheStatusAsksForOne) {
    ASSERT_TRUE(start({"disk.img"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"work area", "transport 1", "device dialog", "transfer routine"}));
    EXPECT_EQ(ctx.state.status_text, message(5));
    EXPECT_EQ(ctx.state.access_method, 1);
    EXPECT_EQ(ctx.state.option_flags & kCopyModeMask, kCopyDataFork);
}

TEST_F(StartupFixture, ADriveThatPassesItsTestIsOpened) {
    ASSERT_TRUE(start({"-a25", "-r"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"work area", "transport 0", "test 2,5", "transfer routine", "discovery"}));
    EXPECT_TRUE(ctx.state.reset_each_access);
    EXPECT_EQ(ctx.state.status_text, string_resource(100));
}

TEST_F(StartupFixture, ADriveThatFailsItsTestIsDropped) {
    drive_passes = false;
    ASSERT_TRUE(start({"/A0"}));
    EXPECT_EQ(calls[2], "test 0,255");
    EXPECT_TRUE(host.showed(std::string(message(11))));
    EXPECT_EQ(ctx.state.host_adapter, kNoDrive);
    EXPECT_EQ(ctx.state.target_id, kNoDrive);
    EXPECT_EQ(ctx.state.status_text, message(5));
}

TEST_F(StartupFixture, DiscoveryResultsDecideTheStatusLine) {
    discovery_result = 0;
    ASSERT_TRUE(start({"/A04"}));
    EXPECT_EQ(ctx.state.status_text, message(52));

    ScriptedHost other_host;
    Context msdos(other_host);
    msdos.startup.hooks = ctx.startup.hooks;
    msdos.startup.hooks.discover_volume = [](Context& c) {
        c.state.status_text = "This is a MS-DOS formatted volume.";
        return -1;
    };
    init_application(msdos, std::vector<std::string>{"/A04"});
    EXPECT_EQ(msdos.state.status_text, "This is a MS-DOS formatted volume.");
}

TEST_F(StartupFixture, ABadCommandLineDoesNothing) {
    EXPECT_FALSE(start({"--nonsense"}));
    EXPECT_TRUE(calls.empty());
}

TEST_F(StartupFixture, NoHostAdapterIsFatal) {
    ctx.startup.hooks.init_transport = [](Context&, const LaunchArguments&) { return 0; };
    EXPECT_EQ(korvane::testing::fatal_text_of([&] { start({}); }), "Error initializing the ASPI manager.");
}

// The whole life of a run with /L: the opening line at start, the closing
// line at exit, the start directory restored, the working files gone.
TEST_F(StartupFixture, ShutdownRestoresTheStartDirectoryClosesTheLogAndRemovesWorkingFiles) {
    ScratchDir dir;
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
    EXPECT_EQ(calls.back(), "close working files");
}

}  // namespace
}  // namespace korvane
