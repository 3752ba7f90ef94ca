#include "hfs/tree_keys.h"

#include <string>

#include "hfs/btree_node.h"
#include "hfs/catalog_records.h"
#include "hfs/name_order.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

template <typename T>
int threeWay(T record, T sought) {
    return record < sought ? -1 : (record > sought ? 1 : 0);
}

}  // namespace

KeyOrder catalogKeyOrder(std::uint32_t parentID, std::string_view name) {
    const bool wildcard = name.find('*') != std::string_view::npos;
    const bool starFirst = !name.empty() && name[0] == '*';
    return [parentID, name = std::string(name), wildcard, starFirst](std::span<const std::uint8_t> record)
               -> std::optional<int> {
        const auto key = parseCatalogKey(record);
        if (!key) return std::nullopt;
        if (key->parentID != parentID) return threeWay(key->parentID, parentID);
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
        if (recordFile != fileID) return threeWay(recordFile, fileID);
        if (record[1] != forkType) return threeWay(record[1], forkType);
        return threeWay(loadBE16(record.data() + 6), startBlock);
    };
}

std::optional<std::uint32_t> indexRecordChild(std::span<const std::uint8_t> record) {
    if (record.empty()) return std::nullopt;
    const std::size_t offset = recordDataOffset(record[0]);
    if (offset + 4 > record.size()) return std::nullopt;
    return loadBE32(record.data() + offset);
}

}  // namespace korvane
