#include "hfs/allocation_check.h"

#include <algorithm>
#include <set>
#include <string>

#include "hfs/btree_check.h"
#include "hfs/catalog_records.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

// The bad-block file: its blocks are recorded only in the extents tree.
constexpr std::uint32_t kBadBlockFileID = 5;
constexpr int kNoOwner = -1;
// drAtrb: locked by software or by the hardware (a CD, for one).
constexpr std::uint16_t kVolumeLockBits = 0x8080;

// A locked volume is never written, and hybrid discs mark the blocks of
// their other file system (ISO 9660) in use without any HFS file owning
// them: blocks that belong to no file are damage only on a volume that
// can be written.
bool unowned_blocks_matter(const MdbImage& mdb) {
    return (load_be16(mdb.bytes.data() + mdb::drAtrb) & kVolumeLockBits) == 0;
}

std::string block_span(std::uint32_t first, std::uint32_t last) {
    if (first == last) return "block " + std::to_string(first);
    return "blocks " + std::to_string(first) + "-" + std::to_string(last);
}

// Opens a sentence about the blocks first..last.
std::string blocks(std::uint32_t first, std::uint32_t last) {
    return capitalised(block_span(first, last)) + (first == last ? " is" : " are");
}

std::string fork_type_name(std::uint8_t forkType) { return forkType == kDataFork ? "data fork" : "resource fork"; }

ForkInfo tree_file_fork(std::uint32_t fileID, const char* description, std::uint32_t size,
                        std::span<const std::uint8_t, 12> extents) {
    ForkInfo fork;
    fork.fileID = fileID;
    fork.forkType = kDataFork;
    fork.description = description;
    fork.logicalLength = size;
    fork.physicalLength = size;
    std::copy(extents.begin(), extents.end(), fork.firstExtents.begin());
    return fork;
}

// What the bitmap says of a block against what the forks say.
enum class BitmapState { Agrees, InUseButFree, MarkedButUnused };

// Blocks that two owners claim, gathered into runs so that a shared extent
// is one line of the report.
struct SharedRun {
    int first = kNoOwner;
    int second = kNoOwner;
    std::uint32_t start = 0;
    std::uint32_t end = 0;  // last block of the run
};

class AllocationChecker {
public:
    AllocationChecker(const HfsContext& ctx, const OverflowRecords& overflow, CheckReport& report)
        : volumeBlocks_(ctx.mdb.allocation_blocks()),
          blockSize_(ctx.mdb.allocation_block_size()),
          freeBlocks_(ctx.mdb.free_blocks()),
          unownedBlocksMatter_(unowned_blocks_matter(ctx.mdb)),
          overflow_(overflow),
          report_(report),
          owners_(volumeBlocks_, kNoOwner) {}

    void walk_fork(const ForkInfo& fork) {
        const int owner = add_owner(fork.description);
        std::array<std::uint8_t, 12> record = fork.firstExtents;
        const std::uint64_t needed =
                blockSize_ == 0 ? 0 : (std::uint64_t{fork.physicalLength} + blockSize_ - 1) / blockSize_;
        std::uint32_t total = 0;
        bool missing = false;
        // Each record must add blocks, so the volume's block count bounds the walk.
        for (std::uint32_t records = 0; records <= volumeBlocks_; ++records) {
            const std::uint32_t before = total;
            claim_record(record, owner, fork.description, total);
            if (total >= needed) break;
            const OverflowKey key{fork.fileID, fork.forkType, static_cast<std::uint16_t>(total)};
            const auto next = overflow_.find(key);
            // The extents file lies in the volume header's record alone.
            if (total == before || total > 0xFFFF || fork.fileID == kExtentsFileID || next == overflow_.end()) {
                report_.add(capitalised(fork.description) + " lacks the extents record for its blocks from block " +
                            std::to_string(total) + " on.");
                missing = true;
                break;
            }
            used_.insert(key);
            record = next->second;
        }
        const std::uint64_t held = std::uint64_t{total} * blockSize_;
        if (!missing && held != fork.physicalLength) {
            report_.add(capitalised(fork.description) + " has a physical length of " +
                        std::to_string(fork.physicalLength) + " bytes, but its extents hold " + std::to_string(held) +
                        " bytes.");
        }
        if (fork.logicalLength > fork.physicalLength) {
            report_.add(capitalised(fork.description) + " is " + std::to_string(fork.logicalLength) +
                        " bytes long, more than the " + std::to_string(fork.physicalLength) + " bytes given to it.");
        }
    }

    // The bad-block file's records and the records that no fork reached.
    void check_unused_records(const std::vector<ForkInfo>& forks) {
        const int badBlocks = add_owner("the bad-block file");
        for (const auto& entry : overflow_) {
            const OverflowKey& key = entry.first;
            if (key.fileID == kBadBlockFileID) {
                std::uint32_t ignored = 0;
                claim_record(entry.second, badBlocks, "the bad-block file", ignored);
                continue;
            }
            if (used_.contains(key)) continue;
            const auto fork = std::find_if(forks.begin(), forks.end(), [&key](const ForkInfo& f) {
                return f.fileID == key.fileID && f.forkType == key.forkType;
            });
            const std::string where = " from its block " + std::to_string(key.startBlock) + " on";
            if (fork != forks.end()) {
                report_.add("The extents tree holds a record for " + fork->description + where +
                            " that the fork does not need.");
            } else {
                report_.add("The extents tree holds a record for the " + fork_type_name(key.forkType) + " of file ID " +
                            std::to_string(key.fileID) + where + ", but there is no such file.");
            }
        }
    }

    void check_bitmap(std::span<const std::uint8_t> bitmap) {
        if (bitmap.size() * 8 < volumeBlocks_) return;
        std::uint32_t free = 0;
        std::uint32_t run_start = 0;
        BitmapState runState = BitmapState::Agrees;
        int runOwner = kNoOwner;
        // One step past the last block closes the last run.
        for (std::uint32_t b = 0; b <= volumeBlocks_; ++b) {
            BitmapState state = BitmapState::Agrees;
            int owner = kNoOwner;
            if (b < volumeBlocks_) {
                const bool marked = (bitmap[b / 8] >> (7 - b % 8) & 1) != 0;
                owner = owners_[b];
                free += marked ? 0 : 1;
                if (marked != (owner != kNoOwner)) {
                    state = marked ? BitmapState::MarkedButUnused : BitmapState::InUseButFree;
                }
            }
            if (state == runState && owner == runOwner) continue;
            report_bitmap_run(runState, runOwner, run_start, b - 1);
            runState = state;
            runOwner = owner;
            run_start = b;
        }
        if (free != freeBlocks_) {
            report_.add("The volume header counts " + std::to_string(freeBlocks_) +
                        " free blocks (drFreeBks), the bitmap " + std::to_string(free) + ".");
        }
    }

private:
    int add_owner(const std::string& description) {
        ownerNames_.push_back(description);
        return static_cast<int>(ownerNames_.size() - 1);
    }

    void claim_record(const std::array<std::uint8_t, 12>& record, int owner, const std::string& description,
                      std::uint32_t& total) {
        for (int i = 0; i < 3; ++i) {
            const ExtentDescriptor extent = extent_descriptor(ExtentRecordBytes(record), i);
            if (extent.block_count == 0) continue;
            total += extent.block_count;
            const std::uint32_t end = std::uint32_t{extent.startBlock} + extent.block_count;
            if (end > volumeBlocks_) {
                report_.add(capitalised(description) + " has blocks beyond the end of the volume (" +
                            block_span(extent.startBlock, end - 1) + " of a volume of " +
                            std::to_string(volumeBlocks_) + " blocks).");
            }
            for (std::uint32_t b = extent.startBlock; b < std::min(end, volumeBlocks_); ++b) claim(b, owner);
            flush_shared();
        }
    }

    void claim(std::uint32_t b, int owner) {
        const int holder = owners_[b];
        if (holder == kNoOwner) {
            owners_[b] = owner;
            return;
        }
        if (shared_.first == holder && shared_.second == owner && shared_.end + 1 == b) {
            shared_.end = b;
            return;
        }
        flush_shared();
        shared_ = {holder, owner, b, b};
    }

    void flush_shared() {
        if (shared_.first == kNoOwner) return;
        const std::string& first = ownerNames_[static_cast<std::size_t>(shared_.first)];
        const std::string& second = ownerNames_[static_cast<std::size_t>(shared_.second)];
        report_.add(blocks(shared_.start, shared_.end) +
                    (shared_.first == shared_.second ? " used twice by " + first
                                                     : " used by both " + first + " and " + second) +
                    ".");
        shared_ = {};
    }

    void report_bitmap_run(BitmapState state, int owner, std::uint32_t first, std::uint32_t last) {
        if (state == BitmapState::InUseButFree) {
            report_.add(blocks(first, last) + " used by " + ownerNames_[static_cast<std::size_t>(owner)] +
                        " but marked free in the bitmap.");
        } else if (state == BitmapState::MarkedButUnused && unownedBlocksMatter_) {
            report_.add(blocks(first, last) + " marked in use in the bitmap but not used by any file.");
        }
    }

    std::uint32_t volumeBlocks_;
    std::uint32_t blockSize_;
    std::uint32_t freeBlocks_;
    bool unownedBlocksMatter_;
    const OverflowRecords& overflow_;
    CheckReport& report_;
    std::vector<int> owners_;  // per allocation block: an index into ownerNames_
    std::vector<std::string> ownerNames_;
    std::set<OverflowKey> used_;
    SharedRun shared_;
};

}  // namespace

OverflowRecords check_extents_tree(const HfsContext& ctx, CheckReport& report) {
    OverflowRecords records;
    check_b_tree(ctx.extentsTree, TreeKind::Extents, report, [&](const LeafRecord& record) {
        if (record.data.size() < kExtentRecordSize) {
            report.add("Extents tree node " + std::to_string(record.node) + ": a record is too short.");
            return;
        }
        std::array<std::uint8_t, 12> extents{};
        std::copy_n(record.data.begin(), kExtentRecordSize, extents.begin());
        records.emplace(OverflowKey{record.key.id, record.key.forkType, record.key.startBlock}, extents);
    });
    return records;
}

void check_allocation(const HfsContext& ctx, const std::vector<ForkInfo>& forks, const OverflowRecords& overflow,
                      std::span<const std::uint8_t> bitmap, CheckReport& report) {
    std::vector<ForkInfo> all = {
            tree_file_fork(kExtentsFileID, "the extents file", ctx.mdb.extents_file_size(), ctx.mdb.extents_extents()),
            tree_file_fork(kCatalogFileID, "the catalog file", ctx.mdb.catalog_file_size(), ctx.mdb.catalog_extents())};
    all.insert(all.end(), forks.begin(), forks.end());
    AllocationChecker checker(ctx, overflow, report);
    for (const ForkInfo& fork : all) checker.walk_fork(fork);
    checker.check_unused_records(all);
    checker.check_bitmap(bitmap);
}

}  // namespace korvane
