#include "hfs/file_attributes.h"

#include <algorithm>
#include <vector>

#include "hfs/leaf_insert.h"
#include "hfs/name_order.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "hfs/write_back.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr const char* kNameTaken = "A file or folder exists already with this name.";
constexpr const char* kNameEmpty = "A Macintosh name cannot be empty.";
constexpr const char* kNameTooLong = "A Macintosh name has at most 31 characters.";
constexpr const char* kNameWithColon = "A Macintosh name cannot contain \":\".";
constexpr const char* kFileGone = "The file is no longer in the catalog.";

// filFlags bit 1: the file has a thread record (key: its file number, no name).
constexpr std::uint8_t kFileThreadExists = 0x02;

// True for Done; any other result is reported (once) and the changes dropped.
bool edited(HfsContext& ctx, EditResult result) {
    switch (result) {
        case EditResult::Done:
            return true;
        case EditResult::Exists:
            return refuse_change(ctx, kNameTaken);
        case EditResult::NotFound:
            return refuse_change(ctx, kFileGone);
        case EditResult::Failed:
            return false;
    }
    return false;
}

std::vector<std::uint8_t> record_with(const FileRecordCopy& file, const FileAttributes& changed) {
    std::vector<std::uint8_t> data(file.data.begin(), file.data.end());
    std::copy(changed.type.begin(), changed.type.end(), data.begin() + filrec::fileType);
    std::copy(changed.creator.begin(), changed.creator.end(), data.begin() + filrec::creator);
    store_be32(data.data() + filrec::created, changed.created);
    store_be32(data.data() + filrec::modified, changed.modified);
    return data;
}

// The file thread names the file: it follows the rename when there is one.
bool rename_file_thread(HfsContext& ctx, const FileRecordCopy& file, std::string_view name) {
    if ((file.data[filrec::flags] & kFileThreadExists) == 0) return true;
    const auto threadKey = catalog_key(file.field32(filrec::fileNumber), "");
    TreeFile& tree = ctx.catalogTree;
    if (!find_record(tree, threadKey)) return true;  // the flag without its thread: nothing to follow
    const auto record = node_record(tree.node, tree.recordIndex);
    const auto key = parse_catalog_key(record);
    if (!key) return true;
    const auto data = catalog_record_data(record, *key);
    if (data.size() < kThreadRecordSize || data[0] != kFileThreadRecord) return true;
    std::vector<std::uint8_t> thread(data.begin(), data.begin() + kThreadRecordSize);
    std::fill(thread.begin() + thdrec::name, thread.begin() + kThreadRecordSize, 0);
    thread[thdrec::name] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), thread.begin() + thdrec::name + 1);
    return edited(ctx, replace_record_data(ctx, tree, threadKey, thread));
}

bool move_to_new_name(HfsContext& ctx, const FileRecordCopy& file, std::string_view name,
                      const std::vector<std::uint8_t>& data) {
    const auto newKey = catalog_key(file.parentID, name);
    // A change of case alone keeps the key's place: only another entry takes the name.
    if (compare_names(name, file.name) != 0 && find_record(ctx.catalogTree, newKey))
        return refuse_change(ctx, kNameTaken);
    if (!edited(ctx, delete_record(ctx, catalog_key(file.parentID, file.name)))) return false;
    if (!edited(ctx, insert_leaf_record(ctx, newKey, data))) return false;
    return rename_file_thread(ctx, file, name);
}

}  // namespace

std::uint32_t FileRecordCopy::field32(std::size_t offset) const { return load_be32(data.data() + offset); }

std::optional<FileRecordCopy> read_file_record(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    if (name.size() > kMaxNameLength) return std::nullopt;
    TreeFile& tree = ctx.catalogTree;
    if (!tree.is_open() || !find_record(tree, catalog_key(parentID, name))) return std::nullopt;
    const auto record = node_record(tree.node, tree.recordIndex);
    const auto key = parse_catalog_key(record);
    if (!key) return std::nullopt;
    const auto data = catalog_record_data(record, *key);
    if (data.size() < kFileRecordSize || data[0] != kFileRecord) return std::nullopt;
    FileRecordCopy file;
    file.parentID = parentID;
    file.name = std::string(key->name);
    std::copy_n(data.begin(), kFileRecordSize, file.data.begin());
    return file;
}

FileAttributes attributes_of(const FileRecordCopy& file) {
    FileAttributes attributes;
    attributes.name = file.name;
    std::copy_n(file.data.begin() + filrec::fileType, 4, attributes.type.begin());
    std::copy_n(file.data.begin() + filrec::creator, 4, attributes.creator.begin());
    attributes.created = file.field32(filrec::created);
    attributes.modified = file.field32(filrec::modified);
    return attributes;
}

std::optional<std::array<std::uint8_t, 4>> signature_of(std::string_view text) {
    if (text.size() > 4) return std::nullopt;
    std::array<std::uint8_t, 4> bytes{};
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

std::string signature_text(const std::array<std::uint8_t, 4>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

const char* file_name_problem(std::string_view mac_name) {
    if (mac_name.empty()) return kNameEmpty;
    if (mac_name.size() > kMaxNameLength) return kNameTooLong;
    if (mac_name.find(':') != std::string_view::npos) return kNameWithColon;
    return nullptr;
}

bool write_file_attributes(HfsContext& ctx, const FileRecordCopy& file, const FileAttributes& changed) {
    if (const char* problem = file_name_problem(changed.name)) return refuse_change(ctx, problem);
    if (!start_modification(ctx)) return false;
    // The record is taken again: the copy may be older than the catalog.
    const auto current = read_file_record(ctx, file.parentID, file.name);
    if (!current || current->field32(filrec::fileNumber) != file.field32(filrec::fileNumber))
        return refuse_change(ctx, kFileGone);
    const auto data = record_with(*current, changed);
    const bool renamed = changed.name != current->name;
    const bool stored = renamed ? move_to_new_name(ctx, *current, changed.name, data)
                                : edited(ctx, replace_record_data(ctx, ctx.catalogTree,
                                                                  catalog_key(file.parentID, file.name), data));
    return stored && write_back(ctx);
}

}  // namespace korvane
