#include "hfs/folder_edit.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/allocation.h"
#include "hfs/btree_node.h"
#include "hfs/catalog_search.h"
#include "hfs/folder_walk.h"
#include "hfs/leaf_insert.h"
#include "hfs/mac_date.h"
#include "hfs/name_order.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "hfs/volume_bitmap.h"
#include "hfs/working_copies.h"
#include "util/byte_order.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

constexpr const char* kNameTaken = "An entry of that name exists already.";
// Deeper folders than this mean a catalog whose folders contain each other.
constexpr std::size_t kMaxFolderDepth = 256;

// One catalog entry, copied out of the node buffer that the next search reuses.
struct Entry {
    std::string name;
    std::vector<std::uint8_t> data;
    bool isDirectory() const { return !data.empty() && data[0] == kDirectoryRecord; }
    std::uint32_t id() const {
        return loadBE32(data, isDirectory() ? dirrec::dirID : filrec::fileNumber);
    }
};

// The entry of a record's data, without the bytes a node may hold after it.
Entry entryOf(std::string_view name, std::span<const std::uint8_t> data) {
    std::size_t size = data.size();
    if (data[0] == kDirectoryRecord) size = kDirectoryRecordSize;
    if (data[0] == kFileRecord) size = kFileRecordSize;
    if (data[0] == kDirectoryThreadRecord || data[0] == kFileThreadRecord) size = kThreadRecordSize;
    const auto kept = data.first(std::min(size, data.size()));
    return Entry{std::string(name), {kept.begin(), kept.end()}};
}

void writeLog(HfsContext& ctx, const std::string& line) {
    if (ctx.log.is_open()) ctx.log.write(line + "\r\n");
}

std::string pcText(std::string_view macName) { return translated(macName, mac_to_ansi); }

void addHeaderCount(TreeFile& tree, std::size_t offset, int delta) {
    storeBE32(tree.header.data() + offset, loadBE32(tree.header.data() + offset) + static_cast<std::uint32_t>(delta));
}

void addMdbCount16(HfsContext& ctx, std::size_t offset, int delta) {
    storeBE16(ctx.mdb.field(offset), static_cast<std::uint16_t>(loadBE16(ctx.mdb.field(offset)) + delta));
}

void addMdbCount32(HfsContext& ctx, std::size_t offset, int delta) {
    storeBE32(ctx.mdb.field(offset), loadBE32(ctx.mdb.field(offset)) + static_cast<std::uint32_t>(delta));
}

// The record with exactly this key, or nothing.
std::optional<Entry> exactEntry(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    TreeFile& tree = ctx.catalogTree;
    const auto key = catalogKey(parentID, name);
    if (!findRecord(tree, key)) return std::nullopt;
    const auto record = nodeRecord(tree.node, tree.recordIndex);
    const auto parsed = parseCatalogKey(record);
    if (!parsed) return std::nullopt;
    const auto data = catalogRecordData(record, *parsed);
    if (!isWholeRecord(data)) return std::nullopt;
    return entryOf(parsed->name, data);
}

// The folder's entries that match pattern, in catalog order; only the first
// one when the pattern has no '*'.
std::vector<Entry> matchingEntries(HfsContext& ctx, std::uint32_t dirID, std::string_view pattern) {
    std::vector<Entry> entries;
    if (pattern.find('*') == std::string_view::npos) {
        if (auto entry = exactEntry(ctx, dirID, trimTrailingBlanks(pattern))) {
            if (entry->data[0] == kDirectoryRecord || entry->data[0] == kFileRecord) entries.push_back(*entry);
        }
        return entries;
    }
    const auto first = findEntry(ctx, pattern, kAnyEntry, dirID);
    if (!first) return entries;
    FolderWalk walk(ctx, *first, dirID);
    while (const auto entry = walk.next()) {
        if (matchName(pattern, entry->key.name) == 0)
            entries.push_back(entryOf(entry->key.name, entry->data));
    }
    return entries;
}

bool edited(HfsContext& ctx, EditResult result) {
    if (result == EditResult::Done) return true;
    // Failed was reported and dropped already; anything else means the
    // catalog does not hold what it just said it holds.
    if (result != EditResult::Failed) refuseChange(ctx, kCatalogDamaged);
    return false;
}

void fitListingRoom(AppState& state, std::uint32_t valence) {
    if (state.entry_capacity < valence)
        state.entry_capacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(valence, 0xFFFF));
}

// --- deleting ------------------------------------------------------------------

std::uint32_t recordBlocks(std::span<const std::uint8_t> record) {
    std::uint32_t blocks = 0;
    for (std::size_t i = 0; i < 3; ++i) blocks += loadBE16(record, 4 * i + 2);
    return blocks;
}

// Frees a fork's blocks: those of its first extent record and, when it
// continues in the extents-overflow tree, those of its records there, which
// go too.
bool freeFork(HfsContext& ctx, std::uint32_t fileID, std::uint8_t forkType, std::span<const std::uint8_t, 12> first,
              std::uint32_t physicalLength) {
    freeExtents(ctx, first);
    std::uint32_t start = recordBlocks(first);
    const std::uint32_t blockSize = ctx.mdb.allocationBlockSize();
    if (blockSize == 0 || physicalLength / blockSize <= start) return true;
    TreeFile& extents = ctx.extentsTree;
    if (!extents.isOpen() && !openExtentsTree(ctx)) return refuseChange(ctx, kCatalogDamaged);
    while (start <= 0xFFFF) {
        const auto key = extentsKey(forkType, fileID, static_cast<std::uint16_t>(start));
        if (!findRecord(extents, key)) return true;
        const auto record = nodeRecord(extents.node, extents.recordIndex);
        if (record.size() < kExtentsLeafRecordSize) return refuseChange(ctx, kCatalogDamaged);
        const auto descriptors = record.subspan<8, kExtentRecordSize>();
        const std::uint32_t blocks = recordBlocks(descriptors);
        freeExtents(ctx, descriptors);
        if (!edited(ctx, deleteTreeRecord(ctx, extents, key))) return false;
        addHeaderCount(extents, header::leafRecords, -1);
        if (blocks == 0) return true;
        start += blocks;
    }
    return true;
}

bool deleteFile(HfsContext& ctx, std::uint32_t parentID, const Entry& file) {
    const std::span<const std::uint8_t> data = file.data;
    const std::uint32_t fileID = file.id();
    if (!freeFork(ctx, fileID, kDataFork, data.subspan<filrec::dataExtents, kExtentRecordSize>(),
                  loadBE32(data, filrec::dataPhysicalLength)) ||
        !freeFork(ctx, fileID, kResourceFork, data.subspan<filrec::resourceExtents, kExtentRecordSize>(),
                  loadBE32(data, filrec::resourcePhysicalLength)))
        return false;
    recountFreeBlocks(ctx);
    if (!edited(ctx, deleteRecord(ctx, catalogKey(parentID, file.name)))) return false;
    addHeaderCount(ctx.catalogTree, header::leafRecords, -1);
    // A file thread, when the file has one, names a record that is gone.
    const auto thread = exactEntry(ctx, fileID, "");
    if (thread && thread->data[0] == kFileThreadRecord) {
        if (!edited(ctx, deleteRecord(ctx, catalogKey(fileID, "")))) return false;
        addHeaderCount(ctx.catalogTree, header::leafRecords, -1);
    }
    addMdbCount32(ctx, mdb::drFilCnt, -1);
    if (parentID == kRootDirectoryID) addMdbCount16(ctx, mdb::drNmFls, -1);
    return adjustValence(ctx, parentID, -1);
}

// The folders from the root down to dirID (at most kMaxFolderDepth), by
// their threads: a folder to be deleted must not be one of them, or a
// damaged catalog would have a delete empty the folders around it.
std::vector<std::uint32_t> foldersDownTo(HfsContext& ctx, std::uint32_t dirID) {
    std::vector<std::uint32_t> path{dirID};
    while (path.back() != kRootDirectoryID && path.size() < kMaxFolderDepth) {
        const auto thread = exactEntry(ctx, path.back(), "");
        if (!thread || thread->data[0] != kDirectoryThreadRecord) break;
        path.push_back(loadBE32(thread->data, thdrec::parentID));
    }
    return path;
}

bool deleteDirectory(HfsContext& ctx, std::uint32_t parentID, const Entry& folder, std::vector<std::uint32_t>& path);

bool deleteEntry(HfsContext& ctx, std::uint32_t parentID, const Entry& entry, std::vector<std::uint32_t>& path) {
    if (entry.isDirectory()) {
        writeLog(ctx, "*rd " + pcText(entry.name));
        return deleteDirectory(ctx, parentID, entry, path);
    }
    writeLog(ctx, "*del " + pcText(entry.name));
    return deleteFile(ctx, parentID, entry);
}

// Depth first: what the folder holds, its thread, then its record.
bool deleteDirectory(HfsContext& ctx, std::uint32_t parentID, const Entry& folder, std::vector<std::uint32_t>& path) {
    const std::uint32_t dirID = folder.id();
    if (dirID <= kCatalogFileID || path.size() > kMaxFolderDepth ||
        std::find(path.begin(), path.end(), dirID) != path.end()) {
        return refuseChange(ctx, kCatalogDamaged);
    }
    path.push_back(dirID);
    if (loadBE16(folder.data, dirrec::valence) != 0) writeLog(ctx, "*cd " + folder.name);
    while (const auto first = findEntry(ctx, "*", kAnyEntry, dirID)) {
        const auto inside = exactEntry(ctx, dirID, first->key.name);
        if (!inside) return refuseChange(ctx, kCatalogDamaged);
        if (!deleteEntry(ctx, dirID, *inside, path)) return false;
    }
    path.pop_back();
    if (!edited(ctx, deleteRecord(ctx, catalogKey(dirID, "")))) return false;
    if (!edited(ctx, deleteRecord(ctx, catalogKey(parentID, folder.name)))) return false;
    addHeaderCount(ctx.catalogTree, header::leafRecords, -2);
    addMdbCount32(ctx, mdb::drDirCnt, -1);
    if (parentID == kRootDirectoryID) addMdbCount16(ctx, mdb::drNmRtDirs, -1);
    return adjustValence(ctx, parentID, -1);
}

FolderEditEnd deleteChosen(HfsContext& ctx, const std::vector<Entry>& entries) {
    if (entries.empty()) return FolderEditEnd::NotFound;
    const std::uint32_t dirID = ctx.state.current_dir_id;
    std::vector<std::uint32_t> path = foldersDownTo(ctx, dirID);
    for (const Entry& entry : entries) {
        if (entry.isDirectory() && loadBE16(entry.data, dirrec::valence) != 0 &&
            !ctx.host.ask_ok_cancel(std::string(message(Msg::kDirectoryNotEmpty)))) {
            return FolderEditEnd::Cancelled;
        }
        if (!deleteEntry(ctx, dirID, entry, path)) return FolderEditEnd::Failed;
    }
    return FolderEditEnd::Done;
}

// --- renaming ------------------------------------------------------------------

// Re-keys one record under its new name; a folder's thread takes the name too.
bool renameRecord(HfsContext& ctx, std::uint32_t parentID, const Entry& entry, std::string_view newName,
                  std::size_t maxLength = kMaxNameLength) {
    if (const auto problem = nameProblem(newName, maxLength)) return refuseChange(ctx, problem->c_str());
    const auto existing = exactEntry(ctx, parentID, newName);
    if (existing && compareNames(existing->name, entry.name) != 0) return refuseChange(ctx, kNameTaken);
    if (!edited(ctx, deleteRecord(ctx, catalogKey(parentID, entry.name)))) return false;
    if (!edited(ctx, insertLeafRecord(ctx, catalogKey(parentID, newName), entry.data))) return false;
    if (!entry.isDirectory()) return true;
    auto thread = exactEntry(ctx, entry.id(), "");
    if (!thread || thread->data.size() < kThreadRecordSize || thread->data[0] != kDirectoryThreadRecord)
        return refuseChange(ctx, kCatalogDamaged);
    std::fill(thread->data.begin() + thdrec::name, thread->data.begin() + thdrec::name + 32, 0);
    thread->data[thdrec::name] = static_cast<std::uint8_t>(newName.size());
    std::copy(newName.begin(), newName.end(), thread->data.begin() + thdrec::name + 1);
    return edited(ctx, replaceRecordData(ctx, ctx.catalogTree, catalogKey(entry.id(), ""), thread->data));
}

std::string targetName(std::string_view name, std::string_view oldPattern, std::string_view newPattern) {
    const std::size_t newStar = newPattern.find('*');
    if (newStar == std::string_view::npos) return std::string(newPattern);
    const std::size_t oldStar = std::min(oldPattern.find('*'), oldPattern.size());
    return std::string(newPattern.substr(0, newStar)) + std::string(name.substr(std::min(oldStar, name.size())));
}

FolderEditEnd renameChosen(HfsContext& ctx, const std::vector<Entry>& entries, std::string_view oldPattern,
                           std::string_view newPattern) {
    if (entries.empty()) return FolderEditEnd::NotFound;
    const std::uint32_t dirID = ctx.state.current_dir_id;
    for (const Entry& entry : entries) {
        const std::string target = targetName(entry.name, oldPattern, newPattern);
        if (target == entry.name) continue;
        writeLog(ctx, "*ren " + std::string(oldPattern) + "\t" + target);
        if (!renameRecord(ctx, dirID, entry, target)) return FolderEditEnd::Failed;
    }
    return FolderEditEnd::Done;
}

// The typed name in the Macintosh character set; reported when it has a
// character that set does not hold.
std::optional<std::string> macNameOf(HfsContext& ctx, std::string_view pcName) {
    // ':' has no Macintosh equivalent for names: say why rather than "untypeable".
    if (pcName.find(':') != std::string_view::npos) {
        refuseChange(ctx, nameProblem(pcName, kMaxNameLength)->c_str());
        return std::nullopt;
    }
    std::string name = translated(pcName, ansi_to_mac);
    if (name.size() != pcName.size()) {
        refuseChange(ctx, kUntypeableName);
        return std::nullopt;
    }
    return name;
}

}  // namespace

std::optional<std::string> nameProblem(std::string_view macName, std::size_t maxLength) {
    if (macName.empty()) return "A name cannot be empty.";
    if (macName.find(':') != std::string_view::npos) return "A Macintosh name cannot hold \":\".";
    if (macName.size() > maxLength) return "This name is longer than " + std::to_string(maxLength) + " characters.";
    return std::nullopt;
}

bool adjustValence(HfsContext& ctx, std::uint32_t dirID, int delta) {
    const auto thread = exactEntry(ctx, dirID, "");
    if (!thread || thread->data.size() < kThreadRecordSize) return true;
    const std::uint32_t parentID = loadBE32(thread->data, thdrec::parentID);
    const std::string name(threadName(thread->data));
    auto folder = exactEntry(ctx, parentID, name);
    if (!folder || !folder->isDirectory()) return true;
    const auto valence = static_cast<std::uint16_t>(loadBE16(folder->data, dirrec::valence) + delta);
    storeBE16(folder->data.data() + dirrec::valence, valence);
    if (!edited(ctx, replaceRecordData(ctx, ctx.catalogTree, catalogKey(parentID, folder->name), folder->data)))
        return false;
    if (dirID == ctx.state.current_dir_id) fitListingRoom(ctx.state, valence);
    return true;
}

bool makeDirectory(HfsContext& ctx, std::string_view pcName) {
    std::string name(pcName.empty() ? message(Msg::kNewFolder) : pcName);
    for (std::size_t i = 1; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) name[i] = static_cast<char>(std::tolower(c));
    }
    if (entryKind(ctx, name) != 0) return refuseChange(ctx, std::string(message(Msg::kDirectoryExists)).c_str());
    const auto macName = macNameOf(ctx, name);
    if (!macName) return false;
    if (const auto problem = nameProblem(*macName, kMaxNameLength)) return refuseChange(ctx, problem->c_str());
    writeLog(ctx, "*md " + name);
    return createDirectory(ctx, *macName, ctx.state.current_dir_id);
}

bool createDirectory(HfsContext& ctx, std::string_view macName, std::uint32_t parentID) {
    const std::uint32_t dirID = ctx.mdb.nextCatalogID();
    const std::uint32_t now = macNow();
    std::vector<std::uint8_t> record(kDirectoryRecordSize, 0);
    record[0] = kDirectoryRecord;
    storeBE32(record.data() + dirrec::dirID, dirID);
    storeBE32(record.data() + dirrec::created, now);
    storeBE32(record.data() + dirrec::modified, now);
    // The Finder's window for the folder: its rectangle and view.
    std::uint8_t* finder = record.data() + dirrec::finderInfo;
    storeBE16(finder + 0, 80);
    storeBE16(finder + 2, 48);
    storeBE16(finder + 4, 272);
    storeBE16(finder + 6, 480);
    storeBE16(finder + 14, 0x0100);
    const EditResult inserted = insertLeafRecord(ctx, catalogKey(parentID, macName), record);
    if (inserted == EditResult::Exists) return refuseChange(ctx, kNameTaken);
    if (!edited(ctx, inserted)) return false;

    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kDirectoryThreadRecord;
    storeBE32(thread.data() + thdrec::parentID, parentID);
    thread[thdrec::name] = static_cast<std::uint8_t>(macName.size());
    std::copy(macName.begin(), macName.end(), thread.begin() + thdrec::name + 1);
    if (!edited(ctx, appendThreadRecord(ctx, catalogKey(dirID, ""), thread))) return false;
    addHeaderCount(ctx.catalogTree, header::leafRecords, 2);
    addMdbCount32(ctx, mdb::drNxtCNID, 1);
    addMdbCount32(ctx, mdb::drDirCnt, 1);
    if (parentID == kRootDirectoryID) addMdbCount16(ctx, mdb::drNmRtDirs, 1);
    return adjustValence(ctx, parentID, 1);
}

FolderEditEnd deleteEntries(HfsContext& ctx, std::string_view pattern) {
    return deleteChosen(ctx, matchingEntries(ctx, ctx.state.current_dir_id, pattern));
}

FolderEditEnd deleteNamedEntry(HfsContext& ctx, std::string_view macName) {
    std::vector<Entry> entries;
    if (auto entry = exactEntry(ctx, ctx.state.current_dir_id, macName)) entries.push_back(*entry);
    return deleteChosen(ctx, entries);
}

FolderEditEnd renameEntries(HfsContext& ctx, std::string_view oldPattern, std::string_view newPattern) {
    const bool oldStar = oldPattern.find('*') != std::string_view::npos;
    const bool newStar = newPattern.find('*') != std::string_view::npos;
    if (oldStar != newStar && !ctx.host.ask_ok_cancel(std::string(message(Msg::kWildcardOnOneSide))))
        return FolderEditEnd::Cancelled;
    std::vector<Entry> entries = matchingEntries(ctx, ctx.state.current_dir_id, oldPattern);
    if (!newStar && entries.size() > 1) entries.resize(1);
    return renameChosen(ctx, entries, oldPattern, newPattern);
}

FolderEditEnd renameNamedEntry(HfsContext& ctx, std::string_view macName, std::string_view newName) {
    std::vector<Entry> entries;
    if (auto entry = exactEntry(ctx, ctx.state.current_dir_id, macName)) entries.push_back(*entry);
    if (entries.empty()) return FolderEditEnd::NotFound;
    if (entries[0].name == newName) return FolderEditEnd::Done;
    writeLog(ctx, "*ren " + entries[0].name + "\t" + std::string(newName));
    return renameRecord(ctx, ctx.state.current_dir_id, entries[0], newName) ? FolderEditEnd::Done
                                                                            : FolderEditEnd::Failed;
}

bool setVolumeLabel(HfsContext& ctx, std::string_view pcName) {
    const auto macName = macNameOf(ctx, pcName);
    if (!macName) return false;
    if (const auto problem = nameProblem(*macName, kMaxVolumeNameLength)) return refuseChange(ctx, problem->c_str());
    writeLog(ctx, "*label " + std::string(pcName));
    const auto root = findEntry(ctx, "*", kDirectoryEntry, kRootParentID);
    if (!root) return refuseChange(ctx, kCatalogDamaged);
    const auto rootEntry = exactEntry(ctx, kRootParentID, root->key.name);
    if (!rootEntry || !renameRecord(ctx, kRootParentID, *rootEntry, *macName, kMaxVolumeNameLength)) return false;
    std::uint8_t* field = ctx.mdb.field(mdb::drVN);
    std::fill(field, field + 1 + kMaxVolumeNameLength, 0);
    field[0] = static_cast<std::uint8_t>(macName->size());
    std::copy(macName->begin(), macName->end(), field + 1);
    return true;
}

}  // namespace korvane
