#pragma once
// The check of the catalog's contents: the B-tree itself (hfs/btree_check.h),
// then every record against the others: a thread for every folder and a
// folder for every thread, file threads against their files, each entry's
// folder, folder valences, unique catalog node IDs below drNxtCNID, and the
// file and folder counts of the volume header. It also gathers the forks of
// every file for the check of the allocation blocks.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hfs/check_report.h"
#include "hfs/hfs_context.h"

namespace korvane {

// One fork as the catalog (or, for the two tree files, the volume header)
// describes it.
struct ForkInfo {
    std::uint32_t fileID = 0;
    std::uint8_t forkType = 0;  // kDataFork or kResourceFork
    std::string description;    // "the data fork of file "Name" (ID 23)", for the report
    std::uint32_t logicalLength = 0;
    std::uint32_t physicalLength = 0;
    std::array<std::uint8_t, 12> firstExtents{};  // the extent record kept with the fork
};

// Checks ctx.catalogTree's working copy against itself and the volume
// header; returns the forks of the files it holds.
std::vector<ForkInfo> check_catalog(const HfsContext& ctx, CheckReport& report);

}  // namespace korvane
