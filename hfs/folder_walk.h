#pragma once
// The walk over one folder's entries in catalog order, from a found record
// on, as the listing and the copies make it. It walks with a leaf cursor
// (hfs/leaf_cursor.h) and so meets each record at most once.

#include <cstdint>
#include <optional>
#include <span>

#include "hfs/catalog_search.h"
#include "hfs/leaf_cursor.h"

namespace korvane {

// What the listing and the copies say when a walk noticed damage.
inline constexpr const char* kCatalogDamaged = "The catalog is damaged: some entries could not be read.";

struct FolderEntry {
    CatalogKey key;                      // name in the walk's copy of the leaf
    std::span<const std::uint8_t> data;  // a whole directory or file record
};

class FolderWalk {
public:
    // Starts at the record find_entry found (it need not be the folder's first).
    FolderWalk(HfsContext& ctx, const FoundEntry& start, std::uint32_t dir_id);

    // The folder's next directory or file; nothing after its last entry or
    // where the walk stops at damage. Thread records are passed over, damaged
    // records counted in ctx.damagedNodes and passed over. The entry's bytes
    // are valid until the next call.
    std::optional<FolderEntry> next();

    // Leaves entered so far: a long walk may poll for Esc once per leaf.
    std::uint32_t leaves_entered() const { return cursor_.leaves_entered(); }

    // Whether the walk met damage, or walked the folder to its end and met
    // another number of entries than expected_entries (the folder's valence,
    // when the walk started at its first entry).
    bool noticed_damage(std::optional<std::uint32_t> expected_entries = std::nullopt) const;

private:
    void note_damaged_record();

    HfsContext& ctx_;
    LeafCursor cursor_;
    std::uint32_t dirID_;
    std::uint32_t entries_ = 0;
    bool damagedRecords_ = false;
    bool ended_ = false;
};

}  // namespace korvane
