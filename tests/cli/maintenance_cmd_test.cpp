// FORMAT, VERIFY and RESCUE in korvane-cmd, run as a script runs them:
// without a terminal.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "tests/hfs/check_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"

namespace korvane {
namespace {

using testing::korvane_cmd;
using testing::ScratchDir;

// Runs korvane-cmd with standard input from /dev/null; the exit status, and
// standard output in out.
int run(const ScratchDir& home, std::vector<std::string> args, std::string* out = nullptr) {
    args.insert(args.begin(), korvane_cmd());
    return testing::run_program(home.path(), args, out, "/dev/null");
}

TEST(MaintenanceCmd, FormatWritesOnlyWithYesWhenNoTerminalCanConfirm) {
    ScratchDir dir;
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
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
    EXPECT_EQ(testing::check_problems(image, 385), "");
    std::string volume;
    ASSERT_EQ(testing::run_program(dir.path(), {"hmount", image}, &volume), 0);
    EXPECT_NE(volume.find("Volume name is \"Work Disk\""), std::string::npos) << volume;
    testing::run_program(dir.path(), {"humount"});
}

TEST(MaintenanceCmd, FormatSlashVMakesABareVolumeThatHfsutilsMountsWhole) {
    ScratchDir dir;
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 20000 * 512);
    ASSERT_EQ(run(dir, {image, "--yes", "-c", "FORMAT Emulator /V"}), 0);
    EXPECT_EQ(testing::check_problems(image, 0), "");
    std::string text;
    ASSERT_EQ(testing::run_program(dir.path(), {"hmount", image}, &text), 0);
    EXPECT_NE(text.find("Volume name is \"Emulator\""), std::string::npos) << text;
    EXPECT_EQ(text.find("partition"), std::string::npos) << "no partition map: " << text;
    testing::run_program(dir.path(), {"hls", "-a"}, &text);
    EXPECT_NE(text.find("Desktop DF"), std::string::npos) << text;
    testing::run_program(dir.path(), {"humount"});
}

// A device image as a disk utility leaves it: its own driver partition at
// sector 64 (32 sectors of a pattern) named by one driver descriptor, and a
// partition of another type that is not copied.
std::string image_with_driver(const ScratchDir& dir) {
    std::string bytes(200 * 512, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<char>(v >> 8);
        bytes[at + 1] = static_cast<char>(v);
    };
    bytes.replace(0, 2, "ER");
    put16(2, 512);
    put16(16, 1);
    put32(18, 64);
    put16(22, 20);
    put16(24, 0x0701);
    auto entry = [&](std::size_t sector, std::uint32_t start, std::uint32_t count, const std::string& name,
                     const std::string& type) {
        const std::size_t at = sector * 512;
        bytes.replace(at, 2, "PM");
        put32(at + 4, 3);
        put32(at + 8, start);
        put32(at + 12, count);
        bytes.replace(at + 16, name.size(), name);
        bytes.replace(at + 48, type.size(), type);
        put32(at + 84, count);
        put32(at + 88, 0x7F);
        put32(at + 96, 20 * 512);  // boot size
        put32(at + 116, 0xBEEF);   // boot checksum
    };
    entry(1, 1, 63, "Apple", "Apple_partition_map");
    entry(2, 64, 32, "Our Driver", "Apple_Driver43");
    entry(3, 96, 100, "Other", "Apple_Free");
    for (std::size_t i = 64 * 512; i < 96 * 512; ++i) bytes[i] = static_cast<char>(i * 7);
    const std::string path = dir / "with-driver.img";
    std::ofstream(path, std::ios::binary) << bytes;
    return bytes;
}

TEST(MaintenanceCmd, DriverFromCopiesTheDriverPartitionsOfAnotherImage) {
    ScratchDir dir;
    const std::string source = image_with_driver(dir);
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
    ASSERT_EQ(run(dir, {image, "--yes", "--driver-from", dir / "with-driver.img", "-c", "FORMAT Driven"}), 0);
    std::ifstream in(image, std::ios::binary);
    std::string start(256 * 512, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    EXPECT_EQ(start.substr(18, 8), std::string("\0\0\0\x81\0\x14\x07\x01", 8)) << "ddBlock 129, as it was besides";
    const std::string entry = start.substr(2 * 512, 512);
    std::string expected = source.substr(2 * 512, 512);
    expected[11] = '\x81';  // only pmPyPartStart changes
    EXPECT_EQ(entry, expected);
    EXPECT_EQ(start.substr(129 * 512, 32 * 512), source.substr(64 * 512, 32 * 512));
    EXPECT_EQ(start.substr(3 * 512 + 48, 9), "Apple_HFS");
    EXPECT_EQ(start[3 * 512 + 11], '\xA1') << "the HFS partition follows the driver at 161";
    EXPECT_EQ(start.substr(4 * 512, 2), std::string(2, '\0')) << "the partition of another type is not copied";
    EXPECT_EQ(testing::check_problems(image, 161), "");
    std::string volume;
    ASSERT_EQ(testing::run_program(dir.path(), {"hmount", image}, &volume), 0);
    EXPECT_NE(volume.find("Volume name is \"Driven\""), std::string::npos) << volume;
    testing::run_program(dir.path(), {"humount"});

    const std::string blank = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
    EXPECT_EQ(run(dir, {blank, "--yes", "--driver-from", blank, "-c", "FORMAT Driven"}), 4)
            << "an image without drivers gives none, and nothing is written";
}

TEST(MaintenanceCmd, VerifyPrintsEachErrorBlockAndRescuePrintsEachFile) {
    ScratchDir dir;
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 10001 * 512);
    std::string out;
    EXPECT_EQ(run(dir, {image + ",bad=5000,bad=9000", "--yes", "-c", "VERIFY"}, &out), 4);
    EXPECT_EQ(out,
              "Error in block of 4096 sectors beginning at 4097.\n"
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
