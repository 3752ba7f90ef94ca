#include "hfs/catalog_records.h"

#include "hfs/btree_node.h"
#include "util/byte_order.h"

namespace korvane {

std::optional<CatalogKey> parse_catalog_key(std::span<const std::uint8_t> record) {
    if (record.size() < 1 + kMinCatalogKeyLength) return std::nullopt;
    const std::uint8_t keyLength = record[0];
    if (keyLength < kMinCatalogKeyLength || keyLength > kMaxCatalogKeyLength) return std::nullopt;
    if (record.size() < std::size_t{keyLength} + 1) return std::nullopt;
    const std::uint8_t nameLength = record[6];
    if (nameLength > kMaxNameLength || nameLength > keyLength - kMinCatalogKeyLength) return std::nullopt;
    CatalogKey key;
    key.keyLength = keyLength;
    key.parentID = load_be32(record.data() + 2);
    key.name = std::string_view(reinterpret_cast<const char*>(record.data() + 7), nameLength);
    return key;
}

std::span<const std::uint8_t> catalog_record_data(std::span<const std::uint8_t> record, const CatalogKey& key) {
    const std::size_t offset = record_data_offset(key.keyLength);
    if (offset >= record.size()) return {};
    return record.subspan(offset);
}

std::optional<std::uint32_t> index_child_node(std::span<const std::uint8_t> record, const CatalogKey& key) {
    const std::span<const std::uint8_t> data = catalog_record_data(record, key);
    if (data.size() < 4) return std::nullopt;
    return load_be32(data.data());
}

bool is_whole_record(std::span<const std::uint8_t> data) {
    if (data.empty()) return false;
    switch (data[0]) {
        case kDirectoryRecord:
            return data.size() >= kDirectoryRecordSize;
        case kFileRecord:
            return data.size() >= kFileRecordSize;
        case kDirectoryThreadRecord:
        case kFileThreadRecord:
            return data.size() >= kThreadRecordSize;
        default:
            return false;
    }
}

std::string_view thread_name(std::span<const std::uint8_t> data) {
    if (data.size() < kThreadRecordSize) return {};
    const std::size_t length = data[thdrec::name];
    if (length > kMaxNameLength) return {};
    return {reinterpret_cast<const char*>(data.data() + thdrec::name + 1), length};
}

ExtentDescriptor extent_descriptor(ExtentRecordBytes record, int i) {
    const std::uint8_t* p = record.data() + 4 * i;
    return {load_be16(p), load_be16(p + 2)};
}

std::optional<ExtentsKey> parse_extents_key(std::span<const std::uint8_t> record) {
    if (record.size() < kExtentsLeafRecordSize || record[0] != kExtentsKeyLength) return std::nullopt;
    return ExtentsKey{record[1], load_be32(record.data() + 2), load_be16(record.data() + 6)};
}

}  // namespace korvane
