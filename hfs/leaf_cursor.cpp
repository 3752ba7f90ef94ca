#include "hfs/leaf_cursor.h"

#include "hfs/tree_descent.h"

namespace korvane {

LeafCursor::LeafCursor(HfsContext& ctx, TreeFile& tree) : ctx_(ctx), tree_(tree) {}

void LeafCursor::note_damage() {
    damaged_ = true;
    ++ctx_.damagedNodes;
}

bool LeafCursor::enter(std::uint32_t n) {
    onLeaf_ = false;
    if (!met_.insert(n).second) {
        note_damage();  // the chain came back: a loop, or a link back to an earlier leaf
        return false;
    }
    if (!read_node(tree_, n) || node_kind(tree_.node) != kLeafNode) {
        note_damage();
        return false;
    }
    leaf_ = tree_.node;
    node_ = n;
    index_ = 0;
    onLeaf_ = true;
    ++leavesEntered_;
    return true;
}

bool LeafCursor::start_at(std::uint32_t n, std::uint16_t index) {
    if (!enter(n)) return false;
    index_ = index;
    return true;
}

bool LeafCursor::start_at_first_leaf() {
    const std::uint32_t first = tree_first_leaf(tree_.header);
    if (first == 0) return false;
    return start_at(first);
}

// A healthy chain goes from each leaf to the one the index puts after it.
// A link elsewhere (one that skips leaves, or one that ends the chain early)
// is damage; the walk still follows it, as the index may be the damaged part.
bool LeafCursor::follow_link() {
    const std::uint32_t next = node_f_link(leaf_);
    const auto expected = index_successor(ctx_, tree_, node_);
    if (!expected || *expected != next) note_damage();
    onLeaf_ = false;
    return next != 0 && enter(next);
}

std::optional<LeafRecord> LeafCursor::next() {
    while (onLeaf_) {
        const std::uint16_t count = node_record_count(leaf_);
        while (index_ < count) {
            const std::uint16_t i = index_++;
            const auto record = record_bytes(leaf_, i);
            if (record) return LeafRecord{node_, i, *record};
            note_damage();
            // A count beyond what a node can hold leaves no record to find.
            if (count > kMaxRecordsPerNode) break;
        }
        if (!follow_link()) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace korvane
