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
std::optional<PlainExtentsKey> extents_key_of(std::span<const std::uint8_t> record) {
    if (record.size() < 1 + kExtentsKeyLength || record[0] != kExtentsKeyLength) return std::nullopt;
    return PlainExtentsKey{record[1], load_be32(record.data() + 2), load_be16(record.data() + 6)};
}

template <typename T>
int order(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::size_t index_record_size(const TreeFile& tree) {
    return tree.is_catalog ? kCatalogIndexRecordSize : 1 + kExtentsKeyLength + 4;
}

}  // namespace

KeyOrder catalog_key_order(std::uint32_t parentID, std::string_view name) {
    const bool wildcard = name.find('*') != std::string_view::npos;
    const bool starFirst = !name.empty() && name[0] == '*';
    return [parentID, name = std::string(name), wildcard,
            starFirst](std::span<const std::uint8_t> record) -> std::optional<int> {
        const auto key = parse_catalog_key(record);
        if (!key) return std::nullopt;
        if (key->parentID != parentID) return order(key->parentID, parentID);
        // "*" comes before every name of the folder, and only the folder's
        // own thread (its key name is empty) sorts before it.
        if (starFirst) return key->name.empty() ? -1 : 1;
        const int c = match_name(name, key->name);
        if (c > 0) return -1;
        if (c < 0) return 1;
        return wildcard ? 1 : 0;
    };
}

KeyOrder extents_key_order(std::uint32_t fileID, std::uint8_t forkType, std::uint16_t startBlock) {
    return [=](std::span<const std::uint8_t> record) -> std::optional<int> {
        if (record.size() < 1 + kExtentsKeyLength || record[0] != kExtentsKeyLength) return std::nullopt;
        const std::uint32_t recordFile = load_be32(record.data() + 2);
        if (recordFile != fileID) return order(recordFile, fileID);
        if (record[1] != forkType) return order(record[1], forkType);
        return order(load_be16(record.data() + 6), startBlock);
    };
}

std::optional<std::uint32_t> index_record_child(std::span<const std::uint8_t> record) {
    if (record.empty()) return std::nullopt;
    const std::size_t offset = record_data_offset(record[0]);
    if (offset + 4 > record.size()) return std::nullopt;
    return load_be32(record.data() + offset);
}

std::optional<int> compare_keys(const TreeFile& tree, std::span<const std::uint8_t> a,
                                std::span<const std::uint8_t> b) {
    if (tree.is_catalog) {
        const auto ka = parse_catalog_key(a);
        const auto kb = parse_catalog_key(b);
        if (!ka || !kb) return std::nullopt;
        if (ka->parentID != kb->parentID) return order(ka->parentID, kb->parentID);
        return order(compare_names(ka->name, kb->name), 0);
    }
    const auto ka = extents_key_of(a);
    const auto kb = extents_key_of(b);
    if (!ka || !kb) return std::nullopt;
    if (ka->fileID != kb->fileID) return order(ka->fileID, kb->fileID);
    if (ka->forkType != kb->forkType) return order(ka->forkType, kb->forkType);
    return order(ka->startBlock, kb->startBlock);
}

std::vector<std::uint8_t> catalog_key(std::uint32_t parentID, std::string_view name) {
    const std::size_t length = std::min(name.size(), kMaxNameLength);
    std::vector<std::uint8_t> key(7 + length);
    key[0] = static_cast<std::uint8_t>(kMinCatalogKeyLength + length);
    store_be32(key.data() + 2, parentID);
    key[6] = static_cast<std::uint8_t>(length);
    std::copy_n(name.begin(), length, key.begin() + 7);
    return key;
}

std::vector<std::uint8_t> extents_key(std::uint8_t forkType, std::uint32_t fileID, std::uint16_t startBlock) {
    std::vector<std::uint8_t> key(1 + kExtentsKeyLength);
    key[0] = kExtentsKeyLength;
    key[1] = forkType;
    store_be32(key.data() + 2, fileID);
    store_be16(key.data() + 6, startBlock);
    return key;
}

std::optional<std::vector<std::uint8_t>> index_record_for(const TreeFile& tree,
                                                          std::span<const std::uint8_t> firstRecord,
                                                          std::uint32_t child) {
    std::vector<std::uint8_t> record(index_record_size(tree), 0);
    const std::size_t keyBytes = record.size() - 4;
    if (tree.is_catalog) {
        const auto key = parse_catalog_key(firstRecord);
        if (!key) return std::nullopt;
        // The name padded with zeros to the fixed key length: the rest of a
        // copied index key (its pad bytes) never reaches the new record.
        std::copy_n(firstRecord.begin(), 7 + key->name.size(), record.begin());
        record[0] = kMaxCatalogKeyLength;
    } else {
        if (!extents_key_of(firstRecord)) return std::nullopt;
        std::copy_n(firstRecord.begin(), keyBytes, record.begin());
    }
    store_be32(record.data() + keyBytes, child);
    return record;
}

std::optional<std::uint32_t> index_record_child(const TreeFile& tree, std::span<const std::uint8_t> record) {
    if (tree.is_catalog ? !parse_catalog_key(record) : !extents_key_of(record)) return std::nullopt;
    return index_record_child(record);
}

std::uint16_t index_records_per_node(const TreeFile& tree) {
    return static_cast<std::uint16_t>((kNodeSize - kNodeDescriptorSize - 2) / (index_record_size(tree) + 2));
}

}  // namespace korvane
