#include "hfs/folder_walk.h"

namespace korvane {

FolderWalk::FolderWalk(HfsContext& ctx, const FoundEntry& start, std::uint32_t dirID)
    : ctx_(ctx), cursor_(ctx, ctx.catalogTree), dirID_(dirID) {
    cursor_.startAt(start.node, start.index);
}

void FolderWalk::noteDamagedRecord() {
    damagedRecords_ = true;
    ++ctx_.damagedNodes;
}

std::optional<FolderEntry> FolderWalk::next() {
    while (const auto record = cursor_.next()) {
        const auto key = parseCatalogKey(record->bytes);
        if (!key) {
            noteDamagedRecord();
            continue;
        }
        if (key->parentID != dirID_) break;
        const auto data = catalogRecordData(record->bytes, *key);
        if (!isWholeRecord(data)) {
            noteDamagedRecord();
            continue;
        }
        if (data[0] != kDirectoryRecord && data[0] != kFileRecord) continue;
        ++entries_;
        return FolderEntry{*key, data};
    }
    ended_ = true;
    return std::nullopt;
}

bool FolderWalk::noticedDamage(std::optional<std::uint32_t> expectedEntries) const {
    if (damagedRecords_ || cursor_.damaged()) return true;
    return ended_ && expectedEntries && *expectedEntries != entries_;
}

}  // namespace korvane
