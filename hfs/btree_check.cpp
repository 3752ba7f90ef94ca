#include "hfs/btree_check.h"

#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "hfs/catalog_records.h"
#include "hfs/name_order.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr std::uint16_t kHeaderMapRecord = 2;
constexpr std::uint16_t kMapNodeRecord = 0;

struct ParsedKey {
    TreeKey key;
    std::size_t dataOffset = 0;
};

std::optional<ParsedKey> parse_key(TreeKind kind, std::span<const std::uint8_t> record) {
    if (kind == TreeKind::Catalog) {
        const auto key = parse_catalog_key(record);
        if (!key) return std::nullopt;
        return ParsedKey{{key->parentID, 0, 0, std::string(key->name)}, record_data_offset(key->keyLength)};
    }
    const std::size_t keySize = 1 + kExtentsKeyLength;
    if (record.size() < keySize || record[0] != kExtentsKeyLength) return std::nullopt;
    return ParsedKey{{load_be32(record.data() + 2), record[1], load_be16(record.data() + 6), {}}, keySize};
}

std::string node_name(std::uint32_t n) { return n == 0 ? "nothing" : "node " + std::to_string(n); }

std::string kind_name(std::int8_t kind) {
    switch (kind) {
        case kLeafNode:
            return "a leaf node";
        case kIndexNode:
            return "an index node";
        case kHeaderNode:
            return "a header node";
        case kMapNode:
            return "a map node";
        default:
            return "a node of unknown kind " + std::to_string(kind);
    }
}

// Records lie one after the other from the descriptor on, at even offsets,
// and the free space begins after the last one and before the offset table.
bool records_packed(const NodeBuffer& node, std::uint16_t count) {
    const std::size_t table_start = kNodeSize - 2 * (std::size_t{count} + 1);
    std::size_t previous = kNodeDescriptorSize;
    if (record_offset(node, 0) != previous) return false;
    for (std::uint16_t i = 1; i <= count; ++i) {
        const std::size_t offset = record_offset(node, i);
        if (offset <= previous || offset % 2 != 0 || offset > table_start) return false;
        previous = offset;
    }
    return true;
}

// Record i of a packed node, exactly as long as it is.
std::span<const std::uint8_t> exact_record(const NodeBuffer& node, std::uint16_t i) {
    const std::size_t offset = record_offset(node, i);
    return {node.data() + offset, record_offset(node, static_cast<std::uint16_t>(i + 1)) - offset};
}

struct LeafLinks {
    std::uint32_t node;
    std::uint32_t fLink;
    std::uint32_t bLink;
};

// A node the index points to, with the index key that leads there.
struct ChildRef {
    std::uint32_t node;
    std::optional<TreeKey> indexKey;
};

class TreeChecker {
public:
    TreeChecker(const TreeFile& tree, TreeKind kind, CheckReport& report, const LeafVisitor& visit)
        : tree_(tree), kind_(kind), report_(report), visit_(visit) {}

    void run() {
        if (!read_tree_node(tree_, 0, header_) || node_kind(header_) != kHeaderNode) {
            problem("header", "node 0 is not a header node; the tree cannot be checked");
            return;
        }
        totalNodes_ = tree_total_nodes(header_);
        const std::uint32_t fileNodes = tree_.fileSize / kNodeSize;
        if (totalNodes_ != fileNodes) {
            problem("header", "total_nodes is " + std::to_string(totalNodes_) + ", the tree file holds " +
                                      std::to_string(fileNodes) + " nodes");
        }
        limit_ = std::min(totalNodes_, fileNodes);
        reached_.assign(limit_, false);
        if (limit_ > 0) reached_[0] = true;
        read_map();
        walk_tree();
        check_map_against_tree();
    }

private:
    std::string title() const { return kind_ == TreeKind::Catalog ? "Catalog" : "Extents tree"; }

    void problem(const std::string& where, const std::string& text) {
        report_.add(title() + " " + where + ": " + text + ".");
    }
    void node_problem(std::uint32_t n, const std::string& text) { problem("node " + std::to_string(n), text); }

    bool in_map(std::uint32_t n) const { return n < map_.size() && map_[n]; }

    void append_map_bits(std::span<const std::uint8_t> bits) {
        for (const std::uint8_t byte : bits) {
            for (int bit = 7; bit >= 0; --bit) map_.push_back(((byte >> bit) & 1) != 0);
        }
    }

    // The map record of the header node, then those of the map nodes that
    // follow it through fLink.
    void read_map() {
        const auto headerMap = record_bytes(header_, kHeaderMapRecord);
        if (!headerMap) {
            problem("header", "the node map record is missing");
            return;
        }
        append_map_bits(headerMap->first(std::min<std::size_t>(headerMap->size(), header::allocationMapSize)));
        std::uint32_t n = node_f_link(header_);
        for (std::uint32_t steps = 0; n != 0 && steps < limit_; ++steps) {
            NodeBuffer node{};
            if (n >= limit_ || reached_[n] || !read_tree_node(tree_, n, node) || node_kind(node) != kMapNode) {
                node_problem(n, "the chain of map nodes leads here, but this is not a map node of the tree");
                return;
            }
            reached_[n] = true;
            const auto bits = record_bytes(node, kMapNodeRecord);
            if (bits) append_map_bits(*bits);
            n = node_f_link(node);
        }
    }

    void walk_tree() {
        const std::uint16_t depth = tree_depth(header_);
        const std::uint32_t root = tree_root_node(header_);
        if (depth == 0 || root == 0) {
            if (depth != 0 || root != 0) {
                problem("header", "depth is " + std::to_string(depth) + " but rootNode is " + std::to_string(root));
            }
            check_header_counts();
            return;
        }
        NodeBuffer rootNode{};
        int height = depth;
        if (root < limit_ && read_tree_node(tree_, root, rootNode) && node_height(rootNode) != depth) {
            problem("header", "depth is " + std::to_string(depth) + ", the root node has height " +
                                      std::to_string(node_height(rootNode)));
            height = node_height(rootNode);
        }
        std::vector<ChildRef> level{{root, std::nullopt}};
        for (; height >= 1 && !level.empty(); --height) {
            std::vector<ChildRef> below;
            std::optional<TreeKey> previous;
            for (const ChildRef& child : level) visit_node(child, height, below, previous);
            level = std::move(below);
        }
        check_header_counts();
        check_leaf_chain();
    }

    void visit_node(const ChildRef& child, int height, std::vector<ChildRef>& below, std::optional<TreeKey>& previous) {
        const std::uint32_t n = child.node;
        if (n == 0 || n >= limit_) {
            problem("index", "a record points to " + node_name(n) + ", outside the tree");
            return;
        }
        if (reached_[n]) {
            node_problem(n, "it is reached twice from the index");
            return;
        }
        reached_[n] = true;
        if (!map_.empty() && !in_map(n)) node_problem(n, "it is part of the tree but marked free in the node map");
        NodeBuffer node{};
        if (!read_tree_node(tree_, n, node)) {
            node_problem(n, "it could not be read");
            return;
        }
        const bool leaf = height == 1;
        const std::int8_t expected = leaf ? kLeafNode : kIndexNode;
        if (node_kind(node) != expected) {
            node_problem(n, "it should be " + kind_name(expected) + " but is " + kind_name(node_kind(node)));
            return;
        }
        if (node_height(node) != height) {
            node_problem(
                    n, "its height is " + std::to_string(node_height(node)) + " instead of " + std::to_string(height));
        }
        const std::uint16_t count = node_record_count(node);
        if (count == 0 || count > kMaxRecordsPerNode) {
            node_problem(n, "it holds " + std::to_string(count) + " records");
            if (count > kMaxRecordsPerNode) return;
        }
        const bool packed = records_packed(node, count);
        if (!packed) node_problem(n, "its record offsets are out of order or outside the node");
        for (std::uint16_t i = 0; i < count; ++i) {
            const auto record = packed ? exact_record(node, i) : record_bytes(node, i);
            const auto parsed = record ? parse_key(kind_, *record) : std::nullopt;
            if (!parsed) {
                node_problem(n, "record " + std::to_string(i) + " is damaged");
                continue;
            }
            if (i == 0 && child.indexKey && !(parsed->key == *child.indexKey)) {
                node_problem(n, "its first key differs from the index key that points to it");
            }
            if (previous && compare_keys(*previous, parsed->key) >= 0) {
                node_problem(n, i == 0 ? "its first key does not sort after the last key of the node before it"
                                       : "record " + std::to_string(i) + " is out of order");
            }
            previous = parsed->key;
            const auto data = record->subspan(std::min(parsed->dataOffset, record->size()));
            if (leaf) {
                ++leafRecords_;
                visit_(LeafRecord{parsed->key, data, n});
            } else if (data.size() < 4) {
                node_problem(n, "record " + std::to_string(i) + " has no child node");
            } else {
                below.push_back({load_be32(data.data()), parsed->key});
            }
        }
        if (leaf) leaves_.push_back({n, node_f_link(node), node_b_link(node)});
    }

    void check_header_counts() {
        const auto expect = [this](const char* field, std::uint32_t stored, std::uint32_t actual, const char* what) {
            if (stored == actual) return;
            problem("header",
                    std::string(field) + " is " + std::to_string(stored) + ", " + what + " " + std::to_string(actual));
        };
        expect("leafRecords", tree_leaf_records(header_), leafRecords_, "the leaves hold");
        expect("firstLeaf", tree_first_leaf(header_), leaves_.empty() ? 0 : leaves_.front().node, "the first leaf is");
        expect("lastLeaf", tree_last_leaf(header_), leaves_.empty() ? 0 : leaves_.back().node, "the last leaf is");
    }

    // The leaves in key order must be linked to each other both ways.
    void check_leaf_chain() {
        for (std::size_t i = 0; i < leaves_.size(); ++i) {
            const std::uint32_t next = i + 1 < leaves_.size() ? leaves_[i + 1].node : 0;
            const std::uint32_t before = i > 0 ? leaves_[i - 1].node : 0;
            if (leaves_[i].fLink != next) {
                node_problem(leaves_[i].node, "its forward link (fLink) points to " + node_name(leaves_[i].fLink) +
                                                      " instead of " + node_name(next));
            }
            if (leaves_[i].bLink != before) {
                node_problem(leaves_[i].node, "its backward link (bLink) points to " + node_name(leaves_[i].bLink) +
                                                      " instead of " + node_name(before));
            }
        }
    }

    void check_map_against_tree() {
        if (map_.empty()) return;
        if (map_.size() < totalNodes_) {
            problem("header", "the node map covers " + std::to_string(map_.size()) + " of the " +
                                      std::to_string(totalNodes_) + " nodes");
        }
        const std::uint32_t mapped = std::min<std::uint32_t>(totalNodes_, static_cast<std::uint32_t>(map_.size()));
        const auto used = static_cast<std::uint32_t>(std::count(map_.begin(), map_.begin() + mapped, true));
        if (tree_free_nodes(header_) != totalNodes_ - used) {
            problem("header", "freeNodes is " + std::to_string(tree_free_nodes(header_)) + ", the node map leaves " +
                                      std::to_string(totalNodes_ - used) + " nodes free");
        }
        if (!in_map(0)) problem("header", "the node map marks the header node free");
        std::uint32_t strays = 0;
        std::uint32_t firstStray = 0;
        for (std::uint32_t n = 1; n < std::min(limit_, mapped); ++n) {
            if (!map_[n] || reached_[n]) continue;
            if (strays++ == 0) firstStray = n;
        }
        if (strays > 0) {
            problem("header", std::to_string(strays) +
                                      " nodes are marked in use in the node map but are not part of "
                                      "the tree (the first is node " +
                                      std::to_string(firstStray) + ")");
        }
    }

    const TreeFile& tree_;
    TreeKind kind_;
    CheckReport& report_;
    const LeafVisitor& visit_;
    NodeBuffer header_{};
    std::uint32_t totalNodes_ = 0;
    std::uint32_t limit_ = 0;  // nodes that exist both in the header and in the file
    std::vector<bool> map_;
    std::vector<bool> reached_;
    std::vector<LeafLinks> leaves_;
    std::uint32_t leafRecords_ = 0;
};

}  // namespace

int compare_keys(const TreeKey& a, const TreeKey& b) {
    if (a.id != b.id) return a.id < b.id ? -1 : 1;
    if (a.forkType != b.forkType) return a.forkType < b.forkType ? -1 : 1;
    if (a.startBlock != b.startBlock) return a.startBlock < b.startBlock ? -1 : 1;
    return compare_names(a.name, b.name);
}

void check_b_tree(const TreeFile& tree, TreeKind kind, CheckReport& report, const LeafVisitor& visit) {
    TreeChecker(tree, kind, report, visit).run();
}

}  // namespace korvane
