#include "transfer/pc_name_guard.h"

#include <algorithm>

namespace korvane {

std::string safe_pc_component(std::string name) {
    std::replace_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\0'; }, '_');
    if (name == "." || name == "..") name.assign(name.size(), '_');
    return name;
}

}  // namespace korvane
