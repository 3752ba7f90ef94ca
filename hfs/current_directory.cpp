#include "hfs/current_directory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "util/byte_order.h"
#include "hfs/catalog_search.h"
#include "hfs/folder_walk.h"
#include "hfs/listing_format.h"
#include "hfs/name_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

inline constexpr std::size_t kPathField = 39;
inline constexpr std::size_t kMaxListingEntries = 0xFFFF;
inline constexpr const char* kCatalogUnreadable = "The catalog of this volume cannot be read: its files cannot be listed.";

void setCurrentPath(AppState& state, std::uint32_t dirID, std::string_view name) {
    std::string path = dirID == kRootDirectoryID ? std::string(message(Msg::kRootPath)) : std::string(name) + " ";
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

// The catalog can be read when its header node is one and the root folder's
// own record can be found; a catalog that cannot would look like an empty disk.
bool catalogReadable(HfsContext& ctx) {
    const NodeBuffer& header = ctx.catalogTree.header;
    if (!ctx.catalogTree.isOpen() || nodeKind(header) != kHeaderNode || treeRootNode(header) == 0) return false;
    return findEntry(ctx, "*", kDirectoryEntry, kRootParentID).has_value();
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
    if (!catalogReadable(ctx)) {
        show_notice(ctx, kCatalogUnreadable);
        ctx.outcome.failureReported = true;
        return;
    }
    const std::uint32_t damagedBefore = ctx.damagedNodes;
    const std::string filter = translated(pcPattern, ansi_to_mac);
    const auto first = findEntry(ctx, "*", kAnyEntry, state.current_dir_id);
    bool damaged = false;
    if (first) {
        FolderWalk walk(ctx, *first, state.current_dir_id);
        while (const auto entry = walk.next()) {
            if (!filter.empty() && matchName(filter, entry->key.name) != 0) continue;
            if (state.entries.size() < kMaxListingEntries) state.entries.push_back(makeListingEntry(entry->key.name, entry->data));
        }
        damaged = walk.noticedDamage(folderValence(ctx, state.current_dir_id));
    } else {
        // An empty folder holds only its thread; one whose record counts entries has lost them.
        damaged = folderValence(ctx, state.current_dir_id).value_or(0) != 0;
    }
    if (state.entries.size() > state.entry_capacity) state.entry_capacity = static_cast<std::uint16_t>(state.entries.size());
    if (damaged || ctx.damagedNodes != damagedBefore) {
        show_notice(ctx, kCatalogDamaged);
        ctx.outcome.failureReported = true;
    }
}

}  // namespace korvane
