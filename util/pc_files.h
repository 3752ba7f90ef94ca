#pragma once
// PC files for copies: DOS time stamps and removal.

#include <cstdint>
#include <ctime>
#include <string>

namespace korvane {

// The MS-DOS date and time of a regular file (date word high, time word low,
// local time, 2-second resolution); 0 when no regular file has that name;
// 0xFFFFFFFF for a file whose stamp would be 0. Callers use it to test
// whether a file exists.
std::uint32_t file_stamp(const std::string& path);
// The stamp of a local calendar time (years outside 1980-2107 are clamped).
std::uint32_t dos_stamp(const std::tm& local_time);
// Sets a file's modification (and access) time from a local calendar time.
bool set_file_time(int fd, const std::tm& local_time);

// 0 when the file was removed.
int remove_pc_file(const std::string& path);

}  // namespace korvane
