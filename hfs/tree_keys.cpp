#include "hfs/tree_keys.h"

#include <algorithm>

#include "hfs/catalog_records.h"
#include "hfs/name_order.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

struct PlainExtentsKey {
    std::uint8_t forkType;
    std::uint32_t fileID;
    std::uint16_t startBlock;
};

// The extents key alone (index records carry no extent record after it).
std::optional<PlainExtentsKey> extentsKeyOf(std::span<const std::uint8_t> record) {
    if (record.size() < 1 + kExtentsKeyLength || record[0] != kExtentsKeyLength) return std::nullopt;
    return PlainExtentsKey{record[1], loadBE32(record.data() + 2), loadBE16(record.data() + 6)};
}

template <typename T>
int order(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::size_t indexRecordSize(const TreeFile& tree) {
    return tree.isCatalog ? kCatalogIndexRecordSize : 1 + kExtentsKeyLength + 4;
}

}  // namespace

std::optional<int> compareKeys(const TreeFile& tree, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (tree.isCatalog) {
        const auto ka = parseCatalogKey(a);
        const auto kb = parseCatalogKey(b);
        if (!ka || !kb) return std::nullopt;
        if (ka->parentID != kb->parentID) return order(ka->parentID, kb->parentID);
        return order(compareNames(ka->name, kb->name), 0);
    }
    const auto ka = extentsKeyOf(a);
    const auto kb = extentsKeyOf(b);
    if (!ka || !kb) return std::nullopt;
    if (ka->fileID != kb->fileID) return order(ka->fileID, kb->fileID);
    if (ka->forkType != kb->forkType) return order(ka->forkType, kb->forkType);
    return order(ka->startBlock, kb->startBlock);
}

std::vector<std::uint8_t> catalogKey(std::uint32_t parentID, std::string_view name) {
    const std::size_t length = std::min(name.size(), kMaxNameLength);
    std::vector<std::uint8_t> key(7 + length);
    key[0] = static_cast<std::uint8_t>(kMinCatalogKeyLength + length);
    storeBE32(key.data() + 2, parentID);
    key[6] = static_cast<std::uint8_t>(length);
    std::copy_n(name.begin(), length, key.begin() + 7);
    return key;
}

std::vector<std::uint8_t> extentsKey(std::uint8_t forkType, std::uint32_t fileID, std::uint16_t startBlock) {
    std::vector<std::uint8_t> key(1 + kExtentsKeyLength);
    key[0] = kExtentsKeyLength;
    key[1] = forkType;
    storeBE32(key.data() + 2, fileID);
    storeBE16(key.data() + 6, startBlock);
    return key;
}

std::optional<std::vector<std::uint8_t>> indexRecordFor(const TreeFile& tree, std::span<const std::uint8_t> firstRecord,
                                                        std::uint32_t child) {
    std::vector<std::uint8_t> record(indexRecordSize(tree), 0);
    const std::size_t keyBytes = record.size() - 4;
    if (tree.isCatalog) {
        const auto key = parseCatalogKey(firstRecord);
        if (!key) return std::nullopt;
        // The name padded with zeros to the fixed key length: the rest of a
        // copied index key (its pad bytes) never reaches the new record.
        std::copy_n(firstRecord.begin(), 7 + key->name.size(), record.begin());
        record[0] = kMaxCatalogKeyLength;
    } else {
        if (!extentsKeyOf(firstRecord)) return std::nullopt;
        std::copy_n(firstRecord.begin(), keyBytes, record.begin());
    }
    storeBE32(record.data() + keyBytes, child);
    return record;
}

std::optional<std::uint32_t> indexRecordChild(const TreeFile& tree, std::span<const std::uint8_t> record) {
    if (record.empty()) return std::nullopt;
    const std::size_t at = recordDataOffset(record[0]);
    if (tree.isCatalog ? !parseCatalogKey(record) : !extentsKeyOf(record)) return std::nullopt;
    if (record.size() < at + 4) return std::nullopt;
    return loadBE32(record.data() + at);
}

std::uint16_t indexRecordsPerNode(const TreeFile& tree) {
    return static_cast<std::uint16_t>((kNodeSize - kNodeDescriptorSize - 2) / (indexRecordSize(tree) + 2));
}

}  // namespace korvane
