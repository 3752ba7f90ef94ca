#pragma once
// The check of the volume's space: the extents tree, every fork's extents
// with its extents-overflow records, the blocks the forks occupy against
// each other, the end of the volume and the bitmap, and drFreeBks.

#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "hfs/catalog_check.h"
#include "hfs/check_report.h"
#include "hfs/hfs_context.h"

namespace korvane {

struct OverflowKey {
    std::uint32_t fileID = 0;
    std::uint8_t forkType = 0;
    std::uint16_t startBlock = 0;  // the fork's logical block where the record begins
    auto operator<=>(const OverflowKey&) const = default;
};

using OverflowRecords = std::map<OverflowKey, std::array<std::uint8_t, 12>>;

// Checks ctx.extentsTree's working copy as a B-tree and returns its records.
OverflowRecords check_extents_tree(const HfsContext& ctx, CheckReport& report);

// forks: those of the catalog's files; the catalog and extents files are
// added from the volume header. bitmap: the volume bitmap as read from the
// medium, or empty when it could not be read (its checks are then skipped).
void check_allocation(const HfsContext& ctx, const std::vector<ForkInfo>& forks, const OverflowRecords& overflow,
                      std::span<const std::uint8_t> bitmap, CheckReport& report);

}  // namespace korvane
