#include "hfs/current_directory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "util/byte_order.h"
#include "hfs/catalog_search.h"
#include "hfs/listing_format.h"
#include "hfs/name_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

inline constexpr int kRootPathText = 73;
inline constexpr std::size_t kPathField = 39;
inline constexpr std::size_t kMaxListingEntries = 0xFFFF;
inline constexpr const char* kCatalogDamaged = "The catalog is damaged: some entries could not be read.";

void setCurrentPath(AppState& state, std::uint32_t dirID, std::string_view name) {
    std::string path = dirID == kRootDirectoryID ? std::string(message(kRootPathText)) : std::string(name) + " ";
    path.resize(kPathField, ' ');
    state.current_path = path;
}

// The listing holds at least a screen of entries, and the whole directory.
void fitListingRoom(AppState& state, std::uint32_t valence) {
    if (state.entry_capacity < valence) {
        state.entry_capacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(valence, kMaxListingEntries));
    } else if (valence < kListingPageEntries && state.entry_capacity > kListingPageEntries) {
        state.entry_capacity = kListingPageEntries;
    }
}

// Walks the records of dirID from the one findEntry left in the node buffer,
// across following leaves, and hands each directory and file to take.
template <typename Take>
void walkDirectory(HfsContext& ctx, std::uint32_t dirID, Take take) {
    TreeFile& tree = ctx.catalogTree;
    std::uint16_t first = tree.recordIndex;
    for (std::uint32_t steps = 0; steps < tree.nodeLimit(); ++steps) {
        for (std::uint16_t i = first; i < nodeRecordCount(tree.node); ++i) {
            const auto record = recordBytes(tree.node, i);
            const auto key = record ? parseCatalogKey(*record) : std::nullopt;
            if (!key) {
                ++ctx.damagedNodes;
                continue;
            }
            if (key->parentID != dirID) return;
            const auto data = catalogRecordData(*record, *key);
            if (!isWholeRecord(data)) {
                ++ctx.damagedNodes;
                continue;
            }
            if ((data[0] == kDirectoryRecord || data[0] == kFileRecord) && !take(*key, data)) return;
        }
        first = 0;
        const std::uint32_t next = nodeFLink(tree.node);
        if (next == 0) return;
        if (!readNode(tree, next) || nodeKind(tree.node) != kLeafNode) {
            ++ctx.damagedNodes;
            return;
        }
    }
    ++ctx.damagedNodes;  // the leaf chain loops
}

}  // namespace

bool enterDirectory(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    AppState& state = ctx.state;
    state.current_path.assign(kPathField, ' ');
    const auto found = findEntry(ctx, name, kDirectoryEntry, parentID);
    if (!found) return false;
    const std::uint32_t dirID = loadBE32(found->data.data() + dirrec::dirID);
    state.current_parent_id = parentID;
    state.current_dir_id = dirID;
    fitListingRoom(state, loadBE16(found->data.data() + dirrec::valence));
    setCurrentPath(state, dirID, found->key.name);
    return true;
}

bool enterRootDirectory(HfsContext& ctx) {
    const bool found = enterDirectory(ctx, kRootParentID, "*");
    if (!found) {
        // Without the root's own record its entries may still be readable.
        ctx.state.current_parent_id = kRootParentID;
        ctx.state.current_dir_id = kRootDirectoryID;
        setCurrentPath(ctx.state, kRootDirectoryID, {});
    }
    loadListing(ctx);
    return found;
}

void loadListing(HfsContext& ctx, std::string_view pcPattern) {
    AppState& state = ctx.state;
    state.first_shown = 0;
    state.end_shown = 0;
    state.entries.clear();
    const std::uint32_t damagedBefore = ctx.damagedNodes;
    const std::string filter = translated(pcPattern, ansi_to_mac);
    if (findEntry(ctx, "*", kAnyEntry, state.current_dir_id)) {
        walkDirectory(ctx, state.current_dir_id, [&](const CatalogKey& key, std::span<const std::uint8_t> data) {
            if (!filter.empty() && matchName(filter, key.name) != 0) return true;
            state.entries.push_back(makeListingEntry(key.name, data));
            return state.entries.size() < kMaxListingEntries;
        });
    }
    if (state.entries.size() > state.entry_capacity) state.entry_capacity = static_cast<std::uint16_t>(state.entries.size());
    if (ctx.damagedNodes != damagedBefore) show_notice(ctx, kCatalogDamaged);
}

}  // namespace korvane
