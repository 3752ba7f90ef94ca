#include "hfs/fork_swap.h"

#include <algorithm>
#include <vector>

#include "hfs/catalog_records.h"
#include "hfs/file_attributes.h"
#include "hfs/fork_copy.h"
#include "hfs/leaf_insert.h"
#include "hfs/tree_keys.h"
#include "hfs/working_copies.h"
#include "hfs/write_back.h"

namespace korvane {
namespace {

// The first block, logical and physical lengths of a fork: 10 bytes each.
constexpr std::size_t kForkLengthsSize = 10;

struct ForkFields {
    std::uint8_t forkType;
    std::size_t physicalLength;
    std::size_t extents;
};

constexpr ForkFields kDataForkFields{kDataFork, filrec::dataPhysicalLength, filrec::dataExtents};
constexpr ForkFields kResourceForkFields{kResourceFork, filrec::resourcePhysicalLength, filrec::resourceExtents};

// A fork is wholly in the catalog record when its three extents hold its
// physical length and the extents tree holds nothing that continues it.
bool wholeInRecord(HfsContext& ctx, const FileRecordCopy& file, const ForkFields& fork) {
    const ExtentRecordBytes record(file.data.data() + fork.extents, kExtentRecordSize);
    std::uint32_t blocks = 0;
    for (int i = 0; i < 3; ++i) blocks += extentDescriptor(record, i).blockCount;
    if (std::uint64_t{blocks} * ctx.geometry.allocBlockSize != file.field32(fork.physicalLength)) return false;
    // Without a readable extents tree nothing proves the fork has no more extents.
    if (!openExtentsTree(ctx) || !ctx.extentsTree.complete) return false;
    return findExtentRecord(ctx, file.field32(filrec::fileNumber), static_cast<std::uint16_t>(blocks),
                            fork.forkType) == nullptr;
}

std::vector<std::uint8_t> swappedRecord(const FileRecordCopy& file) {
    std::vector<std::uint8_t> data(file.data.begin(), file.data.end());
    std::swap_ranges(data.begin() + filrec::dataStartBlock, data.begin() + filrec::dataStartBlock + kForkLengthsSize,
                     data.begin() + filrec::resourceStartBlock);
    std::swap_ranges(data.begin() + filrec::dataExtents, data.begin() + filrec::dataExtents + kExtentRecordSize,
                     data.begin() + filrec::resourceExtents);
    return data;
}

}  // namespace

SwapResult swapForks(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    const auto file = readFileRecord(ctx, parentID, name);
    if (!file) return SwapResult::NoSuchFile;
    if (!wholeInRecord(ctx, *file, kResourceForkFields)) return SwapResult::ResourceForkNotSwappable;
    if (!wholeInRecord(ctx, *file, kDataForkFields)) return SwapResult::DataForkNotSwappable;
    if (!startModification(ctx)) return SwapResult::Failed;
    const EditResult result = replaceRecordData(ctx, ctx.catalogTree, catalogKey(parentID, file->name), swappedRecord(*file));
    if (result != EditResult::Done) {
        if (result != EditResult::Failed) discardChanges(ctx);
        return SwapResult::Failed;
    }
    return writeBack(ctx) ? SwapResult::Swapped : SwapResult::Failed;
}

}  // namespace korvane
