#include "hfs/catalog_search.h"

#include "hfs/leaf_cursor.h"
#include "hfs/name_order.h"
#include "hfs/tree_descent.h"
#include "util/byte_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

bool has_wildcard(std::string_view name) { return name.find('*') != std::string_view::npos; }

bool kind_matches(int asked, std::uint8_t recordKind) {
    if (asked == kAnyEntry) return recordKind == kDirectoryRecord || recordKind == kFileRecord;
    return asked == recordKind;
}

enum class RecordTest { Match, Next, Stop };

// What find_entry makes of one leaf record. Records are in key order, so the
// search ends at the first key past the names that could match.
RecordTest test_record(HfsContext& ctx, std::span<const std::uint8_t> record, std::string_view name, int kind,
                       std::uint32_t parentID) {
    const auto key = parse_catalog_key(record);
    if (!key) {
        ++ctx.damagedNodes;
        return RecordTest::Next;
    }
    if (key->parentID > parentID) return RecordTest::Stop;
    if (key->parentID < parentID) return RecordTest::Next;
    if (!has_wildcard(name) && !key->name.empty() && compare_prefix(name, key->name, 1) < 0) return RecordTest::Stop;
    const auto data = catalog_record_data(record, *key);
    if (!is_whole_record(data)) {
        ++ctx.damagedNodes;
        return RecordTest::Next;
    }
    const bool matches = data[0] == kDirectoryThreadRecord ? kind == kDirectoryThread
                                                           : !key->name.empty() && kind_matches(kind, data[0]) &&
                                                                     match_name(name, key->name) == 0;
    return matches ? RecordTest::Match : RecordTest::Next;
}

// The found record as it lies in the tree's node buffer, where callers
// expect it (the cursor walked in its own copy).
std::optional<FoundEntry> found_at(TreeFile& tree, std::uint32_t node, std::uint16_t index) {
    if ((tree.nodeNumber != node || !tree.nodeValid) && !read_node(tree, node)) return std::nullopt;
    tree.recordIndex = index;
    const auto record = record_bytes(tree.node, index);
    const auto key = record ? parse_catalog_key(*record) : std::nullopt;
    if (!key) return std::nullopt;
    return FoundEntry{node, index, *key, catalog_record_data(*record, *key)};
}

}  // namespace

std::optional<std::uint32_t> descend(HfsContext& ctx, std::string_view name, std::uint32_t parentID) {
    return descend_from(ctx, ctx.catalogTree, catalog_key_order(parentID, name));
}

std::optional<FoundEntry> find_entry(HfsContext& ctx, std::string_view name, int kind, std::uint32_t parentID) {
    TreeFile& tree = ctx.catalogTree;
    const auto leaf = descend_to_leaf(ctx, tree, catalog_key_order(parentID, name));
    if (!leaf) return std::nullopt;
    LeafCursor cursor(ctx, tree);
    if (!cursor.start_at(*leaf)) return std::nullopt;
    while (const auto record = cursor.next()) {
        switch (test_record(ctx, record->bytes, name, kind, parentID)) {
            case RecordTest::Match:
                return found_at(tree, record->node, record->index);
            case RecordTest::Stop:
                return std::nullopt;
            case RecordTest::Next:
                break;
        }
    }
    return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> current_record(const TreeFile& tree) {
    if (!tree.nodeValid) return std::nullopt;
    return record_bytes(tree.node, tree.recordIndex);
}

int entry_kind(HfsContext& ctx, std::string_view pc_name) {
    const std::string mac_name = translated(trim_trailing_blanks(pc_name), ansi_to_mac);
    const auto found = find_entry(ctx, mac_name, kAnyEntry, ctx.state.current_dir_id);
    return found ? found->kind() : 0;
}

std::optional<std::uint16_t> folder_valence(HfsContext& ctx, std::uint32_t dir_id) {
    const auto thread = find_entry(ctx, "", kDirectoryThread, dir_id);
    if (!thread) return std::nullopt;
    const std::uint32_t parent = load_be32(thread->data.data() + thdrec::parentID);
    const std::string name(thread_name(thread->data));
    const auto folder = find_entry(ctx, name, kDirectoryEntry, parent);
    if (!folder || load_be32(folder->data.data() + dirrec::dir_id) != dir_id) return std::nullopt;
    return load_be16(folder->data.data() + dirrec::valence);
}

}  // namespace korvane
