// FORMAT, VERIFY and RESCUE in korvane-cmd, run as a script runs them:
// without a terminal.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "tests/hfs/check_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"

namespace korvane {
namespace {

using testing::ScratchDir;

std::string korvane_cmd() { return std::string(KORVANE_BIN_DIR) + "/korvane-cmd"; }

// Runs korvane-cmd with standard input from /dev/null; the exit status, and
// standard output in out.
int run(const ScratchDir& home, std::vector<std::string> args, std::string* out = nullptr) {
    args.insert(args.begin(), korvane_cmd());
    return testing::runProgram(home.path(), args, out, "/dev/null");
}

std::string blank_image(const ScratchDir& dir, std::uint64_t sectors) {
    const std::string image = dir / "HD0_512.hda";
    std::ofstream(image).close();
    std::filesystem::resize_file(image, sectors * 512);
    return image;
}

TEST(MaintenanceCmd, FormatWritesOnlyWithYesWhenNoTerminalCanConfirm) {
    ScratchDir dir;
    const std::string image = blank_image(dir, 86701);
    EXPECT_EQ(run(dir, {image, "-c", "FORMAT \"Work Disk\""}), 4) << "nothing confirmed the format";
    EXPECT_EQ(run(dir, {image, "--no", "-c", "FORMAT \"Work Disk\""}), 4);
    // The format would have written the first 1536 sectors and the last two.
    std::ifstream in(image, std::ios::binary);
    std::string start(1536 * 512, '\0'), end(1024, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    in.seekg(-1024, std::ios::end);
    in.read(end.data(), 1024);
    EXPECT_EQ((start + end).find_first_not_of('\0'), std::string::npos) << "nothing was written";

    std::string listing;
    ASSERT_EQ(run(dir, {image, "--yes", "-c", "FORMAT \"Work Disk\"", "-c", "DIR"}, &listing), 0);
    EXPECT_NE(listing.find(" Vol: Work Disk"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Desktop DB\t"), std::string::npos) << listing;
    EXPECT_EQ(testing::checkProblems(image, 385), "");
    std::string volume;
    ASSERT_EQ(testing::runProgram(dir.path(), {"hmount", image}, &volume), 0);
    EXPECT_NE(volume.find("Volume name is \"Work Disk\""), std::string::npos) << volume;
    testing::runProgram(dir.path(), {"humount"});
}

TEST(MaintenanceCmd, FormatSlashVMakesABareVolumeThatHfsutilsMountsWhole) {
    ScratchDir dir;
    const std::string image = blank_image(dir, 20000);
    ASSERT_EQ(run(dir, {image, "--yes", "-c", "FORMAT Emulator /V"}), 0);
    EXPECT_EQ(testing::checkProblems(image, 0), "");
    std::string text;
    ASSERT_EQ(testing::runProgram(dir.path(), {"hmount", image}, &text), 0);
    EXPECT_NE(text.find("Volume name is \"Emulator\""), std::string::npos) << text;
    EXPECT_EQ(text.find("partition"), std::string::npos) << "no partition map: " << text;
    testing::runProgram(dir.path(), {"hls", "-a"}, &text);
    EXPECT_NE(text.find("Desktop DF"), std::string::npos) << text;
    testing::runProgram(dir.path(), {"humount"});
}

TEST(MaintenanceCmd, VerifyPrintsEachErrorBlockAndRescuePrintsEachFile) {
    ScratchDir dir;
    const std::string image = blank_image(dir, 10001);
    std::string out;
    EXPECT_EQ(run(dir, {image + ",bad=5000,bad=9000", "--yes", "-c", "VERIFY"}, &out), 4);
    EXPECT_EQ(out, "Error in block of 4096 sectors beginning at 4097.\n"
                   "Error in block of 1808 sectors beginning at 8193.\n");
    EXPECT_EQ(run(dir, {image, "-c", "VERIFY"}, &out), 0);
    EXPECT_EQ(out, "");

    testing::HfsutilsVolume volume(dir, "mac.img", 800);
    volume.addFile(":Notes", "rescued notes");
    volume.unmount();
    ScratchDir pc;
    ASSERT_EQ(run(dir, {volume.image(), "--pc-dir", pc.path(), "-c", "RESCUE"}, &out), 0);
    EXPECT_EQ(out, "Notes\tNotes.txt\n") << "named as a copy to the PC names it";
    EXPECT_EQ(testing::read_all(pc / "Notes.txt"), "rescued notes");
}

}  // namespace
}  // namespace korvane
