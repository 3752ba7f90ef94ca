// korvane-cmd's side of the device layer: --scan and the console device
// dialog, run as the user runs them.

#include <cstdio>

#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

struct CommandRun {
    int status = -1;
    std::string output;
};

CommandRun korvane_cmd(const std::string& arguments) {
    CommandRun run;
    std::string command = std::string(KORVANE_BIN_DIR) + "/korvane-cmd " + arguments + " </dev/null 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[512];
    std::size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, got);
    run.status = WEXITSTATUS(pclose(pipe));
    return run;
}

class ConsoleDeviceTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        if (!std::filesystem::exists(std::string(KORVANE_BIN_DIR) + "/korvane-cmd"))
            GTEST_SKIP() << "korvane-cmd not built";
    }
};

TEST_F(ConsoleDeviceTest, ScanPrintsOneLinePerEntry) {
    std::filesystem::create_directory(dir / "bus");
    make_image(dir / "bus/HD1_512.hda", 16 * 512);
    make_image(dir / "bus/CD2.iso", 4 * 2048);
    make_image(dir / "bus/MO4_1024.img", 8 * 1024);
    CommandRun run = korvane_cmd("--scan --bus '" + dir / "bus" + "' --bus '" + dir / "bus" + "'");
    // The first --bus fills adapter 0 when no image is named; the second gets adapter 1.
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output,
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
    CommandRun one = korvane_cmd("-v '" + dir / "a.img" + "' -c ''");
    EXPECT_EQ(one.output.find("Select drive in the 'Mac Drive' menu"), std::string::npos) << one.output;
    CommandRun two = korvane_cmd("-v '" + dir / "a.img" + "' '" + dir / "b.img" + "' -c ''");
    EXPECT_NE(two.output.find("Select drive in the 'Mac Drive' menu"), std::string::npos) << two.output;
}

}  // namespace
}  // namespace korvane::testing
