#include "util/pc_directory.h"

#include <unistd.h>

#include <memory>

namespace korvane {

std::string current_directory() {
    std::unique_ptr<char, decltype(&free)> path(getcwd(nullptr, 0), &free);
    return path ? std::string(path.get()) : std::string();
}

bool change_directory(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

}  // namespace korvane
