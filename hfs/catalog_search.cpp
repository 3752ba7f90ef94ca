#include "hfs/catalog_search.h"

#include "hfs/leaf_cursor.h"
#include "hfs/name_order.h"
#include "hfs/tree_descent.h"
#include "util/byte_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

bool hasWildcard(std::string_view name) { return name.find('*') != std::string_view::npos; }

bool kindMatches(int asked, std::uint8_t recordKind) {
    if (asked == kAnyEntry) return recordKind == kDirectoryRecord || recordKind == kFileRecord;
    return asked == recordKind;
}

enum class RecordTest { Match, Next, Stop };

// What findEntry makes of one leaf record. Records are in key order, so the
// search ends at the first key past the names that could match.
RecordTest testRecord(HfsContext& ctx, std::span<const std::uint8_t> record, std::string_view name, int kind,
                      std::uint32_t parentID) {
    const auto key = parseCatalogKey(record);
    if (!key) {
        ++ctx.damagedNodes;
        return RecordTest::Next;
    }
    if (key->parentID > parentID) return RecordTest::Stop;
    if (key->parentID < parentID) return RecordTest::Next;
    if (!hasWildcard(name) && !key->name.empty() && comparePrefix(name, key->name, 1) < 0) return RecordTest::Stop;
    const auto data = catalogRecordData(record, *key);
    if (!isWholeRecord(data)) {
        ++ctx.damagedNodes;
        return RecordTest::Next;
    }
    const bool matches = data[0] == kDirectoryThreadRecord
                             ? kind == kDirectoryThread
                             : !key->name.empty() && kindMatches(kind, data[0]) && matchName(name, key->name) == 0;
    return matches ? RecordTest::Match : RecordTest::Next;
}

// The found record as it lies in the tree's node buffer, where callers
// expect it (the cursor walked in its own copy).
std::optional<FoundEntry> foundAt(TreeFile& tree, std::uint32_t node, std::uint16_t index) {
    if ((tree.nodeNumber != node || !tree.nodeValid) && !readNode(tree, node)) return std::nullopt;
    tree.recordIndex = index;
    const auto record = recordBytes(tree.node, index);
    const auto key = record ? parseCatalogKey(*record) : std::nullopt;
    if (!key) return std::nullopt;
    return FoundEntry{node, index, *key, catalogRecordData(*record, *key)};
}

}  // namespace

std::optional<std::uint32_t> descend(HfsContext& ctx, std::string_view name, std::uint32_t parentID) {
    return descendFrom(ctx, ctx.catalogTree, catalogKeyOrder(parentID, name));
}

std::optional<FoundEntry> findEntry(HfsContext& ctx, std::string_view name, int kind, std::uint32_t parentID) {
    TreeFile& tree = ctx.catalogTree;
    const auto leaf = descendToLeaf(ctx, tree, catalogKeyOrder(parentID, name));
    if (!leaf) return std::nullopt;
    LeafCursor cursor(ctx, tree);
    if (!cursor.startAt(*leaf)) return std::nullopt;
    while (const auto record = cursor.next()) {
        switch (testRecord(ctx, record->bytes, name, kind, parentID)) {
            case RecordTest::Match: return foundAt(tree, record->node, record->index);
            case RecordTest::Stop: return std::nullopt;
            case RecordTest::Next: break;
        }
    }
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

std::optional<std::uint16_t> folderValence(HfsContext& ctx, std::uint32_t dirID) {
    const auto thread = findEntry(ctx, "", kDirectoryThread, dirID);
    if (!thread) return std::nullopt;
    const std::uint32_t parent = loadBE32(thread->data.data() + thdrec::parentID);
    const std::string name(threadName(thread->data));
    const auto folder = findEntry(ctx, name, kDirectoryEntry, parent);
    if (!folder || loadBE32(folder->data.data() + dirrec::dirID) != dirID) return std::nullopt;
    return loadBE16(folder->data.data() + dirrec::valence);
}

}  // namespace korvane
