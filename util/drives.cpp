#include "util/drives.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "util/pc_directory.h"

namespace korvane {
namespace {

// Mount tables write blanks, tabs, newlines and backslashes as \ooo.
std::string unescape_mount_field(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::strtol(digits.c_str(), nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::string real_location(const std::string& path) {
    const std::string target = path.empty() ? current_directory() : path;
    char resolved[PATH_MAX];
    if (realpath(target.c_str(), resolved) != nullptr) return resolved;
    return target;
}

bool lies_under(const std::string& path, const std::string& mount_point) {
    if (mount_point == "/") return !path.empty() && path[0] == '/';
    return path.compare(0, mount_point.size(), mount_point) == 0 &&
           (path.size() == mount_point.size() || path[mount_point.size()] == '/');
}

// Kernel interfaces and memory-backed file systems: nobody keeps files there.
constexpr std::array<std::string_view, 24> kPseudoFileSystems{
        "autofs",   "binfmt_misc", "bpf",        "cgroup",    "cgroup2",  "configfs", "debugfs", "devpts",
        "devtmpfs", "efivarfs",    "fusectl",    "hugetlbfs", "mqueue",   "nsfs",     "proc",    "pstore",
        "ramfs",    "rpc_pipefs",  "securityfs", "selinuxfs", "squashfs", "sysfs",    "tmpfs",   "tracefs"};

constexpr std::array<std::string_view, 4> kSystemFolders{"/proc", "/sys", "/dev", "/run"};

}  // namespace

std::vector<Drive> parse_mounts(const std::string& mounts_text) {
    std::vector<Drive> drives;
    std::istringstream lines(mounts_text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mount_point, fs_type;
        if (!(fields >> device >> mount_point >> fs_type)) continue;
        drives.push_back({unescape_mount_field(mount_point), unescape_mount_field(device), fs_type});
    }
    return drives;
}

std::vector<Drive> list_drives() {
    std::ifstream mounts("/proc/self/mounts");
    std::stringstream text;
    text << mounts.rdbuf();
    return parse_mounts(text.str());
}

bool holds_user_files(const Drive& drive) {
    if (std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), drive.fs_type) != kPseudoFileSystems.end())
        return false;
    auto under = [&drive](std::string_view folder) { return lies_under(drive.mount_point, std::string(folder)); };
    return std::none_of(kSystemFolders.begin(), kSystemFolders.end(), under);
}

std::vector<std::string> drive_choices(const std::vector<Drive>& mounts, const std::string& home) {
    std::vector<std::string> choices;
    if (!home.empty()) choices.push_back(home);
    for (const Drive& drive : mounts) {
        if (!holds_user_files(drive)) continue;
        if (std::find(choices.begin(), choices.end(), drive.mount_point) == choices.end())
            choices.push_back(drive.mount_point);
    }
    return choices;
}

std::vector<std::string> drive_choices() {
    const char* home = std::getenv("HOME");
    return drive_choices(list_drives(), home != nullptr ? home : "");
}

std::string drive_of(const std::string& path) {
    const std::string location = real_location(path);
    std::string best = "/";
    for (const Drive& drive : list_drives()) {
        if (lies_under(location, drive.mount_point) && drive.mount_point.size() > best.size()) best = drive.mount_point;
    }
    return best;
}

bool has_free_space(const std::string& path, std::uint64_t byte_count) {
    struct statvfs info {};
    const std::string where = path.empty() ? "." : path;
    if (statvfs(where.c_str(), &info) != 0) return false;
    const std::uint64_t fragment = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    if (fragment == 0) return false;
    return byte_count / fragment < static_cast<std::uint64_t>(info.f_bavail);
}

bool drive_has_long_names(const std::string& path) {
    struct statvfs info {};
    const std::string where = path.empty() ? "." : path;
    if (statvfs(where.c_str(), &info) != 0) return false;
    return info.f_namemax > 12;
}

}  // namespace korvane
