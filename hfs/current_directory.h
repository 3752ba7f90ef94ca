#pragma once
// The current directory and its listing: entering a directory, and loading
// its entries into AppState::entries as preformatted ListingEntry records.

#include <cstdint>
#include <string_view>

#include "hfs/hfs_context.h"

namespace korvane {

// Makes the directory named name (Macintosh character set) in parentID the
// current one: current_dir_id, current_parent_id, current_path and the room
// of the listing. False (current_path left blank) when there is none.
bool enter_directory(HfsContext& ctx, std::uint32_t parentID, std::string_view name);

// Makes the root the current directory and loads its listing. Volume
// discovery calls it after open_catalog_tree.
bool enter_root_directory(HfsContext& ctx);

// Fills ctx.state.entries with the current directory's entries, in catalog
// order; a non-empty pattern (PC character set) keeps only matching names.
// Resets the view's selection and scroll state.
void load_listing(HfsContext& ctx, std::string_view pcPattern = {});

}  // namespace korvane
