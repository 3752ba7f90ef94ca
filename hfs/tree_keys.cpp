#include "hfs/tree_keys.h"

#include <algorithm>
#include <string>

#include "hfs/btree_node.h"
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

KeyOrder catalogKeyOrder(std::uint32_t parentID, std::string_view name) {
    const bool wildcard = name.find('*') != std::string_view::npos;
    const bool starFirst = !name.empty() && name[0] == '*';
    return [parentID, name = std::string(name), wildcard, starFirst](std::span<const std::uint8_t> record)
               -> std::optional<int> {
        const auto key = parseCatalogKey(record);
        if (!key) return std::nullopt;
        if (key->parentID != parentID) return order(key->parentID, parentID);
        // "*" comes before every name of the folder, and only the folder's
        // own thread (its key name is empty) sorts before it.
        if (starFirst) return key->name.empty() ? -1 : 1;
        const int c = matchName(name, key->name);
        if (c > 0) return -1;
        if (c < 0) return 1;
        return wildcard ? 1 : 0;
    };
}

KeyOrder extentsKeyOrder(std::uint32_t fileID, std::uint8_t forkType, std::uint16_t startBlock) {
    return [=](std::span<const std::uint8_t> record) -> std::optional<int> {
        if (record.size() < 1 + kExtentsKeyLength || record[0] != kExtentsKeyLength) return std::nullopt;
        const std::uint32_t recordFile = loadBE32(record.data() + 2);
        if (recordFile != fileID) return order(recordFile, fileID);
        if (record[1] != forkType) return order(record[1], forkType);
        return order(loadBE16(record.data() + 6), startBlock);
    };
}

std::optional<std::uint32_t> indexRecordChild(std::span<const std::uint8_t> record) {
    if (record.empty()) return std::nullopt;
    const std::size_t offset = recordDataOffset(record[0]);
    if (offset + 4 > record.size()) return std::nullopt;
    return loadBE32(record.data() + offset);
}

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
    if (tree.isCatalog ? !parseCatalogKey(record) : !extentsKeyOf(record)) return std::nullopt;
    return indexRecordChild(record);
}

std::uint16_t indexRecordsPerNode(const TreeFile& tree) {
    return static_cast<std::uint16_t>((kNodeSize - kNodeDescriptorSize - 2) / (indexRecordSize(tree) + 2));
}

}  // namespace korvane
