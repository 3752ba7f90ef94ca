#pragma once
// Where the allocation blocks of a damaged volume lie, found from what a
// rescue scan met on the medium: volume headers (the primary one, or the
// alternate copy near the volume's end when the primary is wiped), B-tree
// header nodes and catalog leaf nodes.
//
// A header read as the primary copy places the volume at once. Read as the
// alternate, it leaves the volume's exact end open by up to one allocation
// block and some slack; each possible place is scored by the nodes the scan
// found where that place puts them (leaves whose neighbours' links point
// back to them, B-tree header nodes at the start of both tree files), and
// the best one wins.

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/volume_geometry.h"
#include "hfs/btree_node.h"
#include "hfs/mdb_image.h"

namespace korvane {

struct ScanFindings {
    // Blocks that passed the volume header test, by sector (the first few).
    std::vector<std::pair<std::uint32_t, MdbImage>> headers;
    // Catalog leaf nodes by sector.
    std::unordered_map<std::uint32_t, NodeBuffer> leaves;
    std::unordered_set<std::uint32_t> treeHeaders;
};

inline constexpr std::size_t kMaxRescueHeaders = 8;

struct RescueGeometry {
    MdbImage header;
    VolumeGeometry geometry;
};

// The most likely volume, or nothing when the scan met no usable header.
std::optional<RescueGeometry> infer_geometry(const ScanFindings& findings);

}  // namespace korvane
