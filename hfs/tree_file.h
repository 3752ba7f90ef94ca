#pragma once
// The working copy of one B-tree (catalog or extents) in a temporary file.

namespace korvane {

struct TreeFile {};

}  // namespace korvane
