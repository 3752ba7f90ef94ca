#pragma once
// Recognising catalog leaf nodes by their shape alone, wherever they lie on
// a medium, and reading the file records they hold: the rescue of a volume
// whose header or catalog index is lost.
//
// A block passes when its descriptor says leaf (kind 0xFF, height 1), it
// holds 1 to 8 records (no more fit in a 512-byte leaf: the shortest record,
// a thread, takes 54 bytes and its offset 2), record 0 starts right after
// the descriptor, and every record has the shape of a catalog record:
// offsets ascending and inside the node, a possible key, a record kind of
// 1 to 4 and the whole record of that kind. One record that is not right
// rejects the node: random data rarely passes all of this.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hfs/catalog_records.h"

namespace korvane {

inline constexpr std::uint16_t kMaxRescueLeafRecords = 8;

// A file record found in a leaf node: what the rescue needs of it.
struct RescuedRecord {
    std::uint32_t parentID = 0;
    std::string mac_name;
    std::vector<std::uint8_t> record;  // the file record's 102 bytes

    std::uint32_t data_length() const;
    std::uint32_t resource_length() const;
    std::uint32_t modified() const;
    ExtentRecordBytes data_extents() const;
    ExtentRecordBytes resource_extents() const;
};

// Whether the 512-byte block is a catalog leaf node by the tests above.
bool is_catalog_leaf(std::span<const std::uint8_t> block);

// The file records of a block that passes is_catalog_leaf; none otherwise.
std::vector<RescuedRecord> leaf_file_records(std::span<const std::uint8_t> block);

// Whether the 512-byte block is the header node of a B-tree of 512-byte nodes.
bool is_tree_header_node(std::span<const std::uint8_t> block);

}  // namespace korvane
