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
    bool is_directory() const { return !data.empty() && data[0] == kDirectoryRecord; }
    std::uint32_t id() const { return load_be32(data, is_directory() ? dirrec::dir_id : filrec::fileNumber); }
};

// The entry of a record's data, without the bytes a node may hold after it.
Entry entry_of(std::string_view name, std::span<const std::uint8_t> data) {
    std::size_t size = data.size();
    if (data[0] == kDirectoryRecord) size = kDirectoryRecordSize;
    if (data[0] == kFileRecord) size = kFileRecordSize;
    if (data[0] == kDirectoryThreadRecord || data[0] == kFileThreadRecord) size = kThreadRecordSize;
    const auto kept = data.first(std::min(size, data.size()));
    return Entry{std::string(name), {kept.begin(), kept.end()}};
}

void write_log(HfsContext& ctx, const std::string& line) {
    if (ctx.log.is_open()) ctx.log.write(line + "\r\n");
}

std::string pc_text(std::string_view mac_name) { return translated(mac_name, mac_to_ansi); }

void add_header_count(TreeFile& tree, std::size_t offset, int delta) {
    store_be32(tree.header.data() + offset, load_be32(tree.header.data() + offset) + static_cast<std::uint32_t>(delta));
}

void add_mdb_count16(HfsContext& ctx, std::size_t offset, int delta) {
    store_be16(ctx.mdb.field(offset), static_cast<std::uint16_t>(load_be16(ctx.mdb.field(offset)) + delta));
}

void add_mdb_count32(HfsContext& ctx, std::size_t offset, int delta) {
    store_be32(ctx.mdb.field(offset), load_be32(ctx.mdb.field(offset)) + static_cast<std::uint32_t>(delta));
}

// The record with exactly this key, or nothing.
std::optional<Entry> exact_entry(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    TreeFile& tree = ctx.catalogTree;
    const auto key = catalog_key(parentID, name);
    if (!find_record(tree, key)) return std::nullopt;
    const auto record = node_record(tree.node, tree.recordIndex);
    const auto parsed = parse_catalog_key(record);
    if (!parsed) return std::nullopt;
    const auto data = catalog_record_data(record, *parsed);
    if (!is_whole_record(data)) return std::nullopt;
    return entry_of(parsed->name, data);
}

// The folder's entries that match pattern, in catalog order; only the first
// one when the pattern has no '*'.
std::vector<Entry> matching_entries(HfsContext& ctx, std::uint32_t dir_id, std::string_view pattern) {
    std::vector<Entry> entries;
    if (pattern.find('*') == std::string_view::npos) {
        if (auto entry = exact_entry(ctx, dir_id, trim_trailing_blanks(pattern))) {
            if (entry->data[0] == kDirectoryRecord || entry->data[0] == kFileRecord) entries.push_back(*entry);
        }
        return entries;
    }
    const auto first = find_entry(ctx, pattern, kAnyEntry, dir_id);
    if (!first) return entries;
    FolderWalk walk(ctx, *first, dir_id);
    while (const auto entry = walk.next()) {
        if (match_name(pattern, entry->key.name) == 0) entries.push_back(entry_of(entry->key.name, entry->data));
    }
    return entries;
}

bool edited(HfsContext& ctx, EditResult result) {
    if (result == EditResult::Done) return true;
    // Failed was reported and dropped already; anything else means the
    // catalog does not hold what it just said it holds.
    if (result != EditResult::Failed) refuse_change(ctx, kCatalogDamaged);
    return false;
}

void fit_listing_room(AppState& state, std::uint32_t valence) {
    if (state.entry_capacity < valence)
        state.entry_capacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(valence, 0xFFFF));
}

// --- deleting ------------------------------------------------------------------

std::uint32_t record_blocks(std::span<const std::uint8_t> record) {
    std::uint32_t blocks = 0;
    for (std::size_t i = 0; i < 3; ++i) blocks += load_be16(record, 4 * i + 2);
    return blocks;
}

// Frees a fork's blocks: those of its first extent record and, when it
// continues in the extents-overflow tree, those of its records there, which
// go too.
bool free_fork(HfsContext& ctx, std::uint32_t fileID, std::uint8_t forkType, std::span<const std::uint8_t, 12> first,
               std::uint32_t physicalLength) {
    free_extents(ctx, first);
    std::uint32_t start = record_blocks(first);
    const std::uint32_t block_size = ctx.mdb.allocation_block_size();
    if (block_size == 0 || physicalLength / block_size <= start) return true;
    TreeFile& extents = ctx.extentsTree;
    if (!extents.is_open() && !open_extents_tree(ctx)) return refuse_change(ctx, kCatalogDamaged);
    while (start <= 0xFFFF) {
        const auto key = extents_key(forkType, fileID, static_cast<std::uint16_t>(start));
        if (!find_record(extents, key)) return true;
        const auto record = node_record(extents.node, extents.recordIndex);
        if (record.size() < kExtentsLeafRecordSize) return refuse_change(ctx, kCatalogDamaged);
        const auto descriptors = record.subspan<8, kExtentRecordSize>();
        const std::uint32_t blocks = record_blocks(descriptors);
        free_extents(ctx, descriptors);
        if (!edited(ctx, delete_tree_record(ctx, extents, key))) return false;
        add_header_count(extents, header::leafRecords, -1);
        if (blocks == 0) return true;
        start += blocks;
    }
    return true;
}

bool delete_file(HfsContext& ctx, std::uint32_t parentID, const Entry& file) {
    const std::span<const std::uint8_t> data = file.data;
    const std::uint32_t fileID = file.id();
    if (!free_fork(ctx, fileID, kDataFork, data.subspan<filrec::data_extents, kExtentRecordSize>(),
                   load_be32(data, filrec::dataPhysicalLength)) ||
        !free_fork(ctx, fileID, kResourceFork, data.subspan<filrec::resource_extents, kExtentRecordSize>(),
                   load_be32(data, filrec::resourcePhysicalLength)))
        return false;
    recount_free_blocks(ctx);
    if (!edited(ctx, delete_record(ctx, catalog_key(parentID, file.name)))) return false;
    add_header_count(ctx.catalogTree, header::leafRecords, -1);
    // A file thread, when the file has one, names a record that is gone.
    const auto thread = exact_entry(ctx, fileID, "");
    if (thread && thread->data[0] == kFileThreadRecord) {
        if (!edited(ctx, delete_record(ctx, catalog_key(fileID, "")))) return false;
        add_header_count(ctx.catalogTree, header::leafRecords, -1);
    }
    add_mdb_count32(ctx, mdb::drFilCnt, -1);
    if (parentID == kRootDirectoryID) add_mdb_count16(ctx, mdb::drNmFls, -1);
    return adjust_valence(ctx, parentID, -1);
}

// The folders from the root down to dir_id (at most kMaxFolderDepth), by
// their threads: a folder to be deleted must not be one of them, or a
// damaged catalog would have a delete empty the folders around it.
std::vector<std::uint32_t> folders_down_to(HfsContext& ctx, std::uint32_t dir_id) {
    std::vector<std::uint32_t> path{dir_id};
    while (path.back() != kRootDirectoryID && path.size() < kMaxFolderDepth) {
        const auto thread = exact_entry(ctx, path.back(), "");
        if (!thread || thread->data[0] != kDirectoryThreadRecord) break;
        path.push_back(load_be32(thread->data, thdrec::parentID));
    }
    return path;
}

bool delete_directory(HfsContext& ctx, std::uint32_t parentID, const Entry& folder, std::vector<std::uint32_t>& path);

bool delete_entry(HfsContext& ctx, std::uint32_t parentID, const Entry& entry, std::vector<std::uint32_t>& path) {
    if (entry.is_directory()) {
        write_log(ctx, "*rd " + pc_text(entry.name));
        return delete_directory(ctx, parentID, entry, path);
    }
    write_log(ctx, "*del " + pc_text(entry.name));
    return delete_file(ctx, parentID, entry);
}

// Depth first: what the folder holds, its thread, then its record.
bool delete_directory(HfsContext& ctx, std::uint32_t parentID, const Entry& folder, std::vector<std::uint32_t>& path) {
    const std::uint32_t dir_id = folder.id();
    if (dir_id <= kCatalogFileID || path.size() > kMaxFolderDepth ||
        std::find(path.begin(), path.end(), dir_id) != path.end()) {
        return refuse_change(ctx, kCatalogDamaged);
    }
    path.push_back(dir_id);
    if (load_be16(folder.data, dirrec::valence) != 0) write_log(ctx, "*cd " + folder.name);
    while (const auto first = find_entry(ctx, "*", kAnyEntry, dir_id)) {
        const auto inside = exact_entry(ctx, dir_id, first->key.name);
        if (!inside) return refuse_change(ctx, kCatalogDamaged);
        if (!delete_entry(ctx, dir_id, *inside, path)) return false;
    }
    path.pop_back();
    if (!edited(ctx, delete_record(ctx, catalog_key(dir_id, "")))) return false;
    if (!edited(ctx, delete_record(ctx, catalog_key(parentID, folder.name)))) return false;
    add_header_count(ctx.catalogTree, header::leafRecords, -2);
    add_mdb_count32(ctx, mdb::drDirCnt, -1);
    if (parentID == kRootDirectoryID) add_mdb_count16(ctx, mdb::drNmRtDirs, -1);
    return adjust_valence(ctx, parentID, -1);
}

FolderEditEnd delete_chosen(HfsContext& ctx, const std::vector<Entry>& entries) {
    if (entries.empty()) return FolderEditEnd::NotFound;
    const std::uint32_t dir_id = ctx.state.current_dir_id;
    std::vector<std::uint32_t> path = folders_down_to(ctx, dir_id);
    for (const Entry& entry : entries) {
        if (entry.is_directory() && load_be16(entry.data, dirrec::valence) != 0 &&
            !ctx.host.ask_ok_cancel(std::string(message(Msg::kDirectoryNotEmpty)))) {
            return FolderEditEnd::Cancelled;
        }
        if (!delete_entry(ctx, dir_id, entry, path)) return FolderEditEnd::Failed;
    }
    return FolderEditEnd::Done;
}

// --- renaming ------------------------------------------------------------------

// Re-keys one record under its new name; a folder's thread takes the name too.
bool rename_record(HfsContext& ctx, std::uint32_t parentID, const Entry& entry, std::string_view newName,
                   std::size_t max_length = kMaxNameLength) {
    if (const auto problem = name_problem(newName, max_length)) return refuse_change(ctx, problem->c_str());
    const auto existing = exact_entry(ctx, parentID, newName);
    if (existing && compare_names(existing->name, entry.name) != 0) return refuse_change(ctx, kNameTaken);
    if (!edited(ctx, delete_record(ctx, catalog_key(parentID, entry.name)))) return false;
    if (!edited(ctx, insert_leaf_record(ctx, catalog_key(parentID, newName), entry.data))) return false;
    if (!entry.is_directory()) return true;
    auto thread = exact_entry(ctx, entry.id(), "");
    if (!thread || thread->data.size() < kThreadRecordSize || thread->data[0] != kDirectoryThreadRecord)
        return refuse_change(ctx, kCatalogDamaged);
    std::fill(thread->data.begin() + thdrec::name, thread->data.begin() + thdrec::name + 32, 0);
    thread->data[thdrec::name] = static_cast<std::uint8_t>(newName.size());
    std::copy(newName.begin(), newName.end(), thread->data.begin() + thdrec::name + 1);
    return edited(ctx, replace_record_data(ctx, ctx.catalogTree, catalog_key(entry.id(), ""), thread->data));
}

std::string target_name(std::string_view name, std::string_view oldPattern, std::string_view newPattern) {
    const std::size_t newStar = newPattern.find('*');
    if (newStar == std::string_view::npos) return std::string(newPattern);
    const std::size_t oldStar = std::min(oldPattern.find('*'), oldPattern.size());
    return std::string(newPattern.substr(0, newStar)) + std::string(name.substr(std::min(oldStar, name.size())));
}

FolderEditEnd rename_chosen(HfsContext& ctx, const std::vector<Entry>& entries, std::string_view oldPattern,
                            std::string_view newPattern) {
    if (entries.empty()) return FolderEditEnd::NotFound;
    const std::uint32_t dir_id = ctx.state.current_dir_id;
    for (const Entry& entry : entries) {
        const std::string target = target_name(entry.name, oldPattern, newPattern);
        if (target == entry.name) continue;
        write_log(ctx, "*ren " + std::string(oldPattern) + "\t" + target);
        if (!rename_record(ctx, dir_id, entry, target)) return FolderEditEnd::Failed;
    }
    return FolderEditEnd::Done;
}

// The typed name in the Macintosh character set; reported when it has a
// character that set does not hold.
std::optional<std::string> mac_name_of(HfsContext& ctx, std::string_view pc_name) {
    // ':' has no Macintosh equivalent for names: say why rather than "untypeable".
    if (pc_name.find(':') != std::string_view::npos) {
        refuse_change(ctx, name_problem(pc_name, kMaxNameLength)->c_str());
        return std::nullopt;
    }
    std::string name = translated(pc_name, ansi_to_mac);
    if (name.size() != pc_name.size()) {
        refuse_change(ctx, kUntypeableName);
        return std::nullopt;
    }
    return name;
}

}  // namespace

std::optional<std::string> name_problem(std::string_view mac_name, std::size_t max_length) {
    if (mac_name.empty()) return "A name cannot be empty.";
    if (mac_name.find(':') != std::string_view::npos) return "A Macintosh name cannot hold \":\".";
    if (mac_name.size() > max_length) return "This name is longer than " + std::to_string(max_length) + " characters.";
    return std::nullopt;
}

bool adjust_valence(HfsContext& ctx, std::uint32_t dir_id, int delta) {
    const auto thread = exact_entry(ctx, dir_id, "");
    if (!thread || thread->data.size() < kThreadRecordSize) return true;
    const std::uint32_t parentID = load_be32(thread->data, thdrec::parentID);
    const std::string name(thread_name(thread->data));
    auto folder = exact_entry(ctx, parentID, name);
    if (!folder || !folder->is_directory()) return true;
    const auto valence = static_cast<std::uint16_t>(load_be16(folder->data, dirrec::valence) + delta);
    store_be16(folder->data.data() + dirrec::valence, valence);
    if (!edited(ctx, replace_record_data(ctx, ctx.catalogTree, catalog_key(parentID, folder->name), folder->data)))
        return false;
    if (dir_id == ctx.state.current_dir_id) fit_listing_room(ctx.state, valence);
    return true;
}

bool make_directory(HfsContext& ctx, std::string_view pc_name) {
    std::string name(pc_name.empty() ? message(Msg::kNewFolder) : pc_name);
    for (std::size_t i = 1; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) name[i] = static_cast<char>(std::tolower(c));
    }
    if (entry_kind(ctx, name) != 0) return refuse_change(ctx, std::string(message(Msg::kDirectoryExists)).c_str());
    const auto mac_name = mac_name_of(ctx, name);
    if (!mac_name) return false;
    if (const auto problem = name_problem(*mac_name, kMaxNameLength)) return refuse_change(ctx, problem->c_str());
    write_log(ctx, "*md " + name);
    return create_directory(ctx, *mac_name, ctx.state.current_dir_id);
}

bool create_directory(HfsContext& ctx, std::string_view mac_name, std::uint32_t parentID) {
    const std::uint32_t dir_id = ctx.mdb.next_catalog_id();
    const std::uint32_t now = mac_now();
    std::vector<std::uint8_t> record(kDirectoryRecordSize, 0);
    record[0] = kDirectoryRecord;
    store_be32(record.data() + dirrec::dir_id, dir_id);
    store_be32(record.data() + dirrec::created, now);
    store_be32(record.data() + dirrec::modified, now);
    // The Finder's window for the folder: its rectangle and view.
    std::uint8_t* finder = record.data() + dirrec::finderInfo;
    store_be16(finder + 0, 80);
    store_be16(finder + 2, 48);
    store_be16(finder + 4, 272);
    store_be16(finder + 6, 480);
    store_be16(finder + 14, 0x0100);
    const EditResult inserted = insert_leaf_record(ctx, catalog_key(parentID, mac_name), record);
    if (inserted == EditResult::Exists) return refuse_change(ctx, kNameTaken);
    if (!edited(ctx, inserted)) return false;

    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kDirectoryThreadRecord;
    store_be32(thread.data() + thdrec::parentID, parentID);
    thread[thdrec::name] = static_cast<std::uint8_t>(mac_name.size());
    std::copy(mac_name.begin(), mac_name.end(), thread.begin() + thdrec::name + 1);
    if (!edited(ctx, append_thread_record(ctx, catalog_key(dir_id, ""), thread))) return false;
    add_header_count(ctx.catalogTree, header::leafRecords, 2);
    add_mdb_count32(ctx, mdb::drNxtCNID, 1);
    add_mdb_count32(ctx, mdb::drDirCnt, 1);
    if (parentID == kRootDirectoryID) add_mdb_count16(ctx, mdb::drNmRtDirs, 1);
    return adjust_valence(ctx, parentID, 1);
}

FolderEditEnd delete_entries(HfsContext& ctx, std::string_view pattern) {
    return delete_chosen(ctx, matching_entries(ctx, ctx.state.current_dir_id, pattern));
}

FolderEditEnd delete_named_entry(HfsContext& ctx, std::string_view mac_name) {
    std::vector<Entry> entries;
    if (auto entry = exact_entry(ctx, ctx.state.current_dir_id, mac_name)) entries.push_back(*entry);
    return delete_chosen(ctx, entries);
}

FolderEditEnd rename_entries(HfsContext& ctx, std::string_view oldPattern, std::string_view newPattern) {
    const bool oldStar = oldPattern.find('*') != std::string_view::npos;
    const bool newStar = newPattern.find('*') != std::string_view::npos;
    if (oldStar != newStar && !ctx.host.ask_ok_cancel(std::string(message(Msg::kWildcardOnOneSide))))
        return FolderEditEnd::Cancelled;
    std::vector<Entry> entries = matching_entries(ctx, ctx.state.current_dir_id, oldPattern);
    if (!newStar && entries.size() > 1) entries.resize(1);
    return rename_chosen(ctx, entries, oldPattern, newPattern);
}

FolderEditEnd rename_named_entry(HfsContext& ctx, std::string_view mac_name, std::string_view newName) {
    std::vector<Entry> entries;
    if (auto entry = exact_entry(ctx, ctx.state.current_dir_id, mac_name)) entries.push_back(*entry);
    if (entries.empty()) return FolderEditEnd::NotFound;
    if (entries[0].name == newName) return FolderEditEnd::Done;
    write_log(ctx, "*ren " + entries[0].name + "\t" + std::string(newName));
    return rename_record(ctx, ctx.state.current_dir_id, entries[0], newName) ? FolderEditEnd::Done
                                                                             : FolderEditEnd::Failed;
}

bool set_volume_label(HfsContext& ctx, std::string_view pc_name) {
    const auto mac_name = mac_name_of(ctx, pc_name);
    if (!mac_name) return false;
    if (const auto problem = name_problem(*mac_name, kMaxVolumeNameLength)) return refuse_change(ctx, problem->c_str());
    write_log(ctx, "*label " + std::string(pc_name));
    const auto root = find_entry(ctx, "*", kDirectoryEntry, kRootParentID);
    if (!root) return refuse_change(ctx, kCatalogDamaged);
    const auto rootEntry = exact_entry(ctx, kRootParentID, root->key.name);
    if (!rootEntry || !rename_record(ctx, kRootParentID, *rootEntry, *mac_name, kMaxVolumeNameLength)) return false;
    std::uint8_t* field = ctx.mdb.field(mdb::drVN);
    std::fill(field, field + 1 + kMaxVolumeNameLength, 0);
    field[0] = static_cast<std::uint8_t>(mac_name->size());
    std::copy(mac_name->begin(), mac_name->end(), field + 1);
    return true;
}

}  // namespace korvane
