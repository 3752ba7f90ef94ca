#pragma once
// The PC's current directory, saved at start and restored at exit.

#include <string>

namespace korvane {

// The absolute path of the current directory ("" when it cannot be read).
std::string current_directory();
// Makes path the current directory; false when that fails.
bool change_directory(const std::string& path);

}  // namespace korvane
