#include "hfs/current_directory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/catalog_search.h"
#include "hfs/folder_walk.h"
#include "hfs/listing_format.h"
#include "hfs/name_order.h"
#include "util/byte_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

inline constexpr std::size_t kPathField = 39;
inline constexpr std::size_t kMaxListingEntries = 0xFFFF;
inline constexpr const char* kCatalogUnreadable =
        "The catalog of this volume cannot be read: its files cannot be listed.";

void set_current_path(AppState& state, std::uint32_t dir_id, std::string_view name) {
    std::string path = dir_id == kRootDirectoryID ? std::string(message(Msg::kRootPath)) : std::string(name) + " ";
    path.resize(kPathField, ' ');
    state.current_path = path;
}

// The listing holds at least a screen of entries, and the whole directory.
void fit_listing_room(AppState& state, std::uint32_t valence) {
    if (state.entry_capacity < valence) {
        state.entry_capacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(valence, kMaxListingEntries));
    } else if (valence < kListingPageEntries && state.entry_capacity > kListingPageEntries) {
        state.entry_capacity = kListingPageEntries;
    }
}

// The catalog can be read when its header node is one and the root folder's
// own record can be found; a catalog that cannot would look like an empty disk.
bool catalog_readable(HfsContext& ctx) {
    const NodeBuffer& header = ctx.catalogTree.header;
    if (!ctx.catalogTree.is_open() || node_kind(header) != kHeaderNode || tree_root_node(header) == 0) return false;
    return find_entry(ctx, "*", kDirectoryEntry, kRootParentID).has_value();
}

}  // namespace

bool enter_directory(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    AppState& state = ctx.state;
    state.current_path.assign(kPathField, ' ');
    const auto found = find_entry(ctx, name, kDirectoryEntry, parentID);
    if (!found) return false;
    const std::uint32_t dir_id = load_be32(found->data.data() + dirrec::dir_id);
    state.current_parent_id = parentID;
    state.current_dir_id = dir_id;
    fit_listing_room(state, load_be16(found->data.data() + dirrec::valence));
    set_current_path(state, dir_id, found->key.name);
    return true;
}

bool enter_root_directory(HfsContext& ctx) {
    const bool found = enter_directory(ctx, kRootParentID, "*");
    if (!found) {
        // Without the root's own record its entries may still be readable.
        ctx.state.current_parent_id = kRootParentID;
        ctx.state.current_dir_id = kRootDirectoryID;
        set_current_path(ctx.state, kRootDirectoryID, {});
    }
    load_listing(ctx);
    return found;
}

void load_listing(HfsContext& ctx, std::string_view pcPattern) {
    AppState& state = ctx.state;
    state.first_shown = 0;
    state.end_shown = 0;
    state.entries.clear();
    if (!catalog_readable(ctx)) {
        show_notice(ctx, kCatalogUnreadable);
        ctx.outcome.failureReported = true;
        return;
    }
    const std::uint32_t damagedBefore = ctx.damagedNodes;
    const std::string filter = translated(pcPattern, ansi_to_mac);
    const auto first = find_entry(ctx, "*", kAnyEntry, state.current_dir_id);
    bool damaged = false;
    if (first) {
        FolderWalk walk(ctx, *first, state.current_dir_id);
        while (const auto entry = walk.next()) {
            if (!filter.empty() && match_name(filter, entry->key.name) != 0) continue;
            if (state.entries.size() < kMaxListingEntries)
                state.entries.push_back(make_listing_entry(entry->key.name, entry->data));
        }
        damaged = walk.noticed_damage(folder_valence(ctx, state.current_dir_id));
    } else {
        // An empty folder holds only its thread; one whose record counts entries has lost them.
        damaged = folder_valence(ctx, state.current_dir_id).value_or(0) != 0;
    }
    if (state.entries.size() > state.entry_capacity)
        state.entry_capacity = static_cast<std::uint16_t>(state.entries.size());
    if (damaged || ctx.damagedNodes != damagedBefore) {
        show_notice(ctx, kCatalogDamaged);
        ctx.outcome.failureReported = true;
    }
}

}  // namespace korvane
