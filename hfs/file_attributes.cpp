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
        case EditResult::Done: return true;
        case EditResult::Exists: return refuseChange(ctx, kNameTaken);
        case EditResult::NotFound: return refuseChange(ctx, kFileGone);
        case EditResult::Failed: return false;
    }
    return false;
}

std::vector<std::uint8_t> recordWith(const FileRecordCopy& file, const FileAttributes& changed) {
    std::vector<std::uint8_t> data(file.data.begin(), file.data.end());
    std::copy(changed.type.begin(), changed.type.end(), data.begin() + filrec::fileType);
    std::copy(changed.creator.begin(), changed.creator.end(), data.begin() + filrec::creator);
    storeBE32(data.data() + filrec::created, changed.created);
    storeBE32(data.data() + filrec::modified, changed.modified);
    return data;
}

// The file thread names the file: it follows the rename when there is one.
bool renameFileThread(HfsContext& ctx, const FileRecordCopy& file, std::string_view name) {
    if ((file.data[filrec::flags] & kFileThreadExists) == 0) return true;
    const auto threadKey = catalogKey(file.field32(filrec::fileNumber), "");
    TreeFile& tree = ctx.catalogTree;
    if (!findRecord(tree, threadKey)) return true;  // the flag without its thread: nothing to follow
    const auto record = nodeRecord(tree.node, tree.recordIndex);
    const auto key = parseCatalogKey(record);
    if (!key) return true;
    const auto data = catalogRecordData(record, *key);
    if (data.size() < kThreadRecordSize || data[0] != kFileThreadRecord) return true;
    std::vector<std::uint8_t> thread(data.begin(), data.begin() + kThreadRecordSize);
    std::fill(thread.begin() + thdrec::name, thread.begin() + kThreadRecordSize, 0);
    thread[thdrec::name] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), thread.begin() + thdrec::name + 1);
    return edited(ctx, replaceRecordData(ctx, tree, threadKey, thread));
}

bool moveToNewName(HfsContext& ctx, const FileRecordCopy& file, std::string_view name,
                   const std::vector<std::uint8_t>& data) {
    const auto newKey = catalogKey(file.parentID, name);
    // A change of case alone keeps the key's place: only another entry takes the name.
    if (compareNames(name, file.name) != 0 && findRecord(ctx.catalogTree, newKey)) return refuseChange(ctx, kNameTaken);
    if (!edited(ctx, deleteRecord(ctx, catalogKey(file.parentID, file.name)))) return false;
    if (!edited(ctx, insertLeafRecord(ctx, newKey, data))) return false;
    return renameFileThread(ctx, file, name);
}

}  // namespace

std::uint32_t FileRecordCopy::field32(std::size_t offset) const { return loadBE32(data.data() + offset); }

std::optional<FileRecordCopy> readFileRecord(HfsContext& ctx, std::uint32_t parentID, std::string_view name) {
    if (name.size() > kMaxNameLength) return std::nullopt;
    TreeFile& tree = ctx.catalogTree;
    if (!tree.isOpen() || !findRecord(tree, catalogKey(parentID, name))) return std::nullopt;
    const auto record = nodeRecord(tree.node, tree.recordIndex);
    const auto key = parseCatalogKey(record);
    if (!key) return std::nullopt;
    const auto data = catalogRecordData(record, *key);
    if (data.size() < kFileRecordSize || data[0] != kFileRecord) return std::nullopt;
    FileRecordCopy file;
    file.parentID = parentID;
    file.name = std::string(key->name);
    std::copy_n(data.begin(), kFileRecordSize, file.data.begin());
    return file;
}

FileAttributes attributesOf(const FileRecordCopy& file) {
    FileAttributes attributes;
    attributes.name = file.name;
    std::copy_n(file.data.begin() + filrec::fileType, 4, attributes.type.begin());
    std::copy_n(file.data.begin() + filrec::creator, 4, attributes.creator.begin());
    attributes.created = file.field32(filrec::created);
    attributes.modified = file.field32(filrec::modified);
    return attributes;
}

std::optional<std::array<std::uint8_t, 4>> signatureOf(std::string_view text) {
    if (text.size() > 4) return std::nullopt;
    std::array<std::uint8_t, 4> bytes{};
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

std::string signatureText(const std::array<std::uint8_t, 4>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

const char* fileNameProblem(std::string_view macName) {
    if (macName.empty()) return kNameEmpty;
    if (macName.size() > kMaxNameLength) return kNameTooLong;
    if (macName.find(':') != std::string_view::npos) return kNameWithColon;
    return nullptr;
}

bool writeFileAttributes(HfsContext& ctx, const FileRecordCopy& file, const FileAttributes& changed) {
    if (const char* problem = fileNameProblem(changed.name)) return refuseChange(ctx, problem);
    if (!startModification(ctx)) return false;
    // The record is taken again: the copy may be older than the catalog.
    const auto current = readFileRecord(ctx, file.parentID, file.name);
    if (!current || current->field32(filrec::fileNumber) != file.field32(filrec::fileNumber))
        return refuseChange(ctx, kFileGone);
    const auto data = recordWith(*current, changed);
    const bool renamed = changed.name != current->name;
    const bool stored = renamed ? moveToNewName(ctx, *current, changed.name, data)
                                : edited(ctx, replaceRecordData(ctx, ctx.catalogTree, catalogKey(file.parentID, file.name), data));
    return stored && writeBack(ctx);
}

}  // namespace korvane
