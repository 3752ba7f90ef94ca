// FORMAT, VERIFY and RESCUE in korvane-cmd, run as a script runs them:
// without a terminal.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "tests/hfs/check_fixture.h"
#include "tests/support/disk_copy_builder.h"
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

// What hmount says when it mounts the image; the volume is let go again.
std::string hmount_says(const ScratchDir& home, const std::string& image) {
    std::string text;
    EXPECT_EQ(testing::run_program(home.path(), {"hmount", image}, &text), 0);
    testing::run_program(home.path(), {"humount"});
    return text;
}

TEST(MaintenanceCmd, FormatWritesOnlyWithYesWhenNoTerminalCanConfirm) {
    ScratchDir dir;
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
    EXPECT_EQ(run(dir, {image, "-c", "FORMAT \"Work Disk\""}), 4) << "nothing confirmed the format";
    EXPECT_EQ(run(dir, {image, "--no", "-c", "FORMAT \"Work Disk\""}), 4);
    // The format would have written the first 1536 sectors and the last two.
    const std::string untouched = testing::read_all(image);
    EXPECT_EQ((untouched.substr(0, 1536 * 512) + untouched.substr(untouched.size() - 1024)).find_first_not_of('\0'),
              std::string::npos)
            << "nothing was written";

    std::string listing;
    ASSERT_EQ(run(dir, {image, "--yes", "-c", "FORMAT \"Work Disk\"", "-c", "DIR"}, &listing), 0);
    EXPECT_NE(listing.find(" Vol: Work Disk"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Desktop DB\t"), std::string::npos) << listing;
    EXPECT_EQ(testing::check_problems(image, 385), "");
    EXPECT_NE(hmount_says(dir, image).find("Volume name is \"Work Disk\""), std::string::npos);

    // /V: a bare volume from sector 0, which hfsutils mounts whole.
    const std::string bare = testing::zero_file(dir / "bare.hda", 20000 * 512);
    ASSERT_EQ(run(dir, {bare, "--yes", "-c", "FORMAT Emulator /V"}), 0);
    EXPECT_EQ(testing::check_problems(bare, 0), "");
    const std::string text = hmount_says(dir, bare);
    EXPECT_NE(text.find("Volume name is \"Emulator\""), std::string::npos) << text;
    EXPECT_EQ(text.find("partition"), std::string::npos) << "no partition map: " << text;
}

// A device image as a disk utility leaves it: its own driver partition at
// sector 64 (32 sectors of a pattern) named by one driver descriptor, and a
// partition of another type that is not copied.
std::string image_with_driver(const ScratchDir& dir) {
    std::string bytes(200 * 512, '\0');
    using testing::put_be32;
    auto put16 = [&](std::size_t at, std::uint16_t v) { bytes.replace(at, 2, {char(v >> 8), char(v)}); };
    bytes.replace(0, 2, "ER");
    put16(2, 512);
    put16(16, 1);
    put_be32(bytes, 18, 64);
    put16(22, 20);
    put16(24, 0x0701);
    auto entry = [&](std::size_t sector, std::uint32_t start, std::uint32_t count, const std::string& name,
                     const std::string& type) {
        const std::size_t at = sector * 512;
        bytes.replace(at, 2, "PM");
        put_be32(bytes, at + 4, 3);
        put_be32(bytes, at + 8, start);
        put_be32(bytes, at + 12, count);
        bytes.replace(at + 16, name.size(), name);
        bytes.replace(at + 48, type.size(), type);
        put_be32(bytes, at + 84, count);
        put_be32(bytes, at + 88, 0x7F);
        put_be32(bytes, at + 96, 20 * 512);  // boot size
        put_be32(bytes, at + 116, 0xBEEF);   // boot checksum
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
    const std::string start = testing::read_all(image).substr(0, 256 * 512);
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
    EXPECT_NE(hmount_says(dir, image).find("Volume name is \"Driven\""), std::string::npos);

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
