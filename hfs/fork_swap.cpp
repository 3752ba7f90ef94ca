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

constexpr ForkFields kDataForkFields{kDataFork, filrec::dataPhysicalLength, filrec::data_extents};
constexpr ForkFields kResourceForkFields{kResourceFork, filrec::resourcePhysicalLength, filrec::resource_extents};

// A fork is wholly in the catalog record when its three extents hold its
// physical length and the extents tree holds nothing that continues it.
bool whole_in_record(HfsContext& ctx, const FileRecordCopy& file, const ForkFields& fork) {
    const ExtentRecordBytes record(file.data.data() + fork.extents, kExtentRecordSize);
    std::uint32_t blocks = 0;
    for (int i = 0; i < 3; ++i) blocks += extent_descriptor(record, i).block_count;
    if (std::uint64_t{blocks} * ctx.geometry.allocBlockSize != file.field32(fork.physicalLength)) return false;
    // Without a readable extents tree nothing proves the fork has no more extents.
    if (!open_extents_tree(ctx) || !ctx.extentsTree.complete) return false;
    return find_extent_record(ctx, file.field32(filrec::fileNumber), static_cast<std::uint16_t>(blocks),
                              fork.forkType) == nullptr;
}

std::vector<std::uint8_t> swapped_record(const FileRecordCopy& file) {
    std::vector<std::uint8_t> data(file.data.begin(), file.data.end());
    std::swap_ranges(data.begin() + filrec::dataStartBlock, data.begin() + filrec::dataStartBlock + kForkLengthsSize,
                     data.begin() + filrec::resourceStartBlock);
    std::swap_ranges(data.begin() + filrec::data_extents, data.begin() + filrec::data_extents + kExtentRecordSize,
                     data.begin() + filrec::resource_extents);
    return data;
}

}  // namespace

SwapResult swap_forks(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    const auto file = read_file_record(ctx, parentID, name);
    if (!file) return SwapResult::NoSuchFile;
    if (!whole_in_record(ctx, *file, kResourceForkFields)) return SwapResult::ResourceForkNotSwappable;
    if (!whole_in_record(ctx, *file, kDataForkFields)) return SwapResult::DataForkNotSwappable;
    if (!start_modification(ctx)) return SwapResult::Failed;
    const EditResult result =
            replace_record_data(ctx, ctx.catalogTree, catalog_key(parentID, file->name), swapped_record(*file));
    if (result != EditResult::Done) {
        if (result != EditResult::Failed) discard_changes(ctx);
        return SwapResult::Failed;
    }
    return write_back(ctx) ? SwapResult::Swapped : SwapResult::Failed;
}

}  // namespace korvane
