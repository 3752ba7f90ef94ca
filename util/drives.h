#pragma once
// The PC's "drives": the mounted file systems, listed by mount point. The
// current drive is the mount that holds the current directory. The "Drives"
// lists offer the home folder and the file systems that hold a person's files.

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

struct Drive {
    std::string mount_point;
    std::string device;
    std::string fs_type;
};

// The mounted file systems of this process, in mount order, from /proc/self/mounts.
std::vector<Drive> list_drives();
// Parses the text of a mounts table (fields with octal escapes such as \040).
std::vector<Drive> parse_mounts(const std::string& mounts_text);

// Whether a mounted file system can hold a person's files: neither a pseudo
// or memory file system (proc, sysfs, tmpfs, cgroup, ...) nor a mount under
// /proc, /sys, /dev or /run.
bool holds_user_files(const Drive& drive);
// What the "Drives" lists offer: home (when not empty), then the mount
// point of each file system that holds user files, each once, in mount order.
std::vector<std::string> drive_choices(const std::vector<Drive>& mounts, const std::string& home);
// The same for this process: its mounts and $HOME.
std::vector<std::string> drive_choices();

// The mount point holding path ("" = the current directory): the longest
// mount point that is a prefix of the path's real location.
std::string drive_of(const std::string& path = "");

// True when byte_count ÷ fragment size is strictly less than the number of
// free fragments available to the user on the file system holding path
// ("" = the current directory). False when the file system cannot be asked.
bool has_free_space(const std::string& path, std::uint64_t byte_count);

// True when the file system holding path accepts names longer than 12
// characters (an MS-DOS 8.3 name).
bool drive_has_long_names(const std::string& path = "");

}  // namespace korvane
