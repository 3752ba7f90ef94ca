// korvane-cmd's side of the device layer: --scan and the console device
// dialog, run as the user runs them.

#include "tests/device/device_fixture.h"
#include "tests/support/hfsutils_volume.h"

namespace korvane::testing {
namespace {

class ConsoleDeviceTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        if (!std::filesystem::exists(korvane_cmd())) GTEST_SKIP() << "korvane-cmd not built";
    }
};

TEST_F(ConsoleDeviceTest, ScanPrintsOneLinePerEntry) {
    std::filesystem::create_directory(dir / "bus");
    make_image(dir / "bus/HD1_512.hda", 16 * 512);
    make_image(dir / "bus/CD2.iso", 4 * 2048);
    make_image(dir / "bus/MO4_1024.img", 8 * 1024);
    const CmdRun run = run_korvane_cmd(dir.path(), {"--scan", "--bus", dir / "bus", "--bus", dir / "bus"});
    // The first --bus fills adapter 0 when no image is named; the second gets adapter 1.
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "0\t3\t255\t\tKorvane ImageBus\t\n"
              "0\t0\t1\tKORVANE\tHD1_512.hda\t1.0\n"
              "0\t7\t4\tKORVANE\tMO4_1024.img\t1.0\n"
              "1\t3\t255\t\tKorvane ImageBus\t\n"
              "1\t0\t1\tKORVANE\tHD1_512.hda\t1.0\n"
              "1\t7\t4\tKORVANE\tMO4_1024.img\t1.0\n");
}

TEST_F(ConsoleDeviceTest, OneDriveIsTakenSeveralNeedAPerson) {
    make_image(dir / "a.img", 64 * 512);
    make_image(dir / "b.img", 64 * 512);
    const CmdRun one = run_korvane_cmd(dir.path(), {"-v", dir / "a.img", "-c", ""});
    EXPECT_FALSE(one.said("Select drive in the 'Mac Drive' menu")) << one.err;
    const CmdRun two = run_korvane_cmd(dir.path(), {"-v", dir / "a.img", dir / "b.img", "-c", ""});
    EXPECT_TRUE(two.said("Select drive in the 'Mac Drive' menu")) << two.err;
}

}  // namespace
}  // namespace korvane::testing
