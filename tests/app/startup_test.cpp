// The start-up switches and console options as parsed; start-up and
// shutdown on real images: the test of the drive named with /A, discovery
// deciding the status line, the device dialog of a start without /A, the
// end of a run; the drive commands of the "Mac Drive" menu. The images hold
// no volume: discovery looks at them and deselects the drive.

#include "app/startup.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "app/device_commands.h"
#include "app/menu_state.h"
#include "app/switches.h"
#include "core/messages.h"
#include "core/working_files.h"
#include "device/device_dialog.h"
#include "device/image_bus.h"
#include "tests/device/device_fixture.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "util/pc_directory.h"

namespace korvane {
namespace {

using korvane::testing::make_image;
using korvane::testing::read_all;
using korvane::testing::ScratchDir;
using korvane::testing::ScriptedHost;

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

class DeviceCommandsTest : public ::testing::Test {
protected:
    ScratchDir dir;
    ScriptedHost host;
    Context ctx{host};

    void SetUp() override {
        make_image(dir / "a.img", 64 * 512);
        make_image(dir / "b.img", 64 * 512);
    }
    void start(std::vector<std::string> args) { ASSERT_TRUE(init_application(ctx, args, FrontEnd::Console)); }
    // Start-up with /A, then the drive chosen again after discovery dropped it.
    void start_on(std::uint8_t target, std::vector<std::string> args) {
        start(args);
        ctx.state.host_adapter = 0;
        ctx.state.target_id = target;
    }
    ImageBus& bus() { return dynamic_cast<ImageBus&>(*ctx.transport); }
};

TEST_F(DeviceCommandsTest, StartupWithOneImageOffersItAndLooksForAVolume) {
    host.dialog_answers.push_back([](Dialog& dialog) {
        auto& devices = dynamic_cast<DeviceDialog&>(dialog);
        return devices.confirm() ? kDialogOk : kDialogCancel;  // pre-checked
    });
    start({dir / "a.img"});
    EXPECT_EQ(host.dialogs, (std::vector<std::string>{"DLG_DEV"}));
    EXPECT_EQ(ctx.device.capacity, 63u);
    EXPECT_EQ(ctx.state.status_text, message(Msg::kNotMacintoshVolume));
    EXPECT_EQ(ctx.state.target_id, kNoDrive);
}

TEST_F(DeviceCommandsTest, AnImageThatCannotBeOpenedIsReportedAndLeftOut) {
    start({"/A00", dir / "missing.img"});
    EXPECT_EQ(host.notices.size(), 2u);  // the image, then the /A test
    EXPECT_TRUE(host.showed("missing.img"));
    EXPECT_EQ(host.notices[1], "Drive not ready or no floppy disk.");
}

// The menu's unlock goes to the drive its lock went to, whichever drive is
// selected meanwhile; a drive that refuses leaves the item as it was.
TEST_F(DeviceCommandsTest, TheMenuUnlocksTheDriveItLocked) {
    make_image(dir / "c.img", 64 * 512);
    start_on(0, {"/A00", dir / "a.img", dir / "b.img", dir / "c.img,flaky=1"});
    std::vector<long> pauses;
    ctx.transport->pause = [&pauses](std::chrono::milliseconds span) { pauses.push_back(span.count()); };
    ctx.state.target_id = 1;
    lock_selected_drive(ctx, true);  // LOCK leaves the menu alone
    EXPECT_FALSE(ctx.state.volume_locked);
    ctx.state.target_id = 0;
    toggle_lock(ctx);
    EXPECT_TRUE(ctx.state.volume_locked);
    EXPECT_EQ(lock_item_text(ctx.state.volume_locked), "Unlock volume");
    EXPECT_TRUE(bus().target(0, 0)->removal_prevented());
    ctx.state.target_id = 1;  // another drive selected meanwhile
    toggle_lock(ctx);
    EXPECT_FALSE(ctx.state.volume_locked);
    EXPECT_FALSE(bus().target(0, 0)->removal_prevented());
    EXPECT_TRUE(bus().target(0, 1)->removal_prevented()) << "the unlock never reached drive 1";
    EXPECT_EQ(pauses, std::vector<long>(6, 150));
    EXPECT_TRUE(host.notices.empty());

    ctx.state.target_id = 2;  // its first command fails
    toggle_lock(ctx);
    EXPECT_FALSE(ctx.state.volume_locked);
    EXPECT_EQ(host.notices, (std::vector<std::string>{"The drive refused to lock its medium."}));
    toggle_lock(ctx);
    EXPECT_TRUE(ctx.state.volume_locked);
    EXPECT_TRUE(bus().target(0, 2)->removal_prevented());

    ctx.state.volume_locked = false;
    ctx.state.target_id = kNoDrive;
    toggle_lock(ctx);
    EXPECT_EQ(host.notices.back(), "Select drive in the 'Mac Drive' menu");
    EXPECT_FALSE(ctx.state.volume_locked);
}

// What this run locked, by the menu or by LOCK, is unlocked at exit, also
// when a fatal error ends the run; what it unlocked again stays unlocked.
TEST_F(DeviceCommandsTest, TheMediaLockedByTheRunAreUnlockedAtExit) {
    for (bool fatal : {false, true}) {
        ScriptedHost run_host;
        Context run(run_host);
        ASSERT_TRUE(init_application(run, {"/A00", dir / "a.img", dir / "b.img"}, FrontEnd::Console));
        run.state.host_adapter = 0;
        run.state.target_id = 0;
        run.transport->pause = [](std::chrono::milliseconds) {};
        auto& run_bus = dynamic_cast<ImageBus&>(*run.transport);
        toggle_lock(run);
        run.state.target_id = 1;
        lock_selected_drive(run, true);
        ASSERT_TRUE(run_bus.target(0, 1)->removal_prevented());
        if (fatal) {
            shutdown_after_fatal_error(run, FatalError("Not enough memory."));
        } else {
            shutdown_application(run);
        }
        EXPECT_FALSE(run_bus.target(0, 0)->removal_prevented()) << fatal;
        EXPECT_FALSE(run_bus.target(0, 1)->removal_prevented()) << fatal;
        EXPECT_TRUE(run.mediumLocks.locked.empty());
    }
}

TEST_F(DeviceCommandsTest, AttachImageJoinsAdapterZeroAndOpensTheDeviceDialog) {
    start_on(0, {"/A00", dir / "a.img"});
    std::string added = dir / "MO3_1024.img";
    make_image(added, 32 * 1024);
    host.dialog_answers.push_back([&added](Dialog& dialog) {
        dynamic_cast<AttachImageDialog&>(dialog).path = added;
        return kDialogOk;
    });
    host.dialog_answers.push_back([](Dialog& dialog) {
        auto& devices = dynamic_cast<DeviceDialog&>(dialog);
        devices.choose_target(3);
        return devices.confirm() ? kDialogOk : kDialogCancel;
    });
    attach_image_command(ctx);
    EXPECT_EQ(host.dialogs, (std::vector<std::string>{"DLG_ATTACH", "DLG_DEV"}));
    EXPECT_EQ(ctx.device.sectorSize, 1024);
    EXPECT_EQ(ctx.state.target_id, kNoDrive) << "discovery found no volume on the new drive";

    host.dialog_answers.push_back([](Dialog& dialog) {
        dynamic_cast<AttachImageDialog&>(dialog).path = "/nonexistent/HD4.img";
        return kDialogOk;
    });
    attach_image_command(ctx);
    EXPECT_TRUE(host.showed("/nonexistent/HD4.img"));
    EXPECT_EQ(host.dialogs.size(), 3u) << "no device dialog after a failed attach";
}

}  // namespace
}  // namespace korvane
