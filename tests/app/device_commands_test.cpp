// The drive commands of the "Mac Drive" menu and the device layer's part of
// start-up, run through the real Context and start-up sequence. The images
// hold no volume: discovery looks at them and deselects the drive.

#include "app/device_commands.h"
#include "app/menu_state.h"
#include "app/startup.h"
#include "core/messages.h"
#include "device/device_dialog.h"
#include "device/image_bus.h"
#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

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
}  // namespace korvane::testing
