#pragma once
// One walk along the leaf chain of a B-tree, record by record, that every
// reader of the leaves shares. It keeps a copy of the leaf it stands on, so
// other reads of the same tree (a lookup, the walk of a nested folder) may
// go on meanwhile.
//
// When a record handed out stops being valid: its bytes lie in the cursor's
// copy of the leaf and stay valid until the next call of next(). The cursor
// as a whole becomes stale when the tree is written (write_node): start a new
// one after any change.
//
// The walk never loops and never hands out a record twice: it stops when the
// chain comes back to a leaf it has met, and everything it meets on the way
// that is not what the tree says should be there counts as damage (and in
// ctx.damagedNodes): a node that cannot be read or is not a leaf, a record
// outside its node, a link to another leaf than the one the index puts next.

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_set>

#include "hfs/hfs_context.h"

namespace korvane {

struct LeafRecord {
    std::uint32_t node = 0;
    std::uint16_t index = 0;
    std::span<const std::uint8_t> bytes;  // key and data, in the cursor's copy of the leaf
};

class LeafCursor {
public:
    LeafCursor(HfsContext& ctx, TreeFile& tree);

    // Places the cursor before record index of leaf n. False (damage) when n
    // cannot be read or is not a leaf; next() then finds nothing.
    bool start_at(std::uint32_t n, std::uint16_t index = 0);
    // Before the first record of the tree's first leaf (an empty tree has none).
    bool start_at_first_leaf();

    // The next record in key order, across leaves; nothing at the end of the
    // chain or where the walk stops at damage.
    std::optional<LeafRecord> next();

    bool damaged() const { return damaged_; }
    // Leaves entered so far (the first one included).
    std::uint32_t leaves_entered() const { return leavesEntered_; }

private:
    bool enter(std::uint32_t n);
    bool follow_link();
    void note_damage();

    HfsContext& ctx_;
    TreeFile& tree_;
    NodeBuffer leaf_{};
    std::uint32_t node_ = 0;
    std::uint16_t index_ = 0;
    bool onLeaf_ = false;
    bool damaged_ = false;
    std::uint32_t leavesEntered_ = 0;
    std::unordered_set<std::uint32_t> met_;
};

}  // namespace korvane
