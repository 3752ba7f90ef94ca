#include "hfs/leaf_cursor.h"

#include "hfs/tree_descent.h"

namespace korvane {

LeafCursor::LeafCursor(HfsContext& ctx, TreeFile& tree) : ctx_(ctx), tree_(tree) {}

void LeafCursor::noteDamage() {
    damaged_ = true;
    ++ctx_.damagedNodes;
}

bool LeafCursor::enter(std::uint32_t n) {
    onLeaf_ = false;
    if (!met_.insert(n).second) {
        noteDamage();  // the chain came back: a loop, or a link back to an earlier leaf
        return false;
    }
    if (!readNode(tree_, n) || nodeKind(tree_.node) != kLeafNode) {
        noteDamage();
        return false;
    }
    leaf_ = tree_.node;
    node_ = n;
    index_ = 0;
    onLeaf_ = true;
    ++leavesEntered_;
    return true;
}

bool LeafCursor::startAt(std::uint32_t n, std::uint16_t index) {
    if (!enter(n)) return false;
    index_ = index;
    return true;
}

bool LeafCursor::startAtFirstLeaf() {
    const std::uint32_t first = treeFirstLeaf(tree_.header);
    if (first == 0) return false;
    return startAt(first);
}

// A healthy chain goes from each leaf to the one the index puts after it.
// A link elsewhere (one that skips leaves, or one that ends the chain early)
// is damage; the walk still follows it, as the index may be the damaged part.
bool LeafCursor::followLink() {
    const std::uint32_t next = nodeFLink(leaf_);
    const auto expected = indexSuccessor(ctx_, tree_, node_);
    if (!expected || *expected != next) noteDamage();
    onLeaf_ = false;
    return next != 0 && enter(next);
}

std::optional<LeafRecord> LeafCursor::next() {
    while (onLeaf_) {
        const std::uint16_t count = nodeRecordCount(leaf_);
        while (index_ < count) {
            const std::uint16_t i = index_++;
            const auto record = recordBytes(leaf_, i);
            if (record) return LeafRecord{node_, i, *record};
            noteDamage();
            // A count beyond what a node can hold leaves no record to find.
            if (count > kMaxRecordsPerNode) break;
        }
        if (!followLink()) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace korvane
