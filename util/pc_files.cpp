#include "util/pc_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace korvane {

std::uint32_t dos_stamp(const std::tm& t) {
    int year = t.tm_year + 1900;
    if (year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
    if (year > 2107) return 0xFF9FBF7Du;           // 2107-12-31 23:59:58
    const std::uint32_t date = static_cast<std::uint32_t>((year - 1980) << 9 | (t.tm_mon + 1) << 5 | t.tm_mday);
    const std::uint32_t time = static_cast<std::uint32_t>(t.tm_hour << 11 | t.tm_min << 5 | std::min(t.tm_sec, 59) / 2);
    return date << 16 | time;
}

std::uint32_t file_stamp(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    std::tm local_time{};
    localtime_r(&info.st_mtime, &local_time);
    const std::uint32_t stamp = dos_stamp(local_time);
    return stamp == 0 ? 0xFFFFFFFFu : stamp;
}

bool set_file_time(int fd, const std::tm& local_time) {
    std::tm copy = local_time;
    copy.tm_isdst = -1;
    const std::time_t when = std::mktime(&copy);
    if (when == static_cast<std::time_t>(-1)) return false;
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    return futimens(fd, times) == 0;
}

int remove_pc_file(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : -1; }

}  // namespace korvane
