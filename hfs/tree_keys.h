#pragma once
// How each B-tree orders its keys. A descent compares the key it looks for
// with the key at the start of each index record; a search along the leaves
// compares it with each leaf record's key.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace korvane {

// The order of a record's key against the key sought: negative when the
// record's key sorts before it, 0 when they are equal, positive when it
// sorts after. Nothing when the record's key is damaged.
using KeyOrder = std::function<std::optional<int>(std::span<const std::uint8_t> record)>;

// Catalog keys: parent ID, then the name in the Macintosh order. name may be
// a pattern (see matchName); an equal key then counts as sorting after it,
// because names that match the pattern may come before the equal one.
KeyOrder catalogKeyOrder(std::uint32_t parentID, std::string_view name);

// Extents-overflow keys: file ID, then fork type, then the fork's first
// allocation block.
KeyOrder extentsKeyOrder(std::uint32_t fileID, std::uint8_t forkType, std::uint16_t startBlock);

// The child node an index record points to: the 32-bit value behind its key.
// Nothing when the record is too short to hold it.
std::optional<std::uint32_t> indexRecordChild(std::span<const std::uint8_t> record);

}  // namespace korvane
