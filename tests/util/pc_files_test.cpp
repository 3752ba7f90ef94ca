#include "util/pc_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "tests/support/scratch_dir.h"
#include "util/drives.h"

namespace korvane::testing {
namespace {

void write_all(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A local time written "YYYY-MM-DD HH:MM:SS".
std::tm local(const char* text) {
    std::tm time{};
    strptime(text, "%Y-%m-%d %H:%M:%S", &time);
    return time;
}

// A regular file (a dot file too: it must not be overwritten as if absent)
// has the local DOS date and time; a directory or a missing name has none.
TEST(FileStamp, IsTheLocalDosDateAndTimeOfARegularFile) {
    ScratchDir dir;
    write_all(dir / ".dated", "x");
    int fd = open((dir / ".dated").c_str(), O_RDWR);
    ASSERT_TRUE(set_file_time(fd, local("1996-05-23 09:05:07")));
    close(fd);
    // 1996-05-23 09:05:07 -> date (16 << 9 | 5 << 5 | 23), time (9 << 11 | 5 << 5 | 3): seconds halve.
    EXPECT_EQ(file_stamp(dir / ".dated"), (16u << 9 | 5u << 5 | 23u) << 16 | (9u << 11 | 5u << 5 | 3u));
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(file_stamp(dir / "folder"), 0u);
    EXPECT_EQ(file_stamp(dir / "nothing"), 0u);
    // Years before 1980 clamp to the format's first day.
    EXPECT_EQ(dos_stamp(local("1970-01-01 00:00:00")), (1u << 5 | 1u) << 16);
}

TEST(HasFreeSpace, CountsWholeFreeFragmentsOnTheFileSystem) {
    ScratchDir dir;
    EXPECT_TRUE(has_free_space(dir.path(), 0));
    EXPECT_TRUE(has_free_space(dir.path(), 4096));
    EXPECT_FALSE(has_free_space(dir.path(), std::uint64_t(1) << 62));
    EXPECT_FALSE(has_free_space(dir / "no-such-folder", 0));
    EXPECT_TRUE(drive_has_long_names(dir.path()));
}

TEST(Drives, TheCurrentOneHoldsTheWorkingDirectory) {
    EXPECT_FALSE(list_drives().empty());
    EXPECT_EQ(drive_of("/proc/self"), "/proc");
}

TEST(Drives, TheListsOfferHomeAndTheFileSystemsThatHoldFiles) {
    auto mounts = parse_mounts(
            "proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\nudev /dev devtmpfs rw 0 0\ntmpfs /dev/shm tmpfs rw 0 0\n"
            "/dev/sda2 / ext4 rw 0 0\ncgroup2 /sys/fs/cgroup cgroup2 rw 0 0\ntmpfs /run/user/1000 tmpfs rw 0 0\n"
            "/dev/loop3 /snap/core/1 squashfs ro 0 0\n/dev/sda3 /home ext4 rw 0 0\n"
            "portal /run/user/1000/doc fuse.portal rw 0 0\n/dev/sdb1 /media/My\\040Disk vfat rw 0 0\n"
            "/dev/sda2 / ext4 rw 0 0\n");
    EXPECT_EQ(drive_choices(mounts, "/home/ann"),
              (std::vector<std::string>{"/home/ann", "/", "/home", "/media/My Disk"}));
    EXPECT_EQ(drive_choices(mounts, "").front(), "/");
    EXPECT_EQ(mounts[10].fs_type, "vfat");
}

}  // namespace
}  // namespace korvane::testing
