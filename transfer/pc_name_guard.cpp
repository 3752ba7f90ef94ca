#include "transfer/pc_name_guard.h"

#include <algorithm>

namespace korvane {

std::string safe_pc_component(std::string name) {
    std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '/' || c == '\0'; }, '_');
    if (name == "." || name == "..") name.assign(name.size(), '_');
    // A leading '.' would hide the file or folder on Linux; a name that is
    // only an extension (".txt") gets the "_" of an empty name before it.
    if (!name.empty() && name.front() == '.') name.insert(0, 1, '_');
    return name;
}

}  // namespace korvane
