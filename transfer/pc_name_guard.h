#pragma once
// Names taken from a Macintosh volume may hold any character, "/" and NUL
// included, and a folder may be called "." or "..". Every name that becomes a
// PC path component passes through here, so that no volume can make Korvane
// write outside the directory it is filling.

#include <string>

namespace korvane {

// Path separators and NUL become '_'; "." and ".." become "_" and "__"; a
// name that starts with '.' gets a '_' before it, so that no copy is hidden.
// An empty name stays empty (callers decide what an empty name means).
std::string safe_pc_component(std::string name);

}  // namespace korvane
