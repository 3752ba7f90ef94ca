#include "hfs/folder_walk.h"

namespace korvane {

FolderWalk::FolderWalk(HfsContext& ctx, const FoundEntry& start, std::uint32_t dir_id)
    : ctx_(ctx), cursor_(ctx, ctx.catalogTree), dirID_(dir_id) {
    cursor_.start_at(start.node, start.index);
}

void FolderWalk::note_damaged_record() {
    damagedRecords_ = true;
    ++ctx_.damagedNodes;
}

std::optional<FolderEntry> FolderWalk::next() {
    while (const auto record = cursor_.next()) {
        const auto key = parse_catalog_key(record->bytes);
        if (!key) {
            note_damaged_record();
            continue;
        }
        if (key->parentID != dirID_) break;
        const auto data = catalog_record_data(record->bytes, *key);
        if (!is_whole_record(data)) {
            note_damaged_record();
            continue;
        }
        if (data[0] != kDirectoryRecord && data[0] != kFileRecord) continue;
        ++entries_;
        return FolderEntry{*key, data};
    }
    ended_ = true;
    return std::nullopt;
}

bool FolderWalk::noticed_damage(std::optional<std::uint32_t> expected_entries) const {
    if (damagedRecords_ || cursor_.damaged()) return true;
    return ended_ && expected_entries && *expected_entries != entries_;
}

}  // namespace korvane
