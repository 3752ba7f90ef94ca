#include "hfs/catalog_records.h"

#include "hfs/btree_node.h"
#include "util/byte_order.h"

namespace korvane {

std::optional<CatalogKey> parseCatalogKey(std::span<const std::uint8_t> record) {
    if (record.size() < 1 + kMinCatalogKeyLength) return std::nullopt;
    const std::uint8_t keyLength = record[0];
    if (keyLength < kMinCatalogKeyLength || keyLength > kMaxCatalogKeyLength) return std::nullopt;
    if (record.size() < std::size_t{keyLength} + 1) return std::nullopt;
    const std::uint8_t nameLength = record[6];
    if (nameLength > kMaxNameLength || nameLength > keyLength - kMinCatalogKeyLength) return std::nullopt;
    CatalogKey key;
    key.keyLength = keyLength;
    key.parentID = loadBE32(record.data() + 2);
    key.name = std::string_view(reinterpret_cast<const char*>(record.data() + 7), nameLength);
    return key;
}

std::span<const std::uint8_t> catalogRecordData(std::span<const std::uint8_t> record, const CatalogKey& key) {
    const std::size_t offset = recordDataOffset(key.keyLength);
    if (offset >= record.size()) return {};
    return record.subspan(offset);
}

std::optional<std::uint32_t> indexChildNode(std::span<const std::uint8_t> record, const CatalogKey& key) {
    const std::span<const std::uint8_t> data = catalogRecordData(record, key);
    if (data.size() < 4) return std::nullopt;
    return loadBE32(data.data());
}

bool isWholeRecord(std::span<const std::uint8_t> data) {
    if (data.empty()) return false;
    switch (data[0]) {
        case kDirectoryRecord: return data.size() >= kDirectoryRecordSize;
        case kFileRecord: return data.size() >= kFileRecordSize;
        case kDirectoryThreadRecord:
        case kFileThreadRecord: return data.size() >= kThreadRecordSize;
        default: return false;
    }
}

std::string_view threadName(std::span<const std::uint8_t> data) {
    if (data.size() < kThreadRecordSize) return {};
    const std::size_t length = data[thdrec::name];
    if (length > kMaxNameLength) return {};
    return {reinterpret_cast<const char*>(data.data() + thdrec::name + 1), length};
}

ExtentDescriptor extentDescriptor(ExtentRecordBytes record, int i) {
    const std::uint8_t* p = record.data() + 4 * i;
    return {loadBE16(p), loadBE16(p + 2)};
}

std::optional<ExtentsKey> parseExtentsKey(std::span<const std::uint8_t> record) {
    if (record.size() < kExtentsLeafRecordSize || record[0] != kExtentsKeyLength) return std::nullopt;
    return ExtentsKey{record[1], loadBE32(record.data() + 2), loadBE16(record.data() + 6)};
}

}  // namespace korvane
