#include "hfs/catalog_search.h"

#include "hfs/name_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

// HFS trees are at most 8 levels deep; a deeper descent is a cycle.
inline constexpr int kMaxTreeDepth = 16;

bool hasWildcard(std::string_view name) { return name.find('*') != std::string_view::npos; }

struct IndexEntry {
    CatalogKey key;
    std::uint32_t child = 0;
};

std::optional<IndexEntry> indexEntry(const NodeBuffer& node, std::uint16_t i) {
    const auto record = recordBytes(node, i);
    if (!record) return std::nullopt;
    const auto key = parseCatalogKey(*record);
    if (!key) return std::nullopt;
    const auto child = indexChildNode(*record, *key);
    if (!child) return std::nullopt;
    return IndexEntry{*key, *child};
}

// The child of one index node to follow for (parentID, name), or nothing
// when the node is damaged. Index keys are the first keys of their children,
// so the search goes into the last child whose key does not sort after the
// one sought. A wildcard pattern may match names before an equal index key,
// so it goes one child further left on equality.
std::optional<std::uint32_t> childToFollow(const NodeBuffer& node, std::string_view name, std::uint32_t parentID) {
    const std::uint16_t count = nodeRecordCount(node);
    std::optional<std::uint32_t> previous;
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto entry = indexEntry(node, i);
        if (!entry) return std::nullopt;
        const std::uint32_t p = entry->key.parentID;
        if (p < parentID) {
            previous = entry->child;
            continue;
        }
        if (p == parentID) {
            const bool starAhead = !name.empty() && name[0] == '*' && !entry->key.name.empty();
            const int c = starAhead ? -1 : matchName(name, entry->key.name);
            if (c > 0) {
                previous = entry->child;
                continue;
            }
            if (c == 0 && !hasWildcard(name)) return entry->child;
        }
        return previous.value_or(entry->child);
    }
    return previous;
}

// Reads the next leaf of the chain after the one in the buffer. False at the
// end of the chain or on damage (counted).
bool readNextLeaf(HfsContext& ctx) {
    TreeFile& tree = ctx.catalogTree;
    const std::uint32_t next = nodeFLink(tree.node);
    if (next == 0) return false;
    if (!readNode(tree, next) || nodeKind(tree.node) != kLeafNode) {
        ++ctx.damagedNodes;
        return false;
    }
    return true;
}

bool kindMatches(int asked, std::uint8_t recordKind) {
    if (asked == kAnyEntry) return recordKind == kDirectoryRecord || recordKind == kFileRecord;
    return asked == recordKind;
}

enum class LeafScan { Found, NotHere, Stop };

// Scans the leaf in the buffer from record 0 for findEntry.
LeafScan scanLeaf(HfsContext& ctx, std::string_view name, int kind, std::uint32_t parentID, FoundEntry& found) {
    TreeFile& tree = ctx.catalogTree;
    const std::uint16_t count = nodeRecordCount(tree.node);
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto record = recordBytes(tree.node, i);
        const auto key = record ? parseCatalogKey(*record) : std::nullopt;
        if (!key) {
            ++ctx.damagedNodes;
            continue;
        }
        if (key->parentID > parentID) return LeafScan::Stop;
        if (key->parentID < parentID) continue;
        if (!hasWildcard(name) && !key->name.empty() && comparePrefix(name, key->name, 1) < 0) return LeafScan::Stop;
        const auto data = catalogRecordData(*record, *key);
        if (!isWholeRecord(data)) {
            ++ctx.damagedNodes;
            continue;
        }
        const bool matches = data[0] == kDirectoryThreadRecord
                                 ? kind == kDirectoryThread
                                 : !key->name.empty() && kindMatches(kind, data[0]) && matchName(name, key->name) == 0;
        if (matches) {
            tree.recordIndex = i;
            found = FoundEntry{tree.nodeNumber, i, *key, data};
            return LeafScan::Found;
        }
    }
    return LeafScan::NotHere;
}

}  // namespace

std::optional<std::uint32_t> descend(HfsContext& ctx, std::string_view name, std::uint32_t parentID) {
    TreeFile& tree = ctx.catalogTree;
    for (int level = 0; level < kMaxTreeDepth; ++level) {
        if (nodeKind(tree.node) == kLeafNode) return tree.nodeNumber;
        const auto child = nodeKind(tree.node) == kIndexNode ? childToFollow(tree.node, name, parentID) : std::nullopt;
        if (!child || !readNode(tree, *child)) break;
    }
    ++ctx.damagedNodes;
    return std::nullopt;
}

std::optional<FoundEntry> findEntry(HfsContext& ctx, std::string_view name, int kind, std::uint32_t parentID) {
    TreeFile& tree = ctx.catalogTree;
    const std::uint32_t root = treeRootNode(tree.header);
    if (root == 0 || treeDepth(tree.header) == 0) return std::nullopt;  // an empty catalog
    if (!readNode(tree, root)) {
        ++ctx.damagedNodes;
        return std::nullopt;
    }
    if (!descend(ctx, name, parentID)) return std::nullopt;
    FoundEntry found;
    // A leaf chain holds each node once; more steps than nodes is a cycle.
    for (std::uint32_t steps = 0; steps < tree.nodeLimit(); ++steps) {
        const LeafScan scan = scanLeaf(ctx, name, kind, parentID, found);
        if (scan == LeafScan::Found) return found;
        if (scan == LeafScan::Stop || !readNextLeaf(ctx)) return std::nullopt;
    }
    ++ctx.damagedNodes;
    return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> currentRecord(const TreeFile& tree) {
    if (!tree.nodeValid) return std::nullopt;
    return recordBytes(tree.node, tree.recordIndex);
}

int entryKind(HfsContext& ctx, std::string_view pcName) {
    const std::string macName = translated(trimTrailingBlanks(pcName), ansi_to_mac);
    const auto found = findEntry(ctx, macName, kAnyEntry, ctx.state.current_dir_id);
    return found ? found->kind() : 0;
}

}  // namespace korvane
